// The desktop's top-level windows, with the operations the action runner needs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/windows.h"

namespace tavrel {

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
};

}  // namespace tavrel
