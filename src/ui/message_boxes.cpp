// The Qt message boxes.
#include "message_boxes.h"

#include <QMessageBox>

namespace tavrel {

void QtMessageBoxes::Error(const QString& caption, const QString& text) {
    QMessageBox::critical(parent_, caption, text, QMessageBox::Ok);
}

}  // namespace tavrel
