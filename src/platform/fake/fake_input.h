// Recording keyboard and pointer with a US keyboard layout and PC scan codes,
// so keystroke tests read like what a Windows US desktop would receive.
#pragma once

#include <set>

#include "platform/fake/fake_event_log.h"
#include "platform/input.h"

namespace tavrel {

// Records "keybd_event(vk, scan, flags)", "mouse_event(flags, dx, dy)" and
// "TypeCharacter(ch)" in call order.
class FakeInput : public Input {
public:
    explicit FakeInput(FakeEventLog& log) : log_(&log) {}

    void keybd_event(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override;
    void mouse_event(std::uint32_t flags, std::int32_t dx, std::int32_t dy) override;
    // US layout: printable ASCII only; everything else is -1.
    std::int16_t VkKeyScan(unsigned char ch) override;
    std::uint32_t MapVirtualKey(std::uint32_t vk) override;
    bool TypeCharacter(unsigned char ch) override;

    // Characters TypeCharacter refuses (it is recorded only when it succeeds).
    std::set<unsigned char> untypeable;

private:
    FakeEventLog* log_;
};

}  // namespace tavrel
