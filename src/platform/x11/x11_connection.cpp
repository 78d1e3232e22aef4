// Xlib connection ownership and the error trap.
#include "platform/x11/x11_connection.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace tavrel {
namespace {

// The backend lives on the one user-interface thread.
X11ErrorTrap* g_currentTrap = nullptr;  // the innermost
// Our handler stays installed from the first trap on, because the errors of
// a trap's requests may arrive after it ended; whatever handler was there
// before keeps the errors of other connections.
bool g_installed = false;
XErrorHandler g_previous = nullptr;
std::vector<Display*> g_ourDisplays;

}  // namespace

X11Connection::X11Connection(Display* display)
    : display_(display), root_(DefaultRootWindow(display)) {
    g_ourDisplays.push_back(display_);
}

X11Connection::~X11Connection() {
    std::erase(g_ourDisplays, display_);
    XCloseDisplay(display_);
}

Atom X11Connection::atom(const char* name) {
    return XInternAtom(display_, name, False);
}

X11ErrorTrap::X11ErrorTrap(Display* display)
    : display_(display), firstRequest_(NextRequest(display)), outer_(g_currentTrap) {
    if (!g_installed) {
        g_previous = XSetErrorHandler(&X11ErrorTrap::Handle);
        g_installed = true;
    }
    g_currentTrap = this;
}

X11ErrorTrap::~X11ErrorTrap() {
    // The requests leave now; waiting for the server is Sync's business.
    XFlush(display_);
    g_currentTrap = outer_;
}

bool X11ErrorTrap::Sync() {
    XSync(display_, False);
    return errors_ == 0;
}

int X11ErrorTrap::Handle(Display* display, XErrorEvent* event) {
    for (X11ErrorTrap* trap = g_currentTrap; trap != nullptr; trap = trap->outer_) {
        if (trap->display_ == display && event->serial >= trap->firstRequest_) {
            ++trap->errors_;
            return 0;
        }
    }
    if (std::find(g_ourDisplays.begin(), g_ourDisplays.end(), display) != g_ourDisplays.end()) {
        std::fprintf(stderr, "tavrel: X error %d on request %d.%d (ignored)\n",
                     static_cast<int>(event->error_code), static_cast<int>(event->request_code),
                     static_cast<int>(event->minor_code));
        return 0;
    }
    // Another connection of the process: its own handler decides.
    return g_previous != nullptr ? g_previous(display, event) : 0;
}

std::string TextPropertyToUtf8(Display* display, XTextProperty& property) {
    if (property.value == nullptr || property.nitems == 0) {
        return {};
    }
    char** list = nullptr;
    int count = 0;
    std::string text;
    if (Xutf8TextPropertyToTextList(display, &property, &list, &count) >= Success && count > 0 &&
        list != nullptr) {
        text = list[0];
    }
    if (list != nullptr) {
        XFreeStringList(list);
    }
    return text;
}

}  // namespace tavrel
