// The applications of the X11 desktop's windows: their WM_CLASS, and the
// active one as the window manager announces it.
#include "platform/x11/x11_desktop.h"

namespace tavrel {
namespace {

constexpr char kNotFollowed[] =
    "Tavrel could not open a second connection to the X display to follow the active window.";

}  // namespace

void X11Desktop::followActiveWindow(std::unique_ptr<X11ActiveWindow> follower) {
    active_ = std::move(follower);
}

std::optional<ApplicationWindow> X11Desktop::ActiveApplication() {
    return active_ ? active_->Active() : std::nullopt;
}

std::string X11Desktop::applicationsUnavailable() const {
    return active_ ? active_->unavailable() : kNotFollowed;
}

std::vector<ApplicationWindow> X11Desktop::ApplicationWindows() {
    std::vector<ApplicationWindow> windows;
    for (const WindowHandle window : TopLevelWindows()) {
        X11ErrorTrap trap(connection_.display());
        windows.push_back({window, ReadWindowClass(connection_.display(), window),
                           ReadWindowTitle(connection_, window)});
    }
    return windows;
}

}  // namespace tavrel
