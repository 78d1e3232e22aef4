// An up-down control: two small arrow buttons that move a position between a
// minimum and a maximum without wrapping, bound to a read-only edit box that
// shows the position.
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace tavrel {

class UpDown : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int position READ position WRITE setPosition)
public:
    explicit UpDown(QWidget* parent = nullptr);

    int minimum() const { return min_; }
    int maximum() const { return max_; }
    int position() const { return position_; }
    void setMinimum(int value);
    void setMaximum(int value);
    void setPosition(int value);

    // The edit box that shows the position; it follows every change.
    void setBuddy(QLineEdit* buddy);

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

signals:
    // An arrow was clicked; up is true for the upper arrow. The position has
    // already moved (or stayed at its limit).
    void clicked(bool up);

private:
    void step(bool up);
    void showPosition();

    QToolButton* up_;
    QToolButton* down_;
    QLineEdit* buddy_ = nullptr;
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
};

}  // namespace tavrel
