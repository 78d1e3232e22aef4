// A scriptable desktop of top-level windows that records what is done to them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/fake/fake_event_log.h"

namespace tavrel {

// Records "RestoreWindow(w)", "RaiseAndActivate(w)" and
// "PostMessage(w, message, wParam, lParam)" (all decimal) in call order.
class FakeDesktop : public Desktop {
public:
    struct Window {
        WindowHandle handle = kNoWindow;
        std::string title;
        bool iconic = false;
        std::string application;
    };

    explicit FakeDesktop(FakeEventLog& log) : log_(&log) {}

    // Adds a window below all others; handles count from 1.
    WindowHandle addWindow(std::string title, bool iconic = false);
    void setForeground(WindowHandle window) { foreground_ = window; }
    void setIconic(WindowHandle window, bool iconic);
    void setApplication(WindowHandle window, std::string application);
    // Stacking order, the topmost first.
    const std::vector<Window>& windows() const { return windows_; }
    bool postMessageResult = true;
    // Each asks the X server once; counted rather than logged.
    int foregroundQueries = 0;
    // Runs inside RaiseAndActivate, as pending events do while a real
    // desktop waits for the window manager.
    std::function<void()> whileActivating;

    WindowHandle GetForegroundWindow() override {
        ++foregroundQueries;
        return foreground_;
    }
    std::vector<WindowHandle> TopLevelWindows() override;
    std::string GetWindowText(WindowHandle window) override;
    WindowHandle FindWindow(const std::string& title) override;
    bool IsIconic(WindowHandle window) override;
    void RestoreWindow(WindowHandle window) override;
    void RaiseAndActivate(WindowHandle window) override;
    bool PostMessage(WindowHandle window, std::uint32_t message, std::uint32_t wParam,
                     std::uint32_t lParam) override;
    std::string windowsUnavailable() const override { return windowsRefused; }
    // Set: a desktop that keeps its windows to itself (it still answers).
    std::string windowsRefused;

    // The foreground window's, as a backend keeps it; counted.
    std::optional<ApplicationWindow> ActiveApplication() override;
    std::vector<ApplicationWindow> ApplicationWindows() override;
    std::string applicationsUnavailable() const override { return applicationsRefused; }
    // Set: a desktop that does not tell the active application.
    std::string applicationsRefused;
    int activeApplicationQueries = 0;

private:
    Window* find(WindowHandle window);

    FakeEventLog* log_;
    std::vector<Window> windows_;
    WindowHandle foreground_ = kNoWindow;
    WindowHandle nextHandle_ = 1;
};

}  // namespace tavrel
