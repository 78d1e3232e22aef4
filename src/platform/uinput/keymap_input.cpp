// Windows virtual keys and characters as evdev key codes on the layout in
// force, handed to the desktop's keyboard and pointer.
#include "platform/uinput/keymap_input.h"

#include <linux/input-event-codes.h>

#include <utility>

#include "platform/keys/keysyms.h"
#include "platform/text_encoding.h"
#include "platform/trace.h"
#include "platform/uinput/uinput_devices.h"
#include "platform/windows.h"

namespace tavrel {
namespace {

bool IsShift(std::uint8_t vk) {
    return vk == vk::SHIFT || vk == 0xA0 || vk == 0xA1;
}

std::unique_ptr<XkbLayout> DefaultLayout(std::string* problem) {
    std::unique_ptr<XkbLayout> layout = XkbLayout::FromNames("", "", "", problem);
    if (!layout) {
        std::string ignored;
        layout = XkbLayout::FromNames("us", "", "", &ignored);
    }
    return layout;
}

}  // namespace

KeymapInput::OpenResult KeymapInput::OpenUinput(EventLoopWait& wait, const std::string& path) {
    UinputDevices::OpenResult devices = UinputDevices::Open(path);
    OpenResult result;
    if (!devices.devices) {
        result.problem = std::move(devices.problem);
        return result;
    }
    result.input = WithDefaultLayout(std::move(devices.devices), wait, &result.problem);
    return result;
}

std::unique_ptr<KeymapInput> KeymapInput::WithDefaultLayout(std::unique_ptr<KeyDevices> devices,
                                                            EventLoopWait& wait,
                                                            std::string* problem) {
    std::unique_ptr<XkbLayout> layout = DefaultLayout(problem);
    if (!layout) {
        *problem += " Only keys without a character are sent.";
    }
    return std::make_unique<KeymapInput>(std::move(devices), std::move(layout), wait);
}

KeymapInput::KeymapInput(std::unique_ptr<KeyDevices> devices, std::unique_ptr<XkbLayout> layout,
                         EventLoopWait& wait)
    : devices_(std::move(devices)), layout_(std::move(layout)), wait_(wait) {}

std::string KeymapInput::SetKeymap(std::string_view xkbText) {
    std::string problem;
    std::unique_ptr<XkbLayout> layout = XkbLayout::FromText(xkbText, &problem);
    if (!layout) {
        return problem;
    }
    layout->SetActiveLayout(activeLayout_);
    layout_ = std::move(layout);
    namedByPosition_.fill(0);
    return {};
}

void KeymapInput::SetActiveLayout(unsigned index) {
    activeLayout_ = index;
    if (layout_) {
        layout_->SetActiveLayout(index);
    }
    namedByPosition_.fill(0);
}

void KeymapInput::Settle() {
    if (settled_) {
        return;
    }
    settled_ = true;
    const auto ready = devices_->readyAt();
    const auto now = std::chrono::steady_clock::now();
    if (now < ready) {
        wait_.For(std::chrono::ceil<std::chrono::milliseconds>(ready - now));
    }
}

void KeymapInput::Noted(bool handed) {
    if (handed || std::exchange(failureTraced_, true)) {
        return;
    }
    TraceEvent([this] { return "keys: not sent: " + devices_->Failure(); });
}

void KeymapInput::Send(unsigned code, bool press) {
    Settle();
    Noted(devices_->Key(code, press));
}

// Presses the key with the modifier keys it needs (Shift only when not held
// already) and, when release is set, lets go of the key as well. A lock the
// key needs toggled is toggled back once the key is down.
void KeymapInput::Tap(const KeyStroke& stroke, bool release) {
    const unsigned lock =
        (stroke.modifiers & kLockKeys) == 0
            ? 0
            : layout_->ModifierKeyCode(static_cast<ModifierKey>(stroke.modifiers & kLockKeys));
    auto toggleLock = [&] {
        if (lock != 0) {
            devices_->NoteOwnToggle((stroke.modifiers & kCapsLockKey) != 0);
            Send(lock, true);
            Send(lock, false);
        }
    };
    toggleLock();
    unsigned held[3] = {};
    int count = 0;
    for (const ModifierKey modifier : {kShiftKey, kLevel3Key, kLevel5Key}) {
        if ((stroke.modifiers & modifier) != 0 && !(modifier == kShiftKey && shiftDown_)) {
            held[count] = layout_->ModifierKeyCode(modifier);
            Send(held[count++], true);
        }
    }
    Send(stroke.code, true);
    if (release) {
        Send(stroke.code, false);
    }
    while (count > 0) {
        Send(held[--count], false);
    }
    toggleLock();
}

KeyStroke KeymapInput::ForVirtualKey(std::uint8_t vk) {
    if (namedByPosition_[vk] != 0) {
        return {namedByPosition_[vk], 0};
    }
    const KeysymValue keysym = VirtualKeyToKeysym(vk);
    if (layout_ && keysym != 0) {
        const KeyStroke stroke =
            layout_->ForKeysym(static_cast<std::uint32_t>(keysym), devices_->Locks());
        if (stroke.code != 0) {
            return stroke;
        }
    }
    // A key the layout does not name: where it sits on a US keyboard.
    for (unsigned code = 1; code < 256; ++code) {
        if (KeyCodePositionToVirtualKey(code) == vk) {
            return {code, 0};
        }
    }
    return {};
}

void KeymapInput::keybd_event(std::uint8_t vk, std::uint8_t /*scan*/, std::uint32_t flags) {
    const bool release = (flags & KEYEVENTF_KEYUP) != 0;
    if (release) {
        const unsigned code = pressedOn_[vk] != 0 ? pressedOn_[vk] : ForVirtualKey(vk).code;
        if (code != 0) {
            Send(code, false);
        }
        pressedOn_[vk] = 0;
    } else {
        const KeyStroke stroke = ForVirtualKey(vk);
        if (stroke.code == 0) {
            TraceEvent([vk] {
                return "keys: the keyboard layout has no key for virtual key " +
                       std::to_string(vk) + "; left out";
            });
            return;
        }
        // Modifier keys the key needs (Shift for a keypad digit) are let go
        // at once; held Ctrl and Alt stay what they are.
        Tap(stroke, false);
        pressedOn_[vk] = stroke.code;
    }
    if (IsShift(vk)) {
        shiftDown_ = !release;
    }
}

void KeymapInput::mouse_event(std::uint32_t flags, std::int32_t dx, std::int32_t dy) {
    Settle();
    if ((flags & MOUSEEVENTF_MOVE) != 0) {
        Noted(devices_->Move(dx, dy));
    }
    for (const MouseButtonEvent& event : kMouseButtonEvents) {
        constexpr unsigned kButtons[] = {BTN_LEFT, BTN_RIGHT, BTN_MIDDLE};
        if ((flags & event.flag) != 0) {
            Noted(devices_->Button(kButtons[static_cast<int>(event.button)], event.press));
        }
    }
}

std::int16_t KeymapInput::VkKeyScan(unsigned char ch) {
    if (!layout_) {
        return -1;
    }
    const std::vector<KeyStroke> strokes = layout_->ForCharacter(Cp1252ToCodePoint(ch), textLocks_);
    // Dead keys, the fifth level and toggled locks have no virtual key:
    // TypeCharacter types those.
    if (strokes.size() != 1 || (strokes[0].modifiers & ~(kShiftKey | kLevel3Key)) != 0) {
        return -1;
    }
    const KeyStroke& stroke = strokes[0];
    std::uint8_t vk = KeysymToVirtualKey(layout_->PlainKeysym(stroke.code));
    if (vk == 0) {
        vk = KeyCodePositionToVirtualKey(stroke.code);
        if (vk != 0) {
            namedByPosition_[vk] = stroke.code;
        }
    }
    // A virtual key that keybd_event would place on another key (a symbol
    // the layout has twice) would type something else.
    if (vk == 0 || ForVirtualKey(vk).code != stroke.code) {
        return -1;
    }
    int shift = (stroke.modifiers & kShiftKey) != 0 ? 1 : 0;
    if ((stroke.modifiers & kLevel3Key) != 0) {
        shift |= 6;  // AltGr, as Ctrl+Alt
    }
    return static_cast<std::int16_t>(vk | (shift << 8));
}

std::uint32_t KeymapInput::MapVirtualKey(std::uint32_t vk) {
    return vk > 0xFF ? 0 : ForVirtualKey(static_cast<std::uint8_t>(vk)).code;
}

bool KeymapInput::TypeCharacter(unsigned char ch) {
    const std::vector<KeyStroke> strokes =
        layout_ ? layout_->ForCharacter(Cp1252ToCodePoint(ch), devices_->Locks())
                : std::vector<KeyStroke>{};
    if (strokes.empty()) {
        TraceEvent([ch] {
            return "keys: the keyboard layout has no key for \"" +
                   std::string(1, static_cast<char>(ch)) + "\"; left out";
        });
        return false;
    }
    for (const KeyStroke& stroke : strokes) {
        Tap(stroke, true);
    }
    return true;
}

void KeymapInput::StartOfKeys() {
    failureTraced_ = false;          // each run of keys says whether its keys were lost
    textLocks_ = devices_->Locks();  // Caps Lock may have changed since the last run
}

}  // namespace tavrel
