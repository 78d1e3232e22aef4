// The records' helpers and the wait every client test uses.
#include "client_records.h"

#include <poll.h>

#include <map>

#include "platform/keys/keysyms.h"

namespace tavrel::test {
namespace {

// The Windows-1252 character a keysym types; 0 for keys that type none.
char CharacterOf(unsigned long keysym) {
    static const std::map<unsigned long, char> table = [] {
        std::map<unsigned long, char> t;
        for (int ch = 32; ch < 256; ++ch) {
            KeysymValue alternative = 0;
            const auto c = static_cast<unsigned char>(ch);
            if (const KeysymValue own = Cp1252ToKeysym(c, &alternative); own != 0) {
                t.emplace(own, static_cast<char>(ch));
            }
            if (alternative != 0) {
                t.emplace(alternative, static_cast<char>(ch));
            }
        }
        return t;
    }();
    const auto found = table.find(keysym);
    return found != table.end() ? found->second : '\0';
}

}  // namespace

std::vector<std::pair<char, unsigned>> Typed(const WindowRecords& records) {
    std::vector<std::pair<char, unsigned>> typed;
    for (const KeyRecord& key : records.keys) {
        if (const char c = CharacterOf(key.typed); key.press && c != '\0') {
            typed.emplace_back(c, key.state & (kShiftBit | kControlBit | kAltBit));
        }
    }
    return typed;
}

std::string TypedText(const WindowRecords& records) {
    std::string text;
    for (const auto& [c, mods] : Typed(records)) {
        text += c;
    }
    return text;
}

std::vector<unsigned long> WindowRecords::pressedKeysyms() const {
    std::vector<unsigned long> keysyms;
    for (const KeyRecord& key : keys) {
        if (key.press) {
            keysyms.push_back(key.keysym);
        }
    }
    return keysyms;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        poll(nullptr, 0, 5);  // poll interval
    }
    return true;
}

}  // namespace tavrel::test
