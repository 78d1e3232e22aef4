// The up-down control.
#include "ui/up_down.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace tavrel {

UpDown::UpDown(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    for (QToolButton* arrow : {up_, down_}) {
        arrow->setArrowType(arrow == up_ ? Qt::UpArrow : Qt::DownArrow);
        arrow->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setAutoRepeat(true);
        column->addWidget(arrow);
    }
    up_->setObjectName(QStringLiteral("up"));
    down_->setObjectName(QStringLiteral("down"));
    connect(up_, &QToolButton::clicked, this, [this] { step(true); });
    connect(down_, &QToolButton::clicked, this, [this] { step(false); });
}

void UpDown::setMinimum(int value) {
    min_ = value;
    max_ = std::max(max_, min_);
    setPosition(position_);
}

void UpDown::setMaximum(int value) {
    max_ = value;
    min_ = std::min(min_, max_);
    setPosition(position_);
}

void UpDown::setPosition(int value) {
    position_ = std::clamp(value, min_, max_);
    showPosition();
}

void UpDown::setBuddy(QLineEdit* buddy) {
    buddy_ = buddy;
    showPosition();
}

void UpDown::step(bool up) {
    setPosition(position_ + (up ? 1 : -1));
    emit clicked(up);
}

void UpDown::showPosition() {
    if (buddy_ != nullptr) {
        buddy_->setText(QString::number(position_));
    }
}

}  // namespace tavrel
