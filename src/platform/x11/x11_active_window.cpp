// Following _NET_ACTIVE_WINDOW and the active window's title and class.
#include "platform/x11/x11_active_window.h"

#include <X11/Xatom.h>

#include <algorithm>

#include "platform/x11/x11_connection.h"

namespace tavrel {
namespace {

constexpr char kNotAnnounced[] =
    "The window manager does not say which window is active (no _NET_ACTIVE_WINDOW).";

}  // namespace

std::unique_ptr<X11ActiveWindow> X11ActiveWindow::Open(const char* displayName) {
    Display* display = XOpenDisplay(displayName);
    if (display == nullptr) {
        return nullptr;
    }
    std::unique_ptr<X11ActiveWindow> follower(
        new X11ActiveWindow(std::make_unique<X11Connection>(display)));
    follower->Refresh();
    return follower;
}

X11ActiveWindow::X11ActiveWindow(std::unique_ptr<X11Connection> connection)
    : connection_(std::move(connection)),
      activeWindowAtom_(connection_->atom("_NET_ACTIVE_WINDOW")),
      supportedAtom_(connection_->atom("_NET_SUPPORTED")),
      titleAtom_(connection_->atom("_NET_WM_NAME")) {
    X11ErrorTrap trap(connection_->display());
    // Before anything is read, so that no change between the two is missed.
    XSelectInput(connection_->display(), connection_->root(), PropertyChangeMask);
}

X11ActiveWindow::~X11ActiveWindow() = default;

int X11ActiveWindow::fd() const {
    return ConnectionNumber(connection_->display());
}

void X11ActiveWindow::Dispatch() {
    Display* display = connection_->display();
    const Atom watched[] = {titleAtom_, XA_WM_NAME, XA_WM_CLASS};
    // Events that arrive while a change is read are taken in the next round.
    while (XPending(display) > 0) {
        bool focus = false;
        bool window = false;
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != PropertyNotify) {
                continue;
            }
            const XPropertyEvent& changed = event.xproperty;
            if (changed.window == connection_->root()) {
                focus =
                    focus || changed.atom == activeWindowAtom_ || changed.atom == supportedAtom_;
            } else if (changed.window == active_) {
                window = window || std::find(std::begin(watched), std::end(watched),
                                             changed.atom) != std::end(watched);
            }
        }
        if (focus) {
            Refresh();
        } else if (window) {
            ReadWindow();
        }
    }
}

std::optional<ApplicationWindow> X11ActiveWindow::Active() {
    Dispatch();
    return cached_;
}

std::string X11ActiveWindow::unavailable() const {
    return announced_ ? std::string() : kNotAnnounced;
}

void X11ActiveWindow::Refresh() {
    Display* display = connection_->display();
    X11ErrorTrap trap(display);
    const auto names = ReadProperty32(*connection_, connection_->root(), "_NET_SUPPORTED", XA_ATOM);
    announced_ =
        names && std::find(names->begin(), names->end(), activeWindowAtom_) != names->end();
    const auto active =
        ReadProperty32(*connection_, connection_->root(), "_NET_ACTIVE_WINDOW", XA_WINDOW);
    const Window now = active && !active->empty() ? active->front() : None;
    if (now != active_ && active_ != None) {
        XSelectInput(display, active_, NoEventMask);  // may be gone: trapped
    }
    // Its title and class are followed from before they are read. Selected
    // again even for the same id: X ids come back, and a window closed since
    // the last look took its selection with it.
    if (now != None) {
        XSelectInput(display, now, PropertyChangeMask);
    }
    active_ = now;
    ReadWindow();
}

void X11ActiveWindow::ReadWindow() {
    if (active_ == None) {
        cached_.reset();
        return;
    }
    Display* display = connection_->display();
    X11ErrorTrap trap(display);
    cached_ = ApplicationWindow{active_, ReadWindowClass(display, active_),
                                ReadWindowTitle(*connection_, active_)};
}

}  // namespace tavrel
