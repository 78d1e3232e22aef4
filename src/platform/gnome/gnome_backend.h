// The GNOME desktop backend: keys and the pointer through a remote desktop
// session of mutter, typed on the keymap GNOME gives its Wayland clients.
// GNOME lets no program list or activate other programs' windows, so the
// window functions find nothing and say why.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/desktop_backend.h"
#include "platform/event_loop_wait.h"

namespace tavrel {

class KeymapInput;
class RemoteDesktopSession;
class SeatKeymap;
class WaylandConnection;
class WaylandDesktop;

class GnomeBackend final : public DesktopBackend {
public:
    struct Options {
        const char* displayName = nullptr;  // nullptr: WAYLAND_DISPLAY
        // How long the session bus and mutter may take to start a session.
        std::chrono::milliseconds longest{3000};
    };

    // Null, with the reason, when the display or the session cannot be had.
    static DesktopBackendOpen Open(const Options& options);

    ~GnomeBackend() override;
    GnomeBackend(const GnomeBackend&) = delete;
    GnomeBackend& operator=(const GnomeBackend&) = delete;

    std::string description() const override { return "GNOME (remote desktop keys and pointer)"; }
    Input& input() override;
    Desktop& desktop() override;
    Sound& sound() override;
    DesktopCapabilities capabilities() const override;
    void setMessagePump(std::function<void()> processMessages) override;
    void watchEvents(ReadWatchFactory& watches) override;

private:
    GnomeBackend();

    EventLoopWait wait_;
    std::unique_ptr<WaylandConnection> connection_;
    RemoteDesktopSession* session_ = nullptr;  // owned by input_
    std::unique_ptr<KeymapInput> input_;
    std::unique_ptr<SeatKeymap> seatKeymap_;
    std::unique_ptr<WaylandDesktop> desktop_;
    std::unique_ptr<Sound> sound_;
    std::unique_ptr<ReadWatch> busWatch_;
    std::unique_ptr<ReadWatch> displayWatch_;
};

}  // namespace tavrel
