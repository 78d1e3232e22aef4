// The destination window box.
#include "ui/window_list_box.h"

namespace tavrel {

void WindowListBox::showPopup() {
    emit aboutToOpen();
    QComboBox::showPopup();
}

}  // namespace tavrel
