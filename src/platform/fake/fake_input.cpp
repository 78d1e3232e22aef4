// The US layout and the set-1 scan codes that a PC keyboard driver reports.
#include "platform/fake/fake_input.h"

#include <array>
#include <string>

namespace tavrel {

namespace {

constexpr std::int16_t kShift = 0x100;

// VkKeyScan for the characters 0x20..0x7E of a US layout.
constexpr std::array<std::int16_t, 95> kUsLayout = [] {
    std::array<std::int16_t, 95> t{};
    auto set = [&t](char c, int value) {
        t[static_cast<std::size_t>(c - 0x20)] = static_cast<std::int16_t>(value);
    };
    set(' ', 0x20);
    for (char c = '0'; c <= '9'; ++c) {
        set(c, c);
    }
    for (char c = 'a'; c <= 'z'; ++c) {
        set(c, c - 'a' + 'A');
        set(static_cast<char>(c - 'a' + 'A'), kShift + (c - 'a' + 'A'));
    }
    const char* shiftedDigits = ")!@#$%^&*(";
    for (int d = 0; d < 10; ++d) {
        set(shiftedDigits[d], kShift + '0' + d);
    }
    // Plain and shifted character of each OEM key.
    const struct {
        char plain, shifted;
        int vk;
    } oem[] = {{';', ':', 0xBA},  {'=', '+', 0xBB}, {',', '<', 0xBC}, {'-', '_', 0xBD},
               {'.', '>', 0xBE},  {'/', '?', 0xBF}, {'`', '~', 0xC0}, {'[', '{', 0xDB},
               {'\\', '|', 0xDC}, {']', '}', 0xDD}, {'\'', '"', 0xDE}};
    for (const auto& k : oem) {
        set(k.plain, k.vk);
        set(k.shifted, kShift + k.vk);
    }
    return t;
}();

// MAPVK_VK_TO_VSC: virtual key to the set-1 make code, without the extended prefix.
constexpr std::array<std::uint8_t, 256> kScanCodes = [] {
    std::array<std::uint8_t, 256> t{};
    t[0x08] = 0x0E;  // Backspace
    t[0x09] = 0x0F;  // Tab
    t[0x0D] = 0x1C;  // Enter
    t[0x10] = 0x2A;  // Shift
    t[0x11] = 0x1D;  // Ctrl
    t[0x12] = 0x38;  // Alt
    t[0x14] = 0x3A;  // Caps Lock
    t[0x1B] = 0x01;  // Esc
    t[0x20] = 0x39;  // Space
    t[0x21] = 0x49;  // Page Up
    t[0x22] = 0x51;  // Page Down
    t[0x23] = 0x4F;  // End
    t[0x24] = 0x47;  // Home
    t[0x25] = 0x4B;  // Left
    t[0x26] = 0x48;  // Up
    t[0x27] = 0x4D;  // Right
    t[0x28] = 0x50;  // Down
    t[0x2D] = 0x52;  // Insert
    t[0x2E] = 0x53;  // Delete
    t[0x30] = 0x0B;
    for (int d = 1; d <= 9; ++d) {
        t[static_cast<std::size_t>(0x30 + d)] = static_cast<std::uint8_t>(0x01 + d);
    }
    const std::uint8_t letters[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                      0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                      0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
    for (int i = 0; i < 26; ++i) {
        t[static_cast<std::size_t>(0x41 + i)] = letters[i];
    }
    const std::uint8_t keypad[10] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};
    for (int i = 0; i < 10; ++i) {
        t[static_cast<std::size_t>(0x60 + i)] = keypad[i];
    }
    t[0x6A] = 0x37;  // keypad *
    t[0x6B] = 0x4E;  // keypad +
    t[0x6D] = 0x4A;  // keypad -
    t[0x6E] = 0x53;  // keypad .
    t[0x6F] = 0x35;  // keypad /
    for (int f = 0; f < 10; ++f) {
        t[static_cast<std::size_t>(0x70 + f)] = static_cast<std::uint8_t>(0x3B + f);  // F1..F10
    }
    t[0x7A] = 0x57;  // F11
    t[0x7B] = 0x58;  // F12
    t[0xBA] = 0x27;  // ;
    t[0xBB] = 0x0D;  // =
    t[0xBC] = 0x33;  // ,
    t[0xBD] = 0x0C;  // -
    t[0xBE] = 0x34;  // .
    t[0xBF] = 0x35;  // /
    t[0xC0] = 0x29;  // `
    t[0xDB] = 0x1A;  // [
    t[0xDC] = 0x2B;  // backslash
    t[0xDD] = 0x1B;  // ]
    t[0xDE] = 0x28;  // '
    return t;
}();

}  // namespace

void FakeInput::keybd_event(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) {
    log_->add("keybd_event(" + std::to_string(vk) + ", " + std::to_string(scan) + ", " +
              std::to_string(flags) + ")");
}

void FakeInput::mouse_event(std::uint32_t flags, std::int32_t dx, std::int32_t dy) {
    log_->add("mouse_event(" + std::to_string(flags) + ", " + std::to_string(dx) + ", " +
              std::to_string(dy) + ")");
}

std::int16_t FakeInput::VkKeyScan(unsigned char ch) {
    if (ch < 0x20 || ch > 0x7E) {
        return -1;
    }
    return kUsLayout[ch - 0x20];
}

std::uint32_t FakeInput::MapVirtualKey(std::uint32_t vk) {
    return vk < kScanCodes.size() ? kScanCodes[vk] : 0;
}

bool FakeInput::TypeCharacter(unsigned char ch) {
    if (untypeable.count(ch) != 0) {
        return false;
    }
    log_->add("TypeCharacter(" + std::to_string(ch) + ")");
    return true;
}

}  // namespace tavrel
