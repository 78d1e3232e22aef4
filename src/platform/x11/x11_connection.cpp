// Xlib connection ownership and the error trap.
#include "platform/x11/x11_connection.h"

#include <X11/Xutil.h>

#include "platform/x11/x_pointer.h"

namespace tavrel {
namespace {

// The innermost trap; the backend lives on the one user-interface thread.
X11ErrorTrap* g_currentTrap = nullptr;

}  // namespace

X11Connection::X11Connection(Display* display)
    : display_(display), root_(DefaultRootWindow(display)) {}

X11Connection::~X11Connection() {
    XCloseDisplay(display_);
}

Atom X11Connection::atom(const char* name) {
    return XInternAtom(display_, name, False);
}

X11ErrorTrap::X11ErrorTrap(Display* display)
    : display_(display), previous_(XSetErrorHandler(&X11ErrorTrap::Handle)), outer_(g_currentTrap) {
    g_currentTrap = this;
}

X11ErrorTrap::~X11ErrorTrap() {
    // Errors of our requests must arrive while our handler is installed.
    XSync(display_, False);
    g_currentTrap = outer_;
    XSetErrorHandler(previous_);
}

bool X11ErrorTrap::Sync() {
    XSync(display_, False);
    return errors_ == 0;
}

int X11ErrorTrap::Handle(Display* display, XErrorEvent* event) {
    for (X11ErrorTrap* trap = g_currentTrap; trap != nullptr; trap = trap->outer_) {
        if (trap->display_ == display) {
            ++trap->errors_;
            return 0;
        }
    }
    // Another connection of the process: its own handler decides.
    if (g_currentTrap != nullptr && g_currentTrap->previous_ != nullptr) {
        return g_currentTrap->previous_(display, event);
    }
    return 0;
}

std::string TextPropertyToUtf8(Display* display, XTextProperty& property) {
    if (property.value == nullptr || property.nitems == 0) {
        return {};
    }
    char** raw = nullptr;
    int count = 0;
    const int status = Xutf8TextPropertyToTextList(display, &property, &raw, &count);
    const XStringList list(raw);
    if (status >= Success && count > 0 && list != nullptr) {
        return list.get()[0];
    }
    return {};
}

}  // namespace tavrel
