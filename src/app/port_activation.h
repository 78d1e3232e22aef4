// Opening and closing the serial port for the user, the commands file and the
// configuration dialog: the driver's open, the "Serial port conflict" report,
// and the announcement that every part showing or using the port's state
// hears (the window's captions, code capture's start-up bytes).
#pragma once

#include "ui/port_switch.h"
#include "ui/text_edge.h"

namespace tavrel {

class MessageBoxes;
class PortControl;

class PortActivation final : public PortSwitch {
public:
    PortActivation(PortControl& port, MessageBoxes& boxes, TranslateFn translate);

    // Opens the port (also when it is open already) or reports the conflict
    // with the driver's reason; announces the state either way. An open
    // that waits on a peer is announced closed, with that as the reason,
    // until openEnded.
    void ActivarClick() override;
    // The open ActivarClick left under way has ended; nothing when none was.
    void openEnded();
    bool awaitingOpen() const { return awaiting_; }
    // Closes the port and announces it closed; the lines stay as they are.
    void DesactivarClick() override;
    void PPuertoClick() override;
    // Closes an open port without announcing it: the program is ending.
    void closeForExit() override;
    // The device went away and the driver closed the port: announced closed,
    // with that as the reason, while the program looks for it again.
    void deviceGone();
    // Why the port is closed, for the tray icon's hint: the driver's reason
    // after a failed open, the device gone; empty while open or when closed
    // by the user.
    const QString& why() const override { return why_; }
    bool reopening() const override { return reopening_; }

    bool IsOpen() const override;
    // 1 for COM1 ... 8 for COM8; 0 when no usable port is selected.
    int PortNumber() const override;
    QString device() const override;

private:
    PortControl& port_;
    MessageBoxes& boxes_;
    TranslateFn translate_;
    void reportFailure();

    QString why_;
    bool reopening_ = false;
    bool awaiting_ = false;  // an open of ActivarClick's is under way
};

}  // namespace tavrel
