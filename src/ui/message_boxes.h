// Message boxes behind a seam, so tests can record them instead of blocking.
#pragma once

#include <QString>

class QWidget;

namespace tavrel {

enum class BoxIcon { Exclamation, Stop, Information };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // A modal box with the error icon and an OK button.
    virtual void Error(const QString& caption, const QString& text) = 0;
    // A modal box with an OK button; a carriage return in text breaks the line.
    virtual void Show(BoxIcon icon, const QString& caption, const QString& text) = 0;
    // A modal question with Yes and No; true for Yes.
    virtual bool Confirm(const QString& caption, const QString& text) = 0;
    // A box with the error icon that holds up nothing: shown, and the caller
    // goes on at once.
    virtual void Tell(const QString& caption, const QString& text) { Error(caption, text); }
};

// The real boxes, parented to a window so they stay above it.
class QtMessageBoxes : public MessageBoxes {
public:
    explicit QtMessageBoxes(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void Error(const QString& caption, const QString& text) override;
    void Show(BoxIcon icon, const QString& caption, const QString& text) override;
    bool Confirm(const QString& caption, const QString& text) override;
    void Tell(const QString& caption, const QString& text) override;

private:
    QWidget* parent_;
};

}  // namespace tavrel
