// The destination window box CBTargetWin: a list that says when it is about
// to open, so the windows it offers are read at that moment.
#pragma once

#include <QComboBox>

namespace tavrel {

class WindowListBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void showPopup() override;

signals:
    // Raised before the list opens; the items may be replaced meanwhile.
    void aboutToOpen();
};

}  // namespace tavrel
