// The foreign-toplevel list as the Desktop the runner and the editors use.
#include "platform/wayland/wayland_desktop.h"

#include <chrono>

#include "platform/event_loop_wait.h"
#include "platform/input.h"
#include "platform/text_encoding.h"
#include "platform/trace.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/window_list.h"
#include "platform/windows.h"

namespace tavrel {
namespace {

constexpr char kNoToplevelList[] =
    "This desktop does not let programs list or activate other programs' windows.";

}  // namespace

WaylandDesktop::WaylandDesktop(WaylandConnection& connection, std::unique_ptr<WindowList> toplevels,
                               Input& input, EventLoopWait& wait, std::string noList)
    : connection_(connection),
      toplevels_(std::move(toplevels)),
      noList_(noList.empty() ? kNoToplevelList : std::move(noList)),
      input_(input),
      wait_(wait) {}

WaylandDesktop::~WaylandDesktop() = default;

std::string WaylandDesktop::windowsUnavailable() const {
    if (!closed_.empty()) {
        return closed_;
    }
    return toplevels_ ? std::string() : noList_;
}

void WaylandDesktop::Refresh() {
    connection_.DispatchPending();
}

WindowHandle WaylandDesktop::GetForegroundWindow() {
    if (!toplevels_) {
        return kNoWindow;
    }
    // As on X11, a round trip: the window to give the focus back to is the
    // one that has it now.
    connection_.Roundtrip();
    for (const WindowList::Window* toplevel : toplevels_->Stacking()) {
        if (toplevel->activated) {
            return toplevel->id;
        }
    }
    return kNoWindow;
}

std::vector<WindowHandle> WaylandDesktop::TopLevelWindows() {
    std::vector<WindowHandle> windows;
    if (!toplevels_) {
        return windows;
    }
    // A round trip, so that a window that just opened is listed as it would be on X11.
    connection_.Roundtrip();
    for (const WindowList::Window* toplevel : toplevels_->Stacking()) {
        windows.push_back(toplevel->id);
    }
    return windows;
}

std::string WaylandDesktop::GetWindowText(WindowHandle window) {
    const WindowList::Window* toplevel = toplevels_ ? toplevels_->Find(window) : nullptr;
    return toplevel != nullptr ? Utf8ToCp1252(toplevel->title) : std::string();
}

ApplicationWindow WaylandDesktop::Described(WindowHandle window) const {
    const WindowList::Window* toplevel = toplevels_ ? toplevels_->Find(window) : nullptr;
    if (toplevel == nullptr) {
        return {};
    }
    return {window, Utf8ToCp1252(toplevel->appId), Utf8ToCp1252(toplevel->title)};
}

// No round trip: the list follows the compositor's announcements as they are
// read, here or by the backend's watch of the connection.
std::optional<ApplicationWindow> WaylandDesktop::ActiveApplication() {
    const WindowHandle active = GetForegroundWindow();
    if (active == kNoWindow) {
        return std::nullopt;
    }
    return Described(active);
}

std::vector<ApplicationWindow> WaylandDesktop::ApplicationWindows() {
    std::vector<ApplicationWindow> windows;
    for (const WindowHandle window : TopLevelWindows()) {
        windows.push_back(Described(window));
    }
    return windows;
}

std::string WaylandDesktop::AppId(WindowHandle window) {
    const WindowList::Window* toplevel = toplevels_ ? toplevels_->Find(window) : nullptr;
    return toplevel != nullptr ? toplevel->appId : std::string();
}

WindowHandle WaylandDesktop::FindWindow(const std::string& title) {
    for (WindowHandle window : TopLevelWindows()) {
        if (GetWindowText(window) == title) {
            return window;
        }
    }
    return kNoWindow;
}

bool WaylandDesktop::IsIconic(WindowHandle window) {
    if (!toplevels_) {
        return false;
    }
    Refresh();
    const WindowList::Window* toplevel = toplevels_->Find(window);
    return toplevel != nullptr && toplevel->minimized;
}

void WaylandDesktop::RestoreWindow(WindowHandle window) {
    if (!toplevels_ || toplevels_->Find(window) == nullptr) {
        return;
    }
    toplevels_->SetMinimized(window, false);
    toplevels_->Activate(window);
    AwaitActivation(window);
}

void WaylandDesktop::RaiseAndActivate(WindowHandle window) {
    if (!toplevels_ || toplevels_->Find(window) == nullptr) {
        return;
    }
    toplevels_->Activate(window);
    AwaitActivation(window);
}

// As on X11: the keys that follow must reach the window just activated. A
// compositor that refuses costs at most this wait, the program's events running.
void WaylandDesktop::AwaitActivation(WindowHandle window) {
    // After a round trip the states told are the compositor's answer to the
    // request, not what they were before it.
    connection_.Roundtrip();
    const bool active = wait_.Until(
        [&] {
            Refresh();
            const WindowList::Window* toplevel = toplevels_->Find(window);
            return toplevel == nullptr || toplevel->activated;
        },
        std::chrono::milliseconds(500));
    if (!active) {
        TraceEvent([] { return "windows: the compositor did not activate the window"; });
    }
}

bool WaylandDesktop::Refuse(WindowHandle window, std::uint32_t message, const char* why) {
    TraceEvent([&] {
        return "message " + std::to_string(message) + " to window " + std::to_string(window) +
               " not posted: " + why;
    });
    return false;
}

bool WaylandDesktop::PostMessage(WindowHandle window, std::uint32_t message, std::uint32_t wParam,
                                 std::uint32_t /*lParam*/) {
    if (!toplevels_) {
        return Refuse(window, message, noList_.c_str());
    }
    Refresh();
    const WindowList::Window* toplevel = toplevels_->Find(window);
    if (toplevel == nullptr) {
        return Refuse(window, message, "the window is gone");
    }
    // The low four bits of a system command are the system's own.
    const std::uint32_t command = wParam & 0xFFF0;
    if (message == WM_CLOSE || (message == WM_SYSCOMMAND && command == SC_CLOSE)) {
        toplevels_->Close(window);
        return true;
    }
    if (message == WM_SYSCOMMAND && command == SC_MINIMIZE) {
        toplevels_->SetMinimized(window, true);
        return true;
    }
    if (message == WM_SYSCOMMAND && command == SC_MAXIMIZE) {
        toplevels_->SetMaximized(window, true);
        return true;
    }
    if (message == WM_SYSCOMMAND && command == SC_RESTORE) {
        if (toplevel->minimized) {
            toplevels_->SetMinimized(window, false);
        } else {
            toplevels_->SetMaximized(window, false);
        }
        return true;
    }
    if (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR) {
        // Wayland delivers keys only to the window with the focus.
        if (!toplevel->activated) {
            return Refuse(window, message, "keys reach only the active window on Wayland");
        }
        const auto key = static_cast<std::uint8_t>(wParam & 0xFF);
        if (message == WM_CHAR) {
            return input_.TypeCharacter(key);
        }
        // A key left down would repeat in the client until released: the
        // press taps it, the release has then nothing left to do.
        if (message == WM_KEYDOWN) {
            input_.keybd_event(key, 0, 0);
            input_.keybd_event(key, 0, KEYEVENTF_KEYUP);
        }
        return true;
    }
    return Refuse(window, message, "Wayland has no way to hand a program a message of its own");
}

}  // namespace tavrel
