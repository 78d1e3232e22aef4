// TSendKeys: turns a keystroke string into key presses and releases, letting
// the keyboard layout place ordinary characters, and finds windows by title.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "platform/desktop.h"
#include "platform/input.h"

namespace tavrel {

// One entry of a keystroke string. A code is read by the keystroke-string
// table (control keys, characters 32 to 227, function and navigation keys,
// modifier presses and releases); a character of literal text is typed as
// itself whatever its value, so that the letters from 228 up (a-umlaut to
// y-diaeresis) do not turn into keys or modifiers.
struct Keystroke {
    enum class Kind : std::uint8_t { Code, Character };
    Kind kind = Kind::Code;
    unsigned char value = 0;
    bool operator==(const Keystroke&) const = default;
};
using KeystrokeString = std::vector<Keystroke>;

// Every byte read as a code.
KeystrokeString KeyCodes(std::string_view codes);
// Appends literal text; its bytes below 32 (Tab, Enter) stay control keys.
void AppendText(KeystrokeString& keys, std::string_view text);

class TSendKeys {
public:
    // processMessages runs after every byte so timers, the serial port and
    // the user are served while a long string is sent; empty means none.
    TSendKeys(Input& input, Desktop& desktop, std::function<void()> processMessages = {});

    void setMessagePump(std::function<void()> processMessages) {
        processMessages_ = std::move(processMessages);
    }

    // Sends every entry of keys in order before it returns. A modifier that
    // the string presses and leaves down is released at the end.
    void SendKeyString(const KeystrokeString& keys);
    void SendKeyString(std::string_view codes) { SendKeyString(KeyCodes(codes)); }

    // The top-level window whose title equals title exactly (at most 255
    // characters are compared, as with a 256-byte buffer), or kNoWindow.
    WindowHandle FindWindowByTitle(std::string_view title);

private:
    void sendModifierEvent(unsigned char code, bool (&down)[3]);
    void sendKey(unsigned char code, bool held);
    void sendCharacter(unsigned char ch, bool held);
    // Taps key inside the presses of the layout's shift state.
    void tap(std::uint8_t key, int shiftState);

    Input* input_;
    Desktop* desktop_;
    std::function<void()> processMessages_;
};

}  // namespace tavrel
