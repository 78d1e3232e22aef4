// A desktop as the program drives it: keys and pointer, windows and the bell
// from one backend (X11, Wayland, ...), and what that desktop allows, so the
// program and its editors can tell the user what will not work.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/desktop.h"
#include "platform/input.h"
#include "platform/read_watch.h"
#include "platform/sound.h"

namespace tavrel {

// One thing a desktop may or may not allow; why not, when not, as one line
// of English for the user.
struct Ability {
    bool available = true;
    std::string reason;

    static Ability No(std::string why) { return {false, std::move(why)}; }
};

struct DesktopCapabilities {
    Ability keys;     // key presses and typed text
    Ability pointer;  // pointer moves and clicks
    Ability windows;  // listing, activating and messaging other programs' windows
};

class DesktopBackend {
public:
    virtual ~DesktopBackend() = default;

    // How the backend reaches the desktop, for the trace ("X11 (XTest)" ...).
    virtual std::string description() const = 0;

    virtual Input& input() = 0;
    virtual Desktop& desktop() = 0;
    virtual Sound& sound() = 0;
    virtual DesktopCapabilities capabilities() const = 0;

    // Runs while the backend waits for the desktop, so that the program's
    // event loop never stalls.
    virtual void setMessagePump(std::function<void()> processMessages) = 0;

    // Has what the desktop announces read as it arrives, on the event loop;
    // a backend that reads only when asked ignores it.
    virtual void watchEvents(ReadWatchFactory& /*watches*/) {}
};

// What opening a backend gave: the backend, or null with the reason; a
// backend may come with a warning (something it cannot do) as well.
struct DesktopBackendOpen {
    std::unique_ptr<DesktopBackend> backend;
    std::string problem;  // English text; empty when everything works
};

}  // namespace tavrel
