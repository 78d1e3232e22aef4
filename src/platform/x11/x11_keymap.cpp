// Keymap queries over XKB, refreshed when the server announces a change.
#include "platform/x11/x11_keymap.h"

#include <X11/keysym.h>

namespace tavrel {

X11Keymap::X11Keymap(Display* display) : display_(display) {
    int opcode = 0;
    int errorBase = 0;
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    if (XkbQueryExtension(display_, &opcode, &xkbEventBase_, &errorBase, &major, &minor)) {
        const unsigned mask = XkbMapNotifyMask | XkbNewKeyboardNotifyMask;
        XkbSelectEvents(display_, XkbUseCoreKbd, mask, mask);
    }
}

X11Keymap::~X11Keymap() {
    if (xkb_ != nullptr) {
        XkbFreeKeyboard(xkb_, 0, True);
    }
}

XkbDescPtr X11Keymap::Current() {
    // The backend selects only keyboard notifications on its connection.
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == xkbEventBase_ || event.type == MappingNotify) {
            stale_ = true;
        }
    }
    if (stale_ || xkb_ == nullptr) {
        if (xkb_ != nullptr) {
            XkbFreeKeyboard(xkb_, 0, True);
        }
        xkb_ = XkbGetMap(display_, XkbAllClientInfoMask, XkbUseCoreKbd);
        XkbStateRec state{};
        group_ = XkbGetState(display_, XkbUseCoreKbd, &state) == Success ? state.group : 0;
        stale_ = false;
    }
    return xkb_;
}

unsigned X11Keymap::LockedMods() {
    XkbStateRec state{};
    if (XkbGetState(display_, XkbUseCoreKbd, &state) != Success) {
        return 0;
    }
    group_ = state.group;
    return state.locked_mods;
}

KeysymValue X11Keymap::Translate(unsigned keycode, unsigned mods) {
    XkbDescPtr xkb = Current();
    return xkb == nullptr ? NoSymbol : TranslateWith(xkb, keycode, mods);
}

KeysymValue X11Keymap::TranslateWith(XkbDescPtr xkb, unsigned keycode, unsigned mods) const {
    unsigned consumed = 0;
    KeySym keysym = NoSymbol;
    XkbTranslateKeyCode(xkb, static_cast<KeyCode>(keycode), XkbBuildCoreState(mods, group_),
                        &consumed, &keysym);
    return keysym;
}

unsigned X11Keymap::level3Mask() {
    return XkbKeysymToModifiers(display_, XK_ISO_Level3_Shift);
}

KeyChoice X11Keymap::Plain(KeysymValue keysym, KeysymValue alternative) {
    XkbDescPtr xkb = Current();
    if (xkb == nullptr || keysym == NoSymbol) {
        return {};
    }
    for (unsigned code = xkb->min_key_code; code <= xkb->max_key_code; ++code) {
        const KeysymValue produced = TranslateWith(xkb, code, 0);
        if (produced != NoSymbol && (produced == keysym || produced == alternative)) {
            return {code, 0};
        }
    }
    return {};
}

KeyChoice X11Keymap::Find(KeysymValue keysym, KeysymValue alternative, bool withLocks) {
    return FindUnder(keysym, alternative, withLocks ? LockedMods() : 0);
}

KeyChoice X11Keymap::FindUnder(KeysymValue keysym, KeysymValue alternative, unsigned locked) {
    XkbDescPtr xkb = Current();
    if (xkb == nullptr || keysym == NoSymbol) {
        return {};
    }
    const unsigned level3 = level3Mask();
    const unsigned candidates[] = {0, ShiftMask, level3, ShiftMask | level3};
    for (unsigned added : candidates) {
        for (unsigned code = xkb->min_key_code; code <= xkb->max_key_code; ++code) {
            const KeysymValue produced = TranslateWith(xkb, code, locked | added);
            if (produced != NoSymbol && (produced == keysym || produced == alternative)) {
                return {code, added};
            }
        }
    }
    return {};
}

KeyChoice X11Keymap::ForVirtualKey(std::uint8_t vk) {
    if (namedByPosition_[vk] != 0) {
        return {namedByPosition_[vk], 0};
    }
    const KeysymValue keysym = VirtualKeyToKeysym(vk);
    KeyChoice choice = Plain(keysym);
    // Keypad digits sit on the Num Lock level: reach it with whatever the
    // current lock state requires.
    return choice.keycode != 0 ? choice : Find(keysym, 0, true);
}

std::int16_t X11Keymap::VkKeyScan(unsigned char ch) {
    KeysymValue alternative = 0;
    const KeysymValue keysym = Cp1252ToKeysym(ch, &alternative);
    const KeyChoice choice = FindUnder(keysym, alternative, textLocks_);
    if (choice.keycode == 0) {
        return -1;
    }
    std::uint8_t vk = KeysymToVirtualKey(Translate(choice.keycode, 0));
    if (vk == 0 && choice.keycode >= 8) {
        vk = KeyCodePositionToVirtualKey(choice.keycode - 8);
        if (vk != 0) {
            namedByPosition_[vk] = choice.keycode;
        }
    }
    if (vk == 0) {
        return -1;
    }
    int shift = (choice.mods & ShiftMask) != 0 ? 1 : 0;
    if (level3Mask() != 0 && (choice.mods & level3Mask()) == level3Mask()) {
        shift |= 6;
    }
    return static_cast<std::int16_t>(vk | (shift << 8));
}

unsigned X11Keymap::SpareKeycode() {
    XkbDescPtr xkb = Current();
    if (xkb == nullptr) {
        return 0;
    }
    // From the top: the highest keycodes are the least likely to exist on a
    // real keyboard.
    for (unsigned code = xkb->max_key_code; code > xkb->min_key_code; --code) {
        if (XkbKeyNumSyms(xkb, code) == 0) {
            return code;
        }
    }
    return 0;
}

}  // namespace tavrel
