// Pointer moves and clicks through the compositor's virtual pointer protocol.
#pragma once

#include <chrono>

#include "platform/input.h"

struct zwlr_virtual_pointer_v1;

namespace tavrel {

class EventLoopWait;
class WaylandConnection;

class VirtualPointer final : public Input {
public:
    VirtualPointer(WaylandConnection& connection, zwlr_virtual_pointer_v1* pointer,
                   EventLoopWait& wait);
    ~VirtualPointer() override;
    VirtualPointer(const VirtualPointer&) = delete;
    VirtualPointer& operator=(const VirtualPointer&) = delete;

    void keybd_event(std::uint8_t, std::uint8_t, std::uint32_t) override {}
    void mouse_event(std::uint32_t flags, std::int32_t dx, std::int32_t dy) override;
    std::int16_t VkKeyScan(unsigned char) override { return -1; }
    std::uint32_t MapVirtualKey(std::uint32_t) override { return 0; }
    bool TypeCharacter(unsigned char) override { return false; }

    // A compositor loses the first press of a pointer that clicks at once:
    // the first event waits until the pointer is this old.
    static constexpr std::chrono::milliseconds kSettle{150};

private:
    WaylandConnection& connection_;
    zwlr_virtual_pointer_v1* pointer_;
    EventLoopWait& wait_;
    std::chrono::steady_clock::time_point created_;
    bool settled_ = false;
};

}  // namespace tavrel
