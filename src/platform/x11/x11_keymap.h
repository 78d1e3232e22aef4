// The server's current keyboard mapping as the backend needs it: which
// keycode and which added modifiers produce a keysym, virtual keys of keys,
// and spare keycodes for symbols the layout lacks.
#pragma once

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <array>
#include <cstdint>

#include "platform/keys/keysyms.h"

namespace tavrel {

struct KeyChoice {
    unsigned keycode = 0;  // 0: no key
    unsigned mods = 0;     // X modifier mask that must be added while pressing
};

class X11Keymap {
public:
    explicit X11Keymap(Display* display);
    ~X11Keymap();
    X11Keymap(const X11Keymap&) = delete;
    X11Keymap& operator=(const X11Keymap&) = delete;

    // The key that produces keysym (or alternative) with no modifier at all.
    KeyChoice Plain(KeysymValue keysym, KeysymValue alternative = 0);

    // The key and the fewest added modifiers (Shift, then the third level)
    // that produce keysym, with the server's locked modifiers taken into account
    // when withLocks is set.
    KeyChoice Find(KeysymValue keysym, KeysymValue alternative, bool withLocks);

    // The key that virtual key vk stands for, as keybd_event presses it.
    KeyChoice ForVirtualKey(std::uint8_t vk);

    // VkKeyScan: virtual key in the low byte, 1 Shift / 6 third level (AltGr,
    // as Ctrl+Alt) in the high byte; -1 when the layout has no such character.
    // Shift is what the character needs under the locks last noted, so that
    // text comes out as written with Caps Lock on.
    std::int16_t VkKeyScan(unsigned char ch);
    // Reads the server's locked modifiers for the text that follows.
    void NoteLocks() { textLocks_ = LockedMods(); }

    // The keysym keycode gives under the modifier mask mods (current group).
    KeysymValue Translate(unsigned keycode, unsigned mods);

    unsigned level3Mask();
    unsigned Keycode(KeysymValue keysym) { return Plain(keysym).keycode; }

    // A keycode without any symbol, for temporary remapping; 0 when none.
    unsigned SpareKeycode();

    // Call after changing the mapping; other clients' changes are noticed.
    void Invalidate() { stale_ = true; }

private:
    Display* display_;
    XkbDescPtr xkb_ = nullptr;
    int xkbEventBase_ = -1;
    bool stale_ = true;
    unsigned group_ = 0;
    unsigned textLocks_ = 0;  // locked modifiers for VkKeyScan, from NoteLocks
    // Keys that VkKeyScan named by their position because their own symbol
    // has no virtual key; keybd_event presses the same key for that number.
    std::array<unsigned, 256> namedByPosition_{};

    XkbDescPtr Current();
    KeysymValue TranslateWith(XkbDescPtr xkb, unsigned keycode, unsigned mods) const;
    unsigned LockedMods();
    KeyChoice FindUnder(KeysymValue keysym, KeysymValue alternative, unsigned locked);
};

}  // namespace tavrel
