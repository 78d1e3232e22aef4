// Top-level windows on Wayland: through the compositor's window list where it
// lets this program see one (foreign toplevels, KWin's window management);
// elsewhere the window functions find nothing and say why. Window messages
// map onto what the list allows.
#pragma once

#include <memory>
#include <string>

#include "platform/desktop.h"

namespace tavrel {

class EventLoopWait;
class Input;
class WindowList;
class WaylandConnection;

class WaylandDesktop final : public Desktop {
public:
    // toplevels may be null (the compositor has no such list): noList then
    // says why, for the user. Key messages posted to the active window are
    // typed with input.
    WaylandDesktop(WaylandConnection& connection, std::unique_ptr<WindowList> toplevels,
                   Input& input, EventLoopWait& wait, std::string noList = {});
    ~WaylandDesktop() override;

    WindowHandle GetForegroundWindow() override;
    std::vector<WindowHandle> TopLevelWindows() override;
    std::string GetWindowText(WindowHandle window) override;
    WindowHandle FindWindow(const std::string& title) override;
    bool IsIconic(WindowHandle window) override;
    void RestoreWindow(WindowHandle window) override;
    void RaiseAndActivate(WindowHandle window) override;
    bool PostMessage(WindowHandle window, std::uint32_t message, std::uint32_t wParam,
                     std::uint32_t lParam) override;
    std::string windowsUnavailable() const override;
    // The backend's connection failed: no window can be reached from now on.
    void connectionClosed(std::string reason) { closed_ = std::move(reason); }
    // The activated window of the list, as the compositor last announced it.
    std::optional<ApplicationWindow> ActiveApplication() override;
    std::vector<ApplicationWindow> ApplicationWindows() override;
    std::string applicationsUnavailable() const override { return windowsUnavailable(); }

    // The app id of a window, for the trace and for tests; empty when unknown.
    std::string AppId(WindowHandle window);

private:
    // Reads what the compositor announced since the last call.
    void Refresh();
    ApplicationWindow Described(WindowHandle window) const;
    void AwaitActivation(WindowHandle window);
    bool Refuse(WindowHandle window, std::uint32_t message, const char* why);

    WaylandConnection& connection_;
    std::unique_ptr<WindowList> toplevels_;
    std::string noList_;
    std::string closed_;  // why no window can be reached any more
    Input& input_;
    EventLoopWait& wait_;
};

}  // namespace tavrel
