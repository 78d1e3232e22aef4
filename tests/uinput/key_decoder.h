// What a desktop client makes of key codes: the keymap's state and the
// compose table of the locale turn presses into text, independently of the
// code that chose the keys.
#pragma once

#include <memory>
#include <string>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;
struct xkb_compose_table;
struct xkb_compose_state;

namespace tavrel::test {

class KeyDecoder {
public:
    explicit KeyDecoder(const std::string& keymapText);
    ~KeyDecoder();
    KeyDecoder(const KeyDecoder&) = delete;
    KeyDecoder& operator=(const KeyDecoder&) = delete;

    bool valid() const { return keymap_ != nullptr; }

    // Starts afresh: no key down, no text, Caps and Num Lock as given.
    void Reset(bool capsLock = false, bool numLock = false);

    // An evdev key event (press or release).
    void Key(unsigned code, bool press);

    // Whether the keys so far left Caps or Num Lock on, as its light shows.
    bool CapsLock() const;
    bool NumLock() const;

    // The UTF-8 text typed so far.
    const std::string& text() const { return text_; }

private:
    xkb_context* context_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* state_ = nullptr;
    xkb_compose_table* composeTable_ = nullptr;
    xkb_compose_state* compose_ = nullptr;
    std::string text_;
};

}  // namespace tavrel::test
