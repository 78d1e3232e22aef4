// The backends, and uinput joined to the X11 backend's windows.
#include "app/desktop_backends.h"

#include "app/null_desktop.h"
#include "platform/event_loop_wait.h"
#include "platform/gnome/gnome_backend.h"
#include "platform/plasma/plasma_backend.h"
#include "platform/uinput/keymap_input.h"
#include "platform/wayland/wayland_backend.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/x11/x11_backend.h"

namespace tavrel {
namespace {

// Keys and pointer through kernel devices; windows and the bell from the X
// display when one can be opened.
class UinputBackend final : public DesktopBackend {
public:
    UinputBackend(std::unique_ptr<KeymapInput> input, std::unique_ptr<EventLoopWait> wait,
                  std::unique_ptr<X11Backend> windows)
        : wait_(std::move(wait)), input_(std::move(input)), windows_(std::move(windows)) {}

    std::string description() const override {
        return windows_ ? "uinput keys and pointer, X11 windows" : "uinput keys and pointer";
    }
    Input& input() override { return *input_; }
    Desktop& desktop() override { return windows_ ? windows_->desktop() : noDesktop_; }
    Sound& sound() override { return windows_ ? windows_->sound() : noSound_; }
    DesktopCapabilities capabilities() const override {
        DesktopCapabilities can;
        can.windows = windows_ ? Ability{} : Ability::No(noDesktop_.windowsUnavailable());
        return can;
    }
    void setMessagePump(std::function<void()> processMessages) override {
        wait_->setMessagePump(processMessages);
        if (windows_) {
            windows_->setMessagePump(std::move(processMessages));
        }
    }

private:
    std::unique_ptr<EventLoopWait> wait_;
    std::unique_ptr<KeymapInput> input_;
    std::unique_ptr<X11Backend> windows_;
    NullDesktop noDesktop_;
    NullSound noSound_;
};

}  // namespace

Compositor IdentifyCompositor(const std::string& waylandDisplay) {
    std::string problem;
    const std::unique_ptr<WaylandConnection> connection =
        waylandDisplay.empty() ? nullptr
                               : WaylandConnection::Connect(waylandDisplay.c_str(), &problem);
    if (!connection) {
        return Compositor::Other;
    }
    // mutter's own shell protocol (phoc offers it too, beside the wlroots
    // input protocols mutter lacks); KWin's shell protocol, or its fake
    // input for a program it trusts.
    if (connection->Offers("gtk_shell1") &&
        !connection->Offers("zwp_virtual_keyboard_manager_v1")) {
        return Compositor::Gnome;
    }
    if (connection->Offers("org_kde_plasma_shell") ||
        connection->Offers("org_kde_kwin_fake_input")) {
        return Compositor::Plasma;
    }
    return Compositor::Other;
}

DesktopEnvironment ProbeDesktopEnvironment() {
    DesktopEnvironment environment = DesktopEnvironment::FromProcess();
    environment.compositor = IdentifyCompositor(environment.waylandDisplay);
    return environment;
}

DesktopBackendOpen OpenDesktopBackend(BackendKind kind, const DesktopEnvironment& environment) {
    switch (kind) {
        case BackendKind::X11: {
            X11Backend::OpenResult opened = X11Backend::Open();
            return {std::move(opened.backend), std::move(opened.problem)};
        }
        case BackendKind::Wayland:
            return WaylandBackend::Open({});
        case BackendKind::Gnome:
            return GnomeBackend::Open({});
        case BackendKind::Plasma:
            return PlasmaBackend::Open({});
        case BackendKind::Uinput: {
            if (!environment.waylandDisplay.empty()) {
                WaylandBackend::Options options;
                options.useUinput = true;
                return WaylandBackend::Open(options);
            }
            auto wait = std::make_unique<EventLoopWait>();
            KeymapInput::OpenResult input = KeymapInput::OpenUinput(*wait);
            if (!input.input) {
                return {nullptr, std::move(input.problem)};
            }
            X11Backend::OpenResult x11 =
                environment.display.empty() ? X11Backend::OpenResult{} : X11Backend::Open();
            return {std::make_unique<UinputBackend>(std::move(input.input), std::move(wait),
                                                    std::move(x11.backend)),
                    std::move(input.problem)};
        }
    }
    return {};
}

}  // namespace tavrel
