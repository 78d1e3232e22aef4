// Virtual keys and characters as key codes of the virtual keyboard's keymap.
#include "platform/wayland/virtual_keyboard.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include "platform/event_loop_wait.h"
#include "platform/keys/keysyms.h"
#include "platform/posix/unique_fd.h"
#include "platform/trace.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/windows.h"
#include "virtual-keyboard-unstable-v1-client.h"

namespace tavrel {

VirtualKeyboard::VirtualKeyboard(WaylandConnection& connection, zwp_virtual_keyboard_v1* keyboard,
                                 std::unique_ptr<VirtualKeymap> keymap, EventLoopWait& wait)
    : connection_(connection), keyboard_(keyboard), keymap_(std::move(keymap)), wait_(wait) {}

VirtualKeyboard::~VirtualKeyboard() {
    zwp_virtual_keyboard_v1_destroy(keyboard_);
    connection_.Flush();
}

void VirtualKeyboard::SendKeymap() {
    const std::string& text = keymap_->Text();
    const UniqueFd file(memfd_create("tavrel-keymap", MFD_CLOEXEC));
    const std::size_t size = text.size() + 1;  // with its terminating NUL
    if (!file || write(file.get(), text.c_str(), size) != static_cast<ssize_t>(size)) {
        TraceEvent([] { return "keys: the virtual keyboard's keymap cannot be written"; });
        return;
    }
    // The request takes its own copy of the descriptor.
    zwp_virtual_keyboard_v1_keymap(keyboard_, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, file.get(),
                                   static_cast<std::uint32_t>(size));
    sentGeneration_ = keymap_->generation();
}

std::optional<VirtualKeymap::Key> VirtualKeyboard::KeyFor(std::uint32_t keysym) {
    std::optional<VirtualKeymap::Key> key = keymap_->Find(keysym);
    if (!key && keymap_->PlaceReusesUnread(keysym)) {
        // Every spare key has typed since the clients last caught up: the
        // text goes on once the compositor has passed on what came before
        // and the clients have had a moment to read it.
        connection_.Roundtrip();
        wait_.For(kReadTime);
        keymap_->NoteRead();
    }
    if (!key) {
        key = keymap_->Place(keysym);
    }
    if (key && sentGeneration_ != keymap_->generation()) {
        SendKeymap();
    }
    return key;
}

void VirtualKeyboard::SendModifiers(std::uint32_t extraMods) {
    const VirtualKeymap::Modifiers mods = keymap_->ModifiersWith(extraMods);
    if (mods != sentMods_) {
        zwp_virtual_keyboard_v1_modifiers(keyboard_, mods.depressed, mods.latched, mods.locked,
                                          mods.group);
        sentMods_ = mods;
    }
}

void VirtualKeyboard::Send(unsigned code, bool press, std::uint32_t extraMods) {
    if (sentGeneration_ == 0) {
        SendKeymap();
    }
    // The modifiers a key needs are in force before it goes down and until it is up.
    if (press) {
        SendModifiers(extraMods);
    }
    zwp_virtual_keyboard_v1_key(
        keyboard_, EventMilliseconds(), code,
        press ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    keymap_->Press(code, press);
    SendModifiers(press ? extraMods : 0);
    connection_.Flush();
}

void VirtualKeyboard::keybd_event(std::uint8_t vk, std::uint8_t /*scan*/, std::uint32_t flags) {
    if ((flags & KEYEVENTF_KEYUP) != 0) {
        if (pressedOn_[vk] != 0) {
            Send(pressedOn_[vk], false, 0);
            pressedOn_[vk] = 0;
        }
        return;
    }
    const std::optional<VirtualKeymap::Key> key = KeyFor(VirtualKeyToKeysym(vk));
    if (!key) {
        TraceEvent([vk] { return "keys: virtual key " + std::to_string(vk) + " has no keysym"; });
        return;
    }
    // Held Shift, Ctrl and Alt stay what they are: a keypad digit adds
    // Num Lock for itself, nothing else is added.
    const std::uint32_t extra = key->mods & ~keymap_->ShiftMask();
    pressedOn_[vk] = key->code;
    pressedMods_[vk] = extra;
    Send(key->code, true, extra);
}

std::int16_t VirtualKeyboard::VkKeyScan(unsigned char ch) {
    KeysymValue alternative = 0;
    const KeysymValue keysym = Cp1252ToKeysym(ch, &alternative);
    std::optional<VirtualKeymap::Key> key = keymap_->Find(keysym, true);
    if (!key && alternative != 0) {
        key = keymap_->Find(alternative, true);
    }
    if (!key) {
        return -1;  // typed by TypeCharacter on a key of its own
    }
    std::uint8_t vk = KeysymToVirtualKey(keymap_->PlainKeysym(key->code));
    if (vk == 0) {
        vk = KeyCodePositionToVirtualKey(key->code);
    }
    if (vk == 0) {
        return -1;
    }
    const int shift = (key->mods & keymap_->ShiftMask()) != 0 ? 1 : 0;
    return static_cast<std::int16_t>(vk | (shift << 8));
}

std::uint32_t VirtualKeyboard::MapVirtualKey(std::uint32_t vk) {
    if (vk > 0xFF) {
        return 0;
    }
    const std::optional<VirtualKeymap::Key> key =
        keymap_->Find(VirtualKeyToKeysym(static_cast<std::uint8_t>(vk)));
    return key ? key->code : 0;
}

bool VirtualKeyboard::TypeCharacter(unsigned char ch) {
    KeysymValue alternative = 0;
    const KeysymValue keysym = Cp1252ToKeysym(ch, &alternative);
    if (keysym == 0) {
        return false;
    }
    std::optional<VirtualKeymap::Key> key = keymap_->Find(keysym);
    if (!key && alternative != 0) {
        key = keymap_->Find(alternative);
    }
    if (!key) {
        key = KeyFor(keysym);
    }
    if (!key) {
        return false;
    }
    Send(key->code, true, key->mods);
    Send(key->code, false, 0);
    return true;
}

}  // namespace tavrel
