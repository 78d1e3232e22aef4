// The desktop the runner acts on, noting when a command last moved the focus
// (a window brought forward or given back, restored, closed or minimised):
// the desktop then hands the focus on, perhaps to the program's own window,
// and that is no user coming back to it.
#pragma once

#include <chrono>

#include "platform/desktop.h"

namespace tavrel {

class FocusMovesWatch final : public Desktop {
public:
    explicit FocusMovesWatch(Desktop& desktop) : desktop_(desktop) {}

    // Whether a command moved the focus within the time a desktop takes to
    // hand it on.
    bool movedJustNow() const;
    static constexpr std::chrono::milliseconds kHandOver{1000};

    WindowHandle GetForegroundWindow() override { return desktop_.GetForegroundWindow(); }
    std::vector<WindowHandle> TopLevelWindows() override { return desktop_.TopLevelWindows(); }
    std::string GetWindowText(WindowHandle window) override {
        return desktop_.GetWindowText(window);
    }
    WindowHandle FindWindow(const std::string& title) override {
        return desktop_.FindWindow(title);
    }
    bool IsIconic(WindowHandle window) override { return desktop_.IsIconic(window); }
    void RestoreWindow(WindowHandle window) override;
    void RaiseAndActivate(WindowHandle window) override;
    bool PostMessage(WindowHandle window, std::uint32_t message, std::uint32_t wParam,
                     std::uint32_t lParam) override;
    std::string windowsUnavailable() const override { return desktop_.windowsUnavailable(); }
    std::optional<ApplicationWindow> ActiveApplication() override {
        return desktop_.ActiveApplication();
    }
    std::vector<ApplicationWindow> ApplicationWindows() override {
        return desktop_.ApplicationWindows();
    }
    std::string applicationsUnavailable() const override {
        return desktop_.applicationsUnavailable();
    }

private:
    Desktop& desktop_;
    std::chrono::steady_clock::time_point moved_;
};

}  // namespace tavrel
