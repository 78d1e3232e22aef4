// Xlib connection ownership and the error trap.
#include "platform/x11/x11_connection.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <vector>

#include "platform/text_encoding.h"
#include "platform/trace.h"

#include "platform/x11/x_pointer.h"

namespace tavrel {
namespace {

// The innermost trap; the backend lives on the one user-interface thread.
X11ErrorTrap* g_currentTrap = nullptr;
// The open connections, and the handler that was in force before the first.
std::vector<Display*> g_connections;
XErrorHandler g_foreignHandler = nullptr;

bool IsConnection(Display* display) {
    return std::find(g_connections.begin(), g_connections.end(), display) != g_connections.end();
}

}  // namespace

X11Connection::X11Connection(Display* display)
    : display_(display), root_(DefaultRootWindow(display)) {
    if (g_connections.empty()) {
        g_foreignHandler = XSetErrorHandler(&X11ErrorTrap::Handle);
    }
    g_connections.push_back(display_);
}

X11Connection::~X11Connection() {
    XCloseDisplay(display_);
    g_connections.erase(std::find(g_connections.begin(), g_connections.end(), display_));
    if (g_connections.empty()) {
        XSetErrorHandler(g_foreignHandler);
        g_foreignHandler = nullptr;
    }
}

Atom X11Connection::atom(const char* name) {
    return XInternAtom(display_, name, False);
}

X11ErrorTrap::X11ErrorTrap(Display* display)
    : display_(display),
      previous_(XSetErrorHandler(&X11ErrorTrap::Handle)),
      outer_(g_currentTrap),
      firstRequest_(XNextRequest(display)) {
    g_currentTrap = this;
}

X11ErrorTrap::~X11ErrorTrap() {
    // Errors of our requests must arrive while our handler is installed. A
    // request with a reply reports its error before it returns, so the wait
    // is needed only while the server may not have seen all of ours yet:
    // lookups answered from the cached keymap cost no round trip.
    const unsigned long last = XNextRequest(display_) - 1;
    if (last >= firstRequest_ && XLastKnownRequestProcessed(display_) != last) {
        XSync(display_, False);
    }
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
    if (IsConnection(display)) {
        TraceEvent([&] {
            return "X error " + std::to_string(event->error_code) + " on request " +
                   std::to_string(event->request_code) + "." + std::to_string(event->minor_code) +
                   ", reported after its call returned";
        });
        return 0;
    }
    // Another connection of the process: its own handler decides.
    XErrorHandler foreign = g_foreignHandler;
    if (foreign == nullptr && g_currentTrap != nullptr) {
        foreign = g_currentTrap->previous_;
    }
    return foreign != nullptr && foreign != &X11ErrorTrap::Handle ? foreign(display, event) : 0;
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

std::optional<std::vector<unsigned long>> ReadProperty32(X11Connection& connection, Window window,
                                                         const char* name, Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* raw = nullptr;
    const int status =
        XGetWindowProperty(connection.display(), window, connection.atom(name), 0, 1 << 16, False,
                           type, &actualType, &format, &count, &after, &raw);
    const XPointer<unsigned char> data(raw);
    std::optional<std::vector<unsigned long>> items;
    if (status == Success && data != nullptr && format == 32 && actualType == type) {
        // Xlib hands 32-bit items over as longs.
        const auto* values = reinterpret_cast<const unsigned long*>(data.get());
        items.emplace(values, values + count);
    }
    return items;
}

std::string ReadWindowClass(Display* display, Window window) {
    std::string name;
    XClassHint hint{};
    if (XGetClassHint(display, window, &hint) != 0) {
        // STRING, which is Latin-1: as Windows-1252 in every printable character.
        if (hint.res_class != nullptr) {
            name = hint.res_class;
        }
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    return name;
}

std::string ReadWindowTitle(X11Connection& connection, Window window) {
    Display* display = connection.display();
    XTextProperty property{};
    if (XGetTextProperty(display, window, &property, connection.atom("_NET_WM_NAME")) != 0) {
        const XPointer<unsigned char> value(property.value);
        if (property.encoding == connection.atom("UTF8_STRING") && value != nullptr) {
            return Utf8ToCp1252(
                std::string(reinterpret_cast<const char*>(value.get()), property.nitems));
        }
    }
    // Older programs set only WM_NAME, in Latin-1 or compound text.
    XTextProperty legacy{};
    if (XGetWMName(display, window, &legacy) != 0) {
        const XPointer<unsigned char> value(legacy.value);
        return Utf8ToCp1252(TextPropertyToUtf8(display, legacy));
    }
    return {};
}

}  // namespace tavrel
