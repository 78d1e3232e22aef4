// The Wayland desktop backend as one object: keys and pointer through the
// compositor's virtual keyboard and pointer, or through uinput (with the
// compositor's keymap) where it offers neither; windows through its
// foreign-toplevel list where it has one. Made once, kept for the run.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/desktop_backend.h"
#include "platform/event_loop_wait.h"

namespace tavrel {

class ForeignToplevels;
class ReadWatch;
class ReadWatchFactory;
class SeatKeymap;
class KeymapInput;
class VirtualKeyboard;
class VirtualPointer;
class WaylandConnection;
class WaylandDesktop;

class WaylandBackend final : public DesktopBackend {
public:
    struct Options {
        const char* displayName = nullptr;  // nullptr: WAYLAND_DISPLAY
        // Keys and pointer through uinput even where the compositor has
        // protocols for them.
        bool useUinput = false;
        std::string uinputPath = "/dev/uinput";
    };

    // Null, with the reason, when the display cannot be reached, or when
    // uinput was asked for and cannot be used; a backend that cannot send
    // keys or list windows comes with a warning.
    static DesktopBackendOpen Open(const Options& options);

    ~WaylandBackend() override;
    WaylandBackend(const WaylandBackend&) = delete;
    WaylandBackend& operator=(const WaylandBackend&) = delete;

    std::string description() const override;
    Input& input() override;
    Desktop& desktop() override;
    Sound& sound() override;
    DesktopCapabilities capabilities() const override { return capabilities_; }
    void setMessagePump(std::function<void()> processMessages) override;
    // Without, what the compositor announces is read whenever the backend is used.
    void watchEvents(ReadWatchFactory& watches) override;

    // What each part runs on, for tests and the trace.
    bool virtualKeyboard() const { return keyboard_ != nullptr; }
    bool virtualPointer() const { return pointer_ != nullptr; }
    bool uinput() const { return uinput_ != nullptr; }
    WaylandDesktop& waylandDesktop() { return *desktop_; }
    // The backend's own connection to the compositor.
    int connectionFd() const;

private:
    WaylandBackend();
    std::string Build(const Options& options, bool virtualKeyboardAllowed);

    EventLoopWait wait_;
    std::unique_ptr<WaylandConnection> connection_;
    std::unique_ptr<VirtualKeyboard> keyboard_;
    std::unique_ptr<VirtualPointer> pointer_;
    std::unique_ptr<KeymapInput> uinput_;
    std::unique_ptr<SeatKeymap> seatKeymap_;
    std::unique_ptr<Input> input_;
    std::unique_ptr<WaylandDesktop> desktop_;
    std::unique_ptr<Sound> sound_;
    std::unique_ptr<ReadWatch> watch_;
    DesktopCapabilities capabilities_;
};

}  // namespace tavrel
