// The tables between Windows virtual keys, Windows-1252 characters and
// keysyms. Pure lookups, shared by every backend that speaks keysyms.
#pragma once

#include <cstdint>

namespace tavrel {

using KeysymValue = unsigned long;  // a keysym (X11 and XKB share them); 0 is none

// The keysym of the key a virtual key names (VK_RETURN -> Return, 'A' -> a,
// VK_NUMPAD0 -> KP_0 ...); 0 for an unknown virtual key.
KeysymValue VirtualKeyToKeysym(std::uint8_t vk);

// The virtual key of a key whose unshifted keysym is keysym; 0 when none.
std::uint8_t KeysymToVirtualKey(KeysymValue keysym);

// The virtual key at a position of a US keyboard, by evdev key code (X keycode
// minus 8); 0 when none. Names keys whose own symbol has no virtual key.
std::uint8_t KeyCodePositionToVirtualKey(unsigned evdevCode);

// The keysym that types a Windows-1252 character; 0 when none. *alternative,
// when given, receives a second keysym that keymaps may use for it (the
// Unicode form of a character whose traditional keysym is returned), or 0.
KeysymValue Cp1252ToKeysym(unsigned char ch, KeysymValue* alternative = nullptr);

}  // namespace tavrel
