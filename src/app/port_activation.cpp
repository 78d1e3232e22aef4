// Port activation and its report.
#include "app/port_activation.h"

#include <utility>

#include "ui/message_boxes.h"
#include "ui/port_control.h"

namespace tavrel {
namespace {

// The driver's reason in the user's language; the device path as it is.
QString Reason(const TranslateFn& translate, const OpenFailure& failure) {
    return QString::fromStdString(
        DescribeOpenFailure(failure, [&translate](const char* english, const char* key) {
            return Tr(translate, QString::fromLatin1(english), key).toStdString();
        }));
}

}  // namespace

PortActivation::PortActivation(PortControl& port, MessageBoxes& boxes, TranslateFn translate)
    : port_(port), boxes_(boxes), translate_(std::move(translate)) {}

void PortActivation::ActivarClick() {
    if (port_.OpenPort()) {
        why_.clear();
        reopening_ = false;
        awaiting_ = false;
        changed.notify(true);
        return;
    }
    if (port_.Opening()) {
        // Deactivate stays at hand: it gives the attempt up.
        awaiting_ = true;
        reopening_ = true;
        why_ = Tr(translate_, QStringLiteral("Waiting for the receiver to answer."),
                  "receiveranswering");
        changed.notify(false);
        return;
    }
    reportFailure();
}

void PortActivation::openEnded() {
    if (!std::exchange(awaiting_, false)) {
        return;
    }
    reopening_ = false;
    if (port_.IsOpen()) {
        why_.clear();
        changed.notify(true);
    } else {
        reportFailure();
    }
}

void PortActivation::reportFailure() {
    awaiting_ = false;
    reopening_ = false;
    const OpenFailure failure = port_.LastFailure();
    // A newcomer whose device is missing must not look for a program holding it.
    QString text =
        failure.kind == OpenFailure::InUse
            ? Tr(translate_,
                 QStringLiteral("The serial port selected is being used by another application"),
                 "theserialportselectedisbeingusedbyanotherapplication")
            : Tr(translate_, QStringLiteral("The serial port selected could not be opened"),
                 "theserialportselectedcouldnotbeopened");
    // The driver's reason tells the user what to change (device, permissions).
    const QString reason = Reason(translate_, failure);
    why_ = reason.isEmpty() ? QStringLiteral("The port cannot be opened.") : reason;
    if (!reason.isEmpty()) {
        text += '\n' + reason;
    }
    boxes_.Error(Tr(translate_, QStringLiteral("Serial port conflict"), "serialportconflict"),
                 text);
    changed.notify(false);
}

// Also stops the looking for a device that went away.
void PortActivation::DesactivarClick() {
    port_.ClosePort();
    why_.clear();
    reopening_ = false;
    awaiting_ = false;
    changed.notify(false);
}

void PortActivation::deviceGone() {
    awaiting_ = false;
    why_ = Tr(translate_, QStringLiteral("The receiver is gone; waiting for it."), "receivergone");
    reopening_ = true;
    changed.notify(false);
}

void PortActivation::PPuertoClick() {
    if (port_.IsOpen() || reopening_) {
        DesactivarClick();
    } else {
        ActivarClick();
    }
}

void PortActivation::closeForExit() {
    if (port_.IsOpen()) {
        port_.ClosePort();
    }
}

bool PortActivation::IsOpen() const {
    return port_.IsOpen();
}

int PortActivation::PortNumber() const {
    return port_.PortNumber();
}

QString PortActivation::device() const {
    return QString::fromStdString(port_.DevicePath());
}

}  // namespace tavrel
