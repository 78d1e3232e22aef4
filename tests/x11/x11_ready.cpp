// Waits until a part of the headless desktop is ready: the window manager
// (its EWMH check window and supported list, and a window it has shown) or the
// tray host (the owner of the system tray selection). Used by scripts/xstack;
// exits 0 when ready.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool HasRootProperty(Display* display, const char* name) {
    const Atom property = XInternAtom(display, name, False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const int status =
        XGetWindowProperty(display, DefaultRootWindow(display), property, 0, 1, False,
                           AnyPropertyType, &type, &format, &count, &after, &data);
    if (data != nullptr) {
        XFree(data);
    }
    return status == Success && type != None && count > 0;
}

// A window manager announces itself early in its start-up, and a window
// mapped while it still starts may be listed but never shown, or never
// managed at all. So it is ready once it has shown a window mapped now.
bool ShowsANewWindow(Display* display) {
    const Window probe =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 16, 16, 0, 0, 0);
    XSelectInput(display, probe, StructureNotifyMask);
    XMapWindow(display, probe);
    XFlush(display);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    bool shown = false;
    while (!shown && std::chrono::steady_clock::now() < giveUp) {
        XEvent event;
        while (!shown && XCheckTypedWindowEvent(display, probe, MapNotify, &event)) {
            shown = true;
        }
        if (!shown) {
            poll(nullptr, 0, 10);  // poll interval
        }
    }
    XDestroyWindow(display, probe);
    XSync(display, True);
    return shown;
}

bool Ready(Display* display, const std::string& what) {
    if (what == "wm") {
        return HasRootProperty(display, "_NET_SUPPORTING_WM_CHECK") &&
               HasRootProperty(display, "_NET_SUPPORTED") && ShowsANewWindow(display);
    }
    const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(display));
    return XGetSelectionOwner(display, XInternAtom(display, selection.c_str(), False)) != None;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || (std::strcmp(argv[1], "wm") != 0 && std::strcmp(argv[1], "tray") != 0)) {
        std::fprintf(stderr, "usage: x11-ready wm|tray [timeout-seconds]\n");
        return 2;
    }
    const double timeout = argc > 2 ? std::atof(argv[2]) : 10.0;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "x11-ready: cannot open display\n");
        return 1;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
    int rc = 1;
    while (true) {
        if (Ready(display, argv[1])) {
            rc = 0;
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            std::fprintf(stderr, "x11-ready: %s not ready after %.1f s\n", argv[1], timeout);
            break;
        }
        poll(nullptr, 0, 10);  // poll interval, not a settling delay
    }
    XCloseDisplay(display);
    return rc;
}
