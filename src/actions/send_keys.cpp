// The keystroke sender. One "held" flag serves all three modifiers: while an
// explicit modifier is down the layout's own shift state is not applied, so
// Alt+a stays Alt+A rather than becoming Alt+Shift+A.
#include "actions/send_keys.h"

#include <algorithm>
#include <string>

#include "actions/named_keys.h"
#include "platform/windows.h"

namespace tavrel {

namespace {

constexpr std::uint8_t kModifierKeys[3] = {vk::SHIFT, vk::CONTROL, vk::MENU};
constexpr std::uint8_t kNavigationKeys[10] = {vk::HOME,   vk::END,    vk::UP,    vk::DOWN,
                                              vk::LEFT,   vk::RIGHT,  vk::PRIOR, vk::NEXT,
                                              vk::INSERT, vk::DELETE_};
constexpr int kLayoutShiftBits[3] = {1, 2, 4};  // Shift, Ctrl, Alt in VkKeyScan's high byte
constexpr std::size_t kTitleBufferSize = 256;

}  // namespace

KeystrokeString KeyCodes(std::string_view codes) {
    KeystrokeString keys;
    keys.reserve(codes.size());
    for (const char byte : codes) {
        keys.push_back({Keystroke::Kind::Code, static_cast<unsigned char>(byte)});
    }
    return keys;
}

void AppendText(KeystrokeString& keys, std::string_view text) {
    for (const char byte : text) {
        keys.push_back({Keystroke::Kind::Character, static_cast<unsigned char>(byte)});
    }
}

TSendKeys::TSendKeys(Input& input, Desktop& desktop, std::function<void()> processMessages)
    : input_(&input), desktop_(&desktop), processMessages_(std::move(processMessages)) {}

void TSendKeys::sendModifierEvent(unsigned char code, bool (&down)[3]) {
    const int which = (code - keycode::FirstModifierEvent) / 2;
    const bool press = code % 2 == 0;
    const std::uint8_t key = kModifierKeys[which];
    input_->keybd_event(key, static_cast<std::uint8_t>(input_->MapVirtualKey(key)),
                        press ? 0 : KEYEVENTF_KEYUP);
    down[which] = press;
}

void TSendKeys::sendCharacter(unsigned char ch, bool held) {
    const std::int16_t r = input_->VkKeyScan(ch);
    const int shiftState = (r >> 8) & 0xFF;
    if (r == -1 || (r & 0xFF) == 0xFF) {
        // No key of the layout gives it; pressing "key 255 with every
        // modifier" would send something else, so let the backend type it.
        input_->TypeCharacter(ch);
        return;
    }
    if (!held && (shiftState & (kLayoutShiftBits[1] | kLayoutShiftBits[2])) != 0 &&
        input_->TypeCharacter(ch)) {
        // An AltGr character: Ctrl and Alt pressed as keys make a shortcut on
        // desktops that keep AltGr a key of its own, so the backend places it.
        return;
    }
    tap(static_cast<std::uint8_t>(r & 0xFF), held ? 0 : shiftState);
}

void TSendKeys::sendKey(unsigned char code, bool held) {
    if (code >= 32 && code < keycode::FirstFunctionKey) {
        sendCharacter(code, held);
        return;
    }
    std::uint8_t key = code;  // below 32: the control key of that number
    if (code >= keycode::FirstNavigationKey) {
        key = kNavigationKeys[code - keycode::FirstNavigationKey];
    } else if (code >= keycode::FirstFunctionKey) {
        key = static_cast<std::uint8_t>(code - 116);
    }
    tap(key, 0);
}

void TSendKeys::tap(std::uint8_t key, int shiftState) {
    const auto scan = static_cast<std::uint8_t>(input_->MapVirtualKey(key));
    for (int i = 0; i < 3; ++i) {
        if (shiftState & kLayoutShiftBits[i]) {
            input_->keybd_event(kModifierKeys[i], 0, 0);
        }
    }
    input_->keybd_event(key, scan, 0);
    input_->keybd_event(key, scan, KEYEVENTF_KEYUP);
    for (int i = 2; i >= 0; --i) {
        if (shiftState & kLayoutShiftBits[i]) {
            input_->keybd_event(kModifierKeys[i], 0, KEYEVENTF_KEYUP);
        }
    }
}

void TSendKeys::SendKeyString(const KeystrokeString& keys) {
    bool held = false;
    bool down[3] = {false, false, false};  // Shift, Ctrl, Alt left down by this string
    for (const Keystroke& stroke : keys) {
        const unsigned char code = stroke.value;
        if (stroke.kind == Keystroke::Kind::Character && code >= 32) {
            sendCharacter(code, held);
        } else if (code >= keycode::FirstModifierEvent) {
            sendModifierEvent(code, down);
            held = code % 2 == 0;
        } else {
            sendKey(code, held);
        }
        if (processMessages_) {
            processMessages_();
        }
    }
    // A key left down would stay down for the whole desktop after the call.
    for (const unsigned char release :
         {keycode::ReleaseAlt, keycode::ReleaseCtrl, keycode::ReleaseShift}) {
        if (down[(release - keycode::FirstModifierEvent) / 2]) {
            sendModifierEvent(release, down);
        }
    }
}

WindowHandle TSendKeys::FindWindowByTitle(std::string_view title) {
    std::string buffer(title.substr(0, std::min(title.find('\0'), kTitleBufferSize - 1)));
    return desktop_->FindWindow(buffer);
}

}  // namespace tavrel
