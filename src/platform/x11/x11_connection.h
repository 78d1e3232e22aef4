// One Xlib connection shared by the X11 backend parts, with the error trap
// that turns X protocol errors (windows vanishing under us) into results.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <optional>
#include <string>
#include <vector>

namespace tavrel {

// While a connection is open, an X error of it outside every trap (a
// request whose call returned before the server answered) is written to the
// trace instead of ending the program.
class X11Connection {
public:
    // Takes ownership of an open display.
    explicit X11Connection(Display* display);
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    Display* display() const { return display_; }
    Window root() const { return root_; }
    Atom atom(const char* name);

private:
    Display* display_;
    Window root_;
};

// Catches the X errors of the requests made during its lifetime. Xlib's
// default handler ends the program on any error, and a window may be destroyed
// by its owner between any two requests, so every backend call whose errors
// matter runs inside one. Ending, it waits for the server only when requests
// of its own may still be unanswered.
class X11ErrorTrap {
public:
    explicit X11ErrorTrap(Display* display);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    // Waits for the server to process everything sent so far; true when no
    // request of this trap failed.
    bool Sync();

    static int Handle(Display* display, XErrorEvent* event);

private:
    Display* display_;
    XErrorHandler previous_;
    X11ErrorTrap* outer_;
    unsigned long firstRequest_;
    int errors_ = 0;
};

// The UTF-8 text of a text property (STRING, UTF8_STRING or COMPOUND_TEXT).
std::string TextPropertyToUtf8(Display* display, XTextProperty& property);

// The 32-bit items of a window property of the given type; nullopt when the
// property is missing or the window is gone. Call inside an X11ErrorTrap.
std::optional<std::vector<unsigned long>> ReadProperty32(X11Connection& connection, Window window,
                                                         const char* name, Atom type);

// The class part of a window's WM_CLASS (the application's name); empty
// when none. Call inside an X11ErrorTrap.
std::string ReadWindowClass(Display* display, Window window);

// A window's title in Windows-1252: _NET_WM_NAME, else WM_NAME; empty when
// none. Call inside an X11ErrorTrap.
std::string ReadWindowTitle(X11Connection& connection, Window window);

}  // namespace tavrel
