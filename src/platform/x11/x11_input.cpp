// XTest key and button events with the Windows meanings of virtual keys and
// shift states, on top of whatever layout the X server has loaded.
#include "platform/x11/x11_input.h"

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <utility>

#include "platform/trace.h"
#include "platform/windows.h"

namespace tavrel {
namespace {

bool IsShift(std::uint8_t vk) {
    return vk == vk::SHIFT || vk == 0xA0 || vk == 0xA1;
}

}  // namespace

X11Input::X11Input(X11Connection& connection, X11Keymap& keymap, EventLoopWait& wait, bool haveXTest)
    : connection_(connection), keymap_(keymap), wait_(wait), haveXTest_(haveXTest) {}

void X11Input::FakeKey(unsigned keycode, bool press) {
    XTestFakeKeyEvent(connection_.display(), keycode, press ? True : False, CurrentTime);
    lastKey_ = std::chrono::steady_clock::now();
}

void X11Input::AwaitSettledFocus() {
    // Only the first key of a run pays, unless the focus was moving just now:
    // a window manager may hand the focus around more than once after a
    // window went away. On a loaded machine it may take a second or more to
    // hand it on at all, and a key sent meanwhile reaches no window. Where the
    // focus never settles (it rests outside every managed window), one wait
    // per run is all it costs. Keys close together without a declared start
    // count as one run.
    constexpr std::chrono::milliseconds kBurstGap{15};
    constexpr std::chrono::milliseconds kLongest{2000};
    constexpr std::chrono::milliseconds kWatchAfterMove{500};
    const auto now = std::chrono::steady_clock::now();
    const bool startsRun = std::exchange(checkNext_, false) || now - lastKey_ > kBurstGap;
    if (!focusSettled_ || (!startsRun && now >= watchUntil_)) {
        return;
    }
    if (!focusSettled_()) {
        const bool settled = wait_.Until(focusSettled_, kLongest);
        watchUntil_ = settled ? std::chrono::steady_clock::now() + kWatchAfterMove : now;
        if (!settled) {
            TraceEvent([] { return "keys: the focus rests on no managed window; typing anyway"; });
        }
    }
}

void X11Input::StartOfKeys() {
    checkNext_ = true;
    keymap_.NoteLocks();  // Caps Lock may have changed since the last run
}

// Presses the key with the modifiers the choice adds (those not already held)
// and, when release is set, lets go of the key as well.
void X11Input::TapWithModifiers(const KeyChoice& choice, bool release) {
    const unsigned shift =
        (choice.mods & ShiftMask) != 0 && !shiftDown_ ? keymap_.Keycode(XK_Shift_L) : 0;
    const unsigned level3 =
        (choice.mods & ~ShiftMask) != 0 ? keymap_.Keycode(XK_ISO_Level3_Shift) : 0;
    for (unsigned modifier : {shift, level3}) {
        if (modifier != 0) {
            FakeKey(modifier, true);
        }
    }
    FakeKey(choice.keycode, true);
    if (release) {
        FakeKey(choice.keycode, false);
    }
    for (unsigned modifier : {level3, shift}) {
        if (modifier != 0) {
            FakeKey(modifier, false);
        }
    }
}

void X11Input::keybd_event(std::uint8_t vk, std::uint8_t /*scan*/, std::uint32_t flags) {
    if (!haveXTest_) {
        return;
    }
    const bool release = (flags & KEYEVENTF_KEYUP) != 0;
    if (!release) {
        AwaitSettledFocus();
    }
    // The key events themselves cannot fail on keycodes from the keymap: they
    // go out without a wait, and a late error still reaches the trace.
    if (release) {
        const unsigned keycode =
            pressedOn_[vk] != 0 ? pressedOn_[vk] : keymap_.ForVirtualKey(vk).keycode;
        if (keycode != 0) {
            FakeKey(keycode, false);
        }
        if (pressedOnSpare_[vk]) {
            X11ErrorTrap trap(connection_.display());
            trap.Sync();
            wait_.For(kRemapHold);
            RestoreSpare(keycode);
        }
        pressedOn_[vk] = 0;
        pressedOnSpare_[vk] = false;
    } else {
        KeyChoice choice = keymap_.ForVirtualKey(vk);
        const bool spare = choice.keycode == 0;
        if (spare) {
            X11ErrorTrap trap(connection_.display());
            choice.keycode = MapSpare(VirtualKeyToKeysym(vk));
            if (choice.keycode == 0) {
                return;
            }
        }
        // Held Ctrl and Alt stay what they are, a shortcut on the key's own
        // symbol: characters on the AltGr level are typed by TypeCharacter.
        TapWithModifiers(choice, false);
        pressedOn_[vk] = choice.keycode;
        pressedOnSpare_[vk] = spare;
    }
    XFlush(connection_.display());
    if (IsShift(vk)) {
        shiftDown_ = !release;
    }
}

void X11Input::mouse_event(std::uint32_t flags, std::int32_t dx, std::int32_t dy) {
    if (!haveXTest_) {
        return;
    }
    X11ErrorTrap trap(connection_.display());
    Display* display = connection_.display();
    if ((flags & MOUSEEVENTF_MOVE) != 0) {
        XTestFakeRelativeMotionEvent(display, dx, dy, CurrentTime);
    }
    for (const MouseButtonEvent& event : kMouseButtonEvents) {
        if ((flags & event.flag) != 0) {
            constexpr unsigned kButtons[] = {Button1, Button3, Button2};  // left, right, middle
            XTestFakeButtonEvent(display, kButtons[static_cast<int>(event.button)],
                                 event.press ? True : False, CurrentTime);
        }
    }
}

std::int16_t X11Input::VkKeyScan(unsigned char ch) {
    X11ErrorTrap trap(connection_.display());
    return keymap_.VkKeyScan(ch);
}

std::uint32_t X11Input::MapVirtualKey(std::uint32_t vk) {
    if (vk > 0xFF) {
        return 0;
    }
    X11ErrorTrap trap(connection_.display());
    // Evdev keycodes are the kernel's key codes plus 8, and those equal the
    // PC scan codes of the main block.
    const unsigned keycode = keymap_.ForVirtualKey(static_cast<std::uint8_t>(vk)).keycode;
    return keycode >= 8 ? keycode - 8 : 0;
}

bool X11Input::TypeCharacter(unsigned char ch) {
    if (!haveXTest_) {
        return false;
    }
    AwaitSettledFocus();
    X11ErrorTrap trap(connection_.display());
    KeysymValue alternative = 0;
    const KeysymValue keysym = Cp1252ToKeysym(ch, &alternative);
    if (keysym == NoSymbol) {
        return false;
    }
    const KeyChoice choice = keymap_.Find(keysym, alternative, true);
    if (choice.keycode != 0) {
        TapWithModifiers(choice, true);
        return true;
    }
    const unsigned spare = MapSpare(keysym);
    if (spare == 0) {
        return false;
    }
    FakeKey(spare, true);
    FakeKey(spare, false);
    trap.Sync();
    wait_.For(kRemapHold);
    RestoreSpare(spare);
    return true;
}

unsigned X11Input::MapSpare(KeysymValue keysym) {
    const unsigned keycode = keysym == NoSymbol ? 0 : keymap_.SpareKeycode();
    if (keycode == 0) {
        return 0;
    }
    // Both levels, so that a held Shift does not turn it into nothing.
    KeySym symbols[2] = {keysym, keysym};
    XChangeKeyboardMapping(connection_.display(), static_cast<int>(keycode), 2, symbols, 1);
    XSync(connection_.display(), False);
    keymap_.Invalidate();
    return keycode;
}

void X11Input::RestoreSpare(unsigned keycode) {
    KeySym symbols[2] = {NoSymbol, NoSymbol};
    XChangeKeyboardMapping(connection_.display(), static_cast<int>(keycode), 2, symbols, 1);
    keymap_.Invalidate();
}

}  // namespace tavrel
