// The editor's list of named keys and the byte codes of a keystroke string.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tavrel {

constexpr int kNamedKeyCount = 27;

// The labels of the editor's key list; a named tap-key action stores the
// position in this list, not a key number.
extern const std::array<std::string_view, kNamedKeyCount> kNamedKeyLabels;
// The byte put into a keystroke string for each named key.
extern const std::array<std::uint8_t, kNamedKeyCount> kNamedKeyCodes;
// The virtual key the plain key path taps for each named key.
extern const std::array<std::uint16_t, kNamedKeyCount> kNamedKeyVirtualKeys;

// The stored key text as a list position: decimal digits only, 0 to 26.
std::optional<int> NamedKeyIndex(std::string_view keyText);

// Keystroke-string bytes. Below 32: the control key with that virtual key;
// 32..227: a character placed by the keyboard layout.
namespace keycode {
constexpr unsigned char F1 = 228, F12 = 239;
constexpr unsigned char Home = 240, End = 241, Up = 242, Down = 243, Left = 244, Right = 245,
                        PgUp = 246, PgDn = 247, Ins = 248, Del = 249;
constexpr unsigned char PressShift = 250, ReleaseShift = 251, PressCtrl = 252, ReleaseCtrl = 253,
                        PressAlt = 254, ReleaseAlt = 255;
constexpr unsigned char FirstFunctionKey = F1;
constexpr unsigned char FirstNavigationKey = Home;
constexpr unsigned char FirstModifierEvent = PressShift;
}  // namespace keycode

}  // namespace tavrel
