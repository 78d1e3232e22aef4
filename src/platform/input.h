// Synthesised keyboard and mouse input, with the Windows meanings and numbers.
#pragma once

#include <cstdint>

namespace tavrel {

class Input {
public:
    virtual ~Input() = default;

    // Presses (flags 0) or releases (KEYEVENTF_KEYUP) virtual key vk.
    virtual void keybd_event(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) = 0;

    // Button events and relative pointer moves (MOUSEEVENTF_*).
    virtual void mouse_event(std::uint32_t flags, std::int32_t dx, std::int32_t dy) = 0;

    // Low byte: virtual key; high byte: shift state (1 Shift, 2 Ctrl, 4 Alt).
    // -1 when the current layout has no key for the Windows-1252 character ch.
    virtual std::int16_t VkKeyScan(unsigned char ch) = 0;

    // Scan code of a virtual key (MAPVK_VK_TO_VSC); 0 when unknown.
    virtual std::uint32_t MapVirtualKey(std::uint32_t vk) = 0;

    // Types a Windows-1252 character that VkKeyScan cannot place on a key,
    // or places only with Ctrl+Alt (AltGr). Returns false when the backend
    // cannot type it either.
    virtual bool TypeCharacter(unsigned char ch) = 0;

    // A new run of keys begins (one keystroke action): the focus may have
    // moved since the last key, however short ago that was.
    virtual void StartOfKeys() {}
};

}  // namespace tavrel
