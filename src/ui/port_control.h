// What the main window needs of the receiver: open, close and the words that
// report it. The program implements it over the receiver in use.
#pragma once

#include "receivers/receiver.h"

namespace tavrel {

class PortControl {
public:
    virtual ~PortControl() = default;

    // Opens the port with the settings in effect; true also when it was open.
    virtual bool OpenPort() = 0;
    // An open that waits on a peer is under way: OpenPort said false, and
    // the port activation hears of its end (PortActivation::openEnded).
    virtual bool Opening() const { return false; }
    virtual void ClosePort() = 0;
    virtual bool IsOpen() const = 0;
    // 1 for COM1 ... 8 for COM8; 0 when no usable port is selected.
    virtual int PortNumber() const = 0;
    // Why the last OpenPort failed, in parts (the device path, the kind, the
    // group that may use the device); kind None when unknown.
    virtual OpenFailure LastFailure() const = 0;
    // The device file the selected port opens, as section Ports of the
    // settings maps it now; empty when no usable port is selected.
    virtual std::string DevicePath() const = 0;
};

}  // namespace tavrel
