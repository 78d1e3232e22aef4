// TSendKeys: turns a keystroke string into key presses and releases, letting
// the keyboard layout place ordinary characters, and finds windows by title.
#pragma once

#include <functional>
#include <string_view>

#include "platform/desktop.h"
#include "platform/input.h"

namespace tavrel {

class TSendKeys {
public:
    // processMessages runs after every byte so timers, the serial port and
    // the user are served while a long string is sent; empty means none.
    TSendKeys(Input& input, Desktop& desktop, std::function<void()> processMessages = {});

    void setMessagePump(std::function<void()> processMessages) {
        processMessages_ = std::move(processMessages);
    }

    // Sends every byte of keys in order before it returns. A modifier that
    // the string presses and leaves down is released at the end.
    void SendKeyString(std::string_view keys);

    // The top-level window whose title equals title exactly (at most 255
    // characters are compared, as with a 256-byte buffer), or kNoWindow.
    WindowHandle FindWindowByTitle(std::string_view title);

private:
    void sendModifierEvent(unsigned char code, bool (&down)[3]);
    void sendKey(unsigned char code, bool held);

    Input* input_;
    Desktop* desktop_;
    std::function<void()> processMessages_;
};

}  // namespace tavrel
