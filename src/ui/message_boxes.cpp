// The Qt message boxes.
#include "ui/message_boxes.h"

#include <QMessageBox>

namespace tavrel {

void QtMessageBoxes::Error(const QString& caption, const QString& text) {
    QMessageBox::critical(parent_, caption, text, QMessageBox::Ok);
}

void QtMessageBoxes::Show(BoxIcon icon, const QString& caption, const QString& text) {
    const QMessageBox::Icon shown = icon == BoxIcon::Information ? QMessageBox::Information
                                    : icon == BoxIcon::Stop      ? QMessageBox::Critical
                                                                 : QMessageBox::Warning;
    QString lines = text;
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(shown, caption, lines, QMessageBox::Ok, parent_);
    box.exec();
}

void QtMessageBoxes::Tell(const QString& caption, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent_);
    box->setObjectName(QStringLiteral("TellBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

bool QtMessageBoxes::Confirm(const QString& caption, const QString& text) {
    return QMessageBox::question(parent_, caption, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace tavrel
