// Widening fixed-position controls to their texts.
#include "ui/fit_text.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <utility>
#include <vector>

namespace tavrel {
namespace {

// Whether a layout of the parent places the widget (then it grows by itself).
bool InLayout(const QWidget* control) {
    const QWidget* parent = control->parentWidget();
    return parent == nullptr ||
           (parent->layout() != nullptr && parent->layout()->indexOf(control) >= 0);
}

// The free room beside a control on its row: up to the nearest sibling that
// shares some of its height, or the parent's edge.
std::pair<int, int> RoomBeside(const QWidget* control) {
    const QWidget* parent = control->parentWidget();
    const QRect area = control->geometry();
    int left = 0;
    int right = parent->width() - 1;
    for (const QObject* child : parent->children()) {
        const auto* sibling = qobject_cast<const QWidget*>(child);
        if (sibling == nullptr || sibling == control || sibling->isHidden() ||
            sibling->isWindow()) {
            continue;
        }
        const QRect other = sibling->geometry();
        if (other.bottom() < area.top() || other.top() > area.bottom()) {
            continue;
        }
        if (other.left() > area.left()) {
            right = std::min(right, other.left() - 1);
        } else if (other.right() < area.right()) {
            left = std::max(left, other.right() + 1);
        }
    }
    return {left, right};
}

// Grows to the right into free room first, then to the left; never over a
// neighbour, so a text with no room at all stays as it was.
void Widen(QWidget* control, int needed) {
    const auto [left, right] = RoomBeside(control);
    QRect area = control->geometry();
    area.setRight(std::min(right, area.left() + needed - 1));
    area.setLeft(std::max(left, area.right() - needed + 1));
    control->setGeometry(area);
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
        if (!InLayout(control) && control->width() < needed) {
            Widen(control, needed);
        }
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
