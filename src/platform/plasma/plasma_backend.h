// The Plasma desktop backend: keys and the pointer through KWin's fake input,
// typed on the keymap KWin gives its clients; windows through KWin's window
// management. KWin offers both only to programs its installed desktop file
// names, so a copy of Tavrel that was not installed cannot use them.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/desktop_backend.h"
#include "platform/event_loop_wait.h"

namespace tavrel {

class KeymapInput;
class SeatKeymap;
class WaylandConnection;
class WaylandDesktop;

class PlasmaBackend final : public DesktopBackend {
public:
    struct Options {
        const char* displayName = nullptr;  // nullptr: WAYLAND_DISPLAY
    };

    // Null, with the reason, when the display cannot be reached or KWin
    // offers this program no fake input.
    static DesktopBackendOpen Open(const Options& options);

    ~PlasmaBackend() override;
    PlasmaBackend(const PlasmaBackend&) = delete;
    PlasmaBackend& operator=(const PlasmaBackend&) = delete;

    std::string description() const override;
    Input& input() override;
    Desktop& desktop() override;
    Sound& sound() override;
    DesktopCapabilities capabilities() const override { return capabilities_; }
    void setMessagePump(std::function<void()> processMessages) override;
    void watchEvents(ReadWatchFactory& watches) override;

    WaylandDesktop& waylandDesktop() { return *desktop_; }

private:
    PlasmaBackend();

    EventLoopWait wait_;
    std::unique_ptr<WaylandConnection> connection_;
    std::unique_ptr<KeymapInput> input_;
    std::unique_ptr<SeatKeymap> seatKeymap_;
    std::unique_ptr<WaylandDesktop> desktop_;
    std::unique_ptr<Sound> sound_;
    std::unique_ptr<ReadWatch> watch_;
    DesktopCapabilities capabilities_;
};

}  // namespace tavrel
