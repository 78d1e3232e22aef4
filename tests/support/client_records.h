// What a real test client window received (key, pointer and message events,
// its state), the same for an X client and a Wayland client.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tavrel::test {

// X modifier bits, which Wayland clients' records use as well.
constexpr unsigned kShiftBit = 1, kControlBit = 4, kAltBit = 8;

struct KeyRecord {
    bool press = false;
    unsigned long keysym = 0;  // Shift applied; Lock, Num Lock and third level ignored
    unsigned long typed = 0;   // what a client reads: every modifier and the group applied
    unsigned keycode = 0;
    unsigned state = 0;      // modifier mask at the event
    bool synthetic = false;  // sent with XSendEvent
    std::chrono::steady_clock::time_point at;
};

struct ButtonRecord {
    bool press = false;
    unsigned button = 0;
};

struct ClientMessageRecord {
    std::string type;
    long data[5] = {};
};

struct WindowRecords {
    std::vector<KeyRecord> keys;
    std::vector<ButtonRecord> buttons;
    std::vector<int> motionX;  // root x of every pointer motion
    std::vector<ClientMessageRecord> messages;
    bool mapped = false;
    bool focused = false;         // has the keyboard focus
    bool closeRequested = false;  // WM_DELETE_WINDOW arrived (the window then closes)
    bool destroyed = false;

    // Keysyms of the key presses, in order.
    std::vector<unsigned long> pressedKeysyms() const;
};

// The Windows-1252 characters the client read, in order, each with the
// Shift, Ctrl and Alt bits held when it came.
std::vector<std::pair<char, unsigned>> Typed(const WindowRecords& records);
// The same characters as a text.
std::string TypedText(const WindowRecords& records);

// Polls condition until it holds; false after timeout.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(5));

// A real client window of a test, X or Wayland, recording what it receives
// on a thread of its own as a normal client would.
class TestClient {
public:
    virtual ~TestClient() = default;
    // Waits until ready(records) holds; false after timeout.
    virtual bool WaitFor(const std::function<bool(const WindowRecords&)>& ready,
                         std::chrono::milliseconds timeout = std::chrono::seconds(5)) = 0;
    virtual WindowRecords records() const = 0;
    virtual void ClearRecords() = 0;
};

}  // namespace tavrel::test
