// Widening fixed-position controls to their texts.
#include "fit_text.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <vector>

namespace tavrel {
namespace {

// Whether a layout of the parent places the widget (then it grows by itself).
bool InLayout(const QWidget* control) {
    const QWidget* parent = control->parentWidget();
    return parent == nullptr ||
           (parent->layout() != nullptr && parent->layout()->indexOf(control) >= 0);
}

}  // namespace

int WidthForText(const QWidget* control) {
    if (const auto* button = qobject_cast<const QPushButton*>(control)) {
        QString text = button->text();
        text.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove('&');
        // The style's frame and margins around the text, as the button's own
        // size hint has them; no text in the option, so no minimum width.
        QStyleOptionButton option;
        option.initFrom(button);
        if (button->isDefault() || button->autoDefault()) {
            option.features |= QStyleOptionButton::AutoDefaultButton;
        }
        const QSize textSize(button->fontMetrics().horizontalAdvance(text),
                             button->fontMetrics().height());
        return button->style()
            ->sizeFromContents(QStyle::CT_PushButton, &option, textSize, button)
            .width();
    }
    return control->sizeHint().width();
}

void FitTexts(QWidget* root) {
    std::vector<QWidget*> controls;
    for (QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
        controls.push_back(button);
    }
    for (QLabel* label : root->findChildren<QLabel*>()) {
        if (!label->wordWrap() && label->pixmap().isNull()) {
            controls.push_back(label);
        }
    }
    for (QWidget* control : controls) {
        const int needed = WidthForText(control);
        if (InLayout(control) || control->width() >= needed) {
            continue;
        }
        QRect area = control->geometry();
        area.setWidth(needed);
        const int room = control->parentWidget()->width();
        if (area.right() >= room) {
            area.moveRight(room - 1);
        }
        area.moveLeft(std::max(0, area.left()));
        control->setGeometry(area);
    }
}

void FitRowRight(std::initializer_list<QWidget*> row, int gap) {
    if (row.size() == 0) {
        return;
    }
    int right = (*std::prev(row.end()))->geometry().right();
    for (auto it = std::make_reverse_iterator(row.end());
         it != std::make_reverse_iterator(row.begin()); ++it) {
        QWidget* button = *it;
        QRect area = button->geometry();
        area.setWidth(std::max(area.width(), WidthForText(button)));
        area.moveRight(right);
        button->setGeometry(area);
        right = area.left() - 1 - gap;
    }
}

}  // namespace tavrel
