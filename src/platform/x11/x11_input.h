// Keyboard and pointer input synthesised through the XTest extension.
#pragma once

#include <array>
#include <chrono>
#include <functional>

#include "platform/input.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_keymap.h"
#include "platform/event_loop_wait.h"

namespace tavrel {

class X11Input final : public Input {
public:
    // Without XTest (haveXTest false) nothing is sent; the keymap queries work.
    X11Input(X11Connection& connection, X11Keymap& keymap, EventLoopWait& wait, bool haveXTest);

    void keybd_event(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override;
    void mouse_event(std::uint32_t flags, std::int32_t dx, std::int32_t dy) override;
    std::int16_t VkKeyScan(unsigned char ch) override;
    std::uint32_t MapVirtualKey(std::uint32_t vk) override;
    bool TypeCharacter(unsigned char ch) override;
    void StartOfKeys() override;

    // Tells whether the keyboard focus rests on a window; the first key of
    // a burst waits (briefly, events running) until it does.
    void setFocusCheck(std::function<bool()> settled) { focusSettled_ = std::move(settled); }

    // How long a temporarily remapped keycode keeps its symbol after the key
    // event: clients look the symbol up when they read the event, so restoring
    // at once makes them see no symbol at all.
    static constexpr std::chrono::milliseconds kRemapHold{40};

private:
    X11Connection& connection_;
    X11Keymap& keymap_;
    EventLoopWait& wait_;
    bool haveXTest_;
    // The keycode each virtual key went down on, so its release matches even
    // if the keymap changed in between; and whether that was a remapped spare.
    std::array<unsigned, 256> pressedOn_{};
    std::array<bool, 256> pressedOnSpare_{};
    bool shiftDown_ = false;
    std::function<bool()> focusSettled_;
    std::chrono::steady_clock::time_point lastKey_{};
    std::chrono::steady_clock::time_point watchUntil_{};  // every key checks until then
    bool checkNext_ = false;                              // the next key starts a run of its own

    void AwaitSettledFocus();

    void FakeKey(unsigned keycode, bool press);
    void TapWithModifiers(const KeyChoice& choice, bool release);
    unsigned MapSpare(KeysymValue keysym);
    void RestoreSpare(unsigned keycode);
};

}  // namespace tavrel
