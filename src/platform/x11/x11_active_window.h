// The active window and its application, followed as the window manager
// announces them: on a connection of its own, PropertyNotify of
// _NET_ACTIVE_WINDOW on the root and of the active window's title and class.
// What it last heard is read without a round trip, so a press asks for it
// at no cost; a focus change costs its round trips when it is announced.
#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/desktop.h"

namespace tavrel {

class X11Connection;

class X11ActiveWindow {
public:
    // On a connection of its own to displayName; null when that cannot be opened.
    static std::unique_ptr<X11ActiveWindow> Open(const char* displayName);
    ~X11ActiveWindow();
    X11ActiveWindow(const X11ActiveWindow&) = delete;
    X11ActiveWindow& operator=(const X11ActiveWindow&) = delete;

    // The connection's descriptor, readable when the server announced something.
    int fd() const;
    // Takes in what the server announced since the last call, never waiting
    // for it; a new active window (or title, or class) is read at once.
    void Dispatch();
    // The active window as last announced, after a Dispatch.
    std::optional<ApplicationWindow> Active();
    // Empty while the window manager says which window is active; else why not.
    std::string unavailable() const;

private:
    explicit X11ActiveWindow(std::unique_ptr<X11Connection> connection);
    // Reads which window is active and follows that one.
    void Refresh();
    // Reads the active window's class and title.
    void ReadWindow();

    std::unique_ptr<X11Connection> connection_;
    // Interned once: a press reads the events without asking the server anything.
    Atom activeWindowAtom_;
    Atom supportedAtom_;
    Atom titleAtom_;
    Window active_ = None;
    std::optional<ApplicationWindow> cached_;
    bool announced_ = false;  // the window manager publishes _NET_ACTIVE_WINDOW
};

}  // namespace tavrel
