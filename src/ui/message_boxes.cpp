// The Qt message boxes.
#include "message_boxes.h"

#include <QMessageBox>

namespace tavrel {

void QtMessageBoxes::Error(const QString& caption, const QString& text) {
    QMessageBox::critical(parent_, caption, text, QMessageBox::Ok);
}

bool QtMessageBoxes::Confirm(const QString& caption, const QString& text) {
    return QMessageBox::question(parent_, caption, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace tavrel
