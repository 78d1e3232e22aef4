// The named-key table, in the order of the editor's key list.
#include "actions/named_keys.h"

#include "platform/windows.h"

namespace tavrel {

const std::array<std::string_view, kNamedKeyCount> kNamedKeyLabels = {
    "Enter", "Space",     "Ins",  "Del",   "Home", "End",  "PgUp", "PgDn", "Tab",
    "Esc",   "BackSpace", "Left", "Right", "Up",   "Down", "F1",   "F2",   "F3",
    "F4",    "F5",        "F6",   "F7",    "F8",   "F9",   "F10",  "F11",  "F12"};

const std::array<std::uint8_t, kNamedKeyCount> kNamedKeyCodes = {13,
                                                                 32,
                                                                 keycode::Ins,
                                                                 keycode::Del,
                                                                 keycode::Home,
                                                                 keycode::End,
                                                                 keycode::PgUp,
                                                                 keycode::PgDn,
                                                                 9,
                                                                 27,
                                                                 8,
                                                                 keycode::Left,
                                                                 keycode::Right,
                                                                 keycode::Up,
                                                                 keycode::Down,
                                                                 228,
                                                                 229,
                                                                 230,
                                                                 231,
                                                                 232,
                                                                 233,
                                                                 234,
                                                                 235,
                                                                 236,
                                                                 237,
                                                                 238,
                                                                 239};

const std::array<std::uint16_t, kNamedKeyCount> kNamedKeyVirtualKeys = {
    vk::RETURN, vk::SPACE, vk::INSERT, vk::DELETE_, vk::HOME, vk::END,   vk::PRIOR,
    vk::NEXT,   vk::TAB,   vk::ESCAPE, vk::BACK,    vk::LEFT, vk::RIGHT, vk::UP,
    vk::DOWN,   112,       113,        114,         115,      116,       117,
    118,        119,       120,        121,         122,      123};

std::optional<int> NamedKeyIndex(std::string_view keyText) {
    if (keyText.empty()) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : keyText) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value >= kNamedKeyCount) {
            return std::nullopt;
        }
    }
    return value;
}

}  // namespace tavrel
