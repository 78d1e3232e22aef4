// What the main window and the configuration dialog need of the port: open
// and close it for the user, why it is closed, and the announcement of its
// state. The program's port activation implements it.
#pragma once

#include <QString>

#include "commands/notifier.h"

namespace tavrel {

class PortSwitch {
public:
    virtual ~PortSwitch() = default;

    // Opens the port (also when it is open already) or reports why it could
    // not; announces the state either way.
    virtual void ActivarClick() = 0;
    // Closes the port and announces it closed.
    virtual void DesactivarClick() = 0;
    virtual void PPuertoClick() = 0;
    // Closes an open port without announcing it: the program is ending.
    virtual void closeForExit() = 0;
    // Why the port is closed, for the tray icon's hint; empty while open or
    // when closed by the user.
    virtual const QString& why() const = 0;
    // The device went away and the port opens again by itself once it is
    // back: closed, yet Deactivate still has something to stop.
    virtual bool reopening() const = 0;
    virtual bool IsOpen() const = 0;
    // 1 for COM1 ... 8 for COM8; 0 when no usable port is selected.
    virtual int PortNumber() const = 0;
    // The device file that port opens, as the settings map it now.
    virtual QString device() const = 0;

    // After every open attempt and every close: true when the port is open.
    Notifier<bool> changed;
};

}  // namespace tavrel
