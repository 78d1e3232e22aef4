// The lines of a receiver that has them (a serial one): the bytes it is sent
// and its DTR and RTS. Code capture powers the receiver up through them.
#pragma once

#include <cstdint>

namespace tavrel {

class ReceiverLines {
public:
    virtual ~ReceiverLines() = default;

    // Bytes written; 0 while closed; minus the bytes written when the output
    // stayed full too long or the device failed.
    virtual std::int32_t SendBytes(const void* data, std::int32_t count) = 0;
    // Raise or drop the line; nothing while closed.
    virtual void SetDTR(bool on) = 0;
    virtual void SetRTS(bool on) = 0;
};

}  // namespace tavrel
