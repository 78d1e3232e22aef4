// Top-level windows, activation and window messages over the EWMH hints
// that the window manager maintains.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "platform/desktop.h"
#include "platform/event_loop_wait.h"
#include "platform/x11/x11_active_window.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_keymap.h"

namespace tavrel {

class X11Desktop final : public Desktop {
public:
    X11Desktop(X11Connection& connection, X11Keymap& keymap, EventLoopWait& wait);

    WindowHandle GetForegroundWindow() override;
    std::vector<WindowHandle> TopLevelWindows() override;
    std::string GetWindowText(WindowHandle window) override;
    WindowHandle FindWindow(const std::string& title) override;
    bool IsIconic(WindowHandle window) override;
    void RestoreWindow(WindowHandle window) override;
    void RaiseAndActivate(WindowHandle window) override;
    bool PostMessage(WindowHandle window, std::uint32_t message, std::uint32_t wParam,
                     std::uint32_t lParam) override;

    // The active application as the window manager last announced it
    // (x11_applications.cpp); known once followActiveWindow was given a follower.
    std::optional<ApplicationWindow> ActiveApplication() override;
    std::vector<ApplicationWindow> ApplicationWindows() override;
    std::string applicationsUnavailable() const override;
    void followActiveWindow(std::unique_ptr<X11ActiveWindow> follower);
    X11ActiveWindow* activeWindow() const { return active_.get(); }

    // False while the window manager moves the keyboard focus: the focus
    // follows the pointer or rests on no client. Keys sent then are lost.
    bool KeyboardFocusSettled();

private:
    X11Connection& connection_;
    X11Keymap& keymap_;
    EventLoopWait& wait_;
    std::unique_ptr<X11ActiveWindow> active_;

    // The 32-bit items of a window property of the given type; nullopt when
    // the property is missing or the window is gone.
    std::optional<std::vector<unsigned long>> Property32(Window window, const char* name,
                                                         Atom type);
    bool Exists(Window window);
    bool SendToWindowManager(Window window, const char* type, long l0, long l1 = 0, long l2 = 0,
                             long l3 = 0);
    bool SetMaximized(Window window, bool maximized);
    bool Restore(Window window);
    void AwaitActivation(Window window);
    bool SendKey(Window window, const KeyChoice& key, bool press, bool release);
};

}  // namespace tavrel
