// The desktop's top-level windows, with the operations the action runner needs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/windows.h"

namespace tavrel {

// A window with the application it belongs to, as the desktop names them.
struct ApplicationWindow {
    WindowHandle window = kNoWindow;
    // X11: the class part of WM_CLASS; Wayland: the app id. Windows-1252.
    std::string application;
    std::string title;  // as GetWindowText gives it

    bool operator==(const ApplicationWindow&) const = default;
};

class Desktop {
public:
    virtual ~Desktop() = default;

    virtual WindowHandle GetForegroundWindow() = 0;

    // All top-level windows in stacking order, the topmost first.
    virtual std::vector<WindowHandle> TopLevelWindows() = 0;

    // Title in Windows-1252 (characters it cannot hold become '?'); empty when none.
    virtual std::string GetWindowText(WindowHandle window) = 0;

    // The first top-level window whose title equals title exactly, or kNoWindow.
    virtual WindowHandle FindWindow(const std::string& title) = 0;

    virtual bool IsIconic(WindowHandle window) = 0;

    // ShowWindow(window, SW_RESTORE).
    virtual void RestoreWindow(WindowHandle window) = 0;

    // SetWindowPos to the top, then SetForegroundWindow.
    virtual void RaiseAndActivate(WindowHandle window) = 0;

    // PostMessage; false when the message could not be delivered.
    virtual bool PostMessage(WindowHandle window, std::uint32_t message, std::uint32_t wParam,
                             std::uint32_t lParam) = 0;

    // Empty when this desktop lets a program list, activate and message other
    // programs' windows; otherwise why not, one line of English for the user.
    virtual std::string windowsUnavailable() const { return {}; }

    // The active window and its application, as the desktop last told of
    // them: a backend follows the focus as the desktop announces its changes,
    // so that asking on every press costs no round trip. Nothing when no
    // window is active or the desktop cannot tell (applicationsUnavailable).
    virtual std::optional<ApplicationWindow> ActiveApplication() { return std::nullopt; }
    // The windows open now with their applications, topmost first, for the
    // user to pick from; this may wait for the desktop's answer.
    virtual std::vector<ApplicationWindow> ApplicationWindows() { return {}; }
    // Empty when this desktop tells which application is active; otherwise
    // why not, one line of English for the user.
    virtual std::string applicationsUnavailable() const { return kNoActiveApplication; }

    static constexpr char kNoActiveApplication[] =
        "This desktop does not tell programs which application is active.";
};

}  // namespace tavrel
