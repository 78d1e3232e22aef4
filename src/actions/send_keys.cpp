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

void TSendKeys::sendKey(unsigned char code, bool held) {
    std::uint8_t key = 0;
    int shiftState = 0;
    if (code >= keycode::FirstNavigationKey) {
        key = kNavigationKeys[code - keycode::FirstNavigationKey];
    } else if (code >= keycode::FirstFunctionKey) {
        key = static_cast<std::uint8_t>(code - 116);
    } else if (code >= 32) {
        const std::int16_t r = input_->VkKeyScan(code);
        if (r == -1 || (r & 0xFF) == 0xFF) {
            // No key of the layout gives it; pressing "key 255 with every
            // modifier" would send something else, so let the backend type it.
            input_->TypeCharacter(code);
            return;
        }
        key = static_cast<std::uint8_t>(r & 0xFF);
        shiftState = (r >> 8) & 0xFF;
    } else {
        key = code;
    }
    const auto scan = static_cast<std::uint8_t>(input_->MapVirtualKey(key));
    const bool layoutShift = !held;
    if (layoutShift) {
        for (int i = 0; i < 3; ++i) {
            if (shiftState & kLayoutShiftBits[i]) {
                input_->keybd_event(kModifierKeys[i], 0, 0);
            }
        }
    }
    input_->keybd_event(key, scan, 0);
    input_->keybd_event(key, scan, KEYEVENTF_KEYUP);
    if (layoutShift) {
        for (int i = 2; i >= 0; --i) {
            if (shiftState & kLayoutShiftBits[i]) {
                input_->keybd_event(kModifierKeys[i], 0, KEYEVENTF_KEYUP);
            }
        }
    }
}

void TSendKeys::SendKeyString(std::string_view keys) {
    bool held = false;
    bool down[3] = {false, false, false};  // Shift, Ctrl, Alt left down by this string
    for (const char byte : keys) {
        const auto code = static_cast<unsigned char>(byte);
        if (code >= keycode::FirstModifierEvent) {
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
