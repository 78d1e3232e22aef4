// The X11 desktop backend as one object: input, windows and the bell on a
// private connection to the X server.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/desktop_backend.h"

namespace tavrel {

class X11Connection;
class X11Keymap;
class X11Input;
class X11Desktop;
class EventLoopWait;
class ReadWatch;

class X11Sound final : public Sound {
public:
    explicit X11Sound(X11Connection& connection) : connection_(connection) {}
    void Beep() override;

private:
    X11Connection& connection_;
};

class X11Backend final : public DesktopBackend {
public:
    struct OpenResult;

    // Connects to displayName (nullptr: $DISPLAY). Without a display the
    // result holds no backend and an error text; without the XTest extension
    // it holds a backend whose input sends nothing, and a warning text.
    static OpenResult Open(const char* displayName = nullptr);

    ~X11Backend() override;
    X11Backend(const X11Backend&) = delete;
    X11Backend& operator=(const X11Backend&) = delete;

    std::string description() const override { return "X11 (XTest, EWMH)"; }
    Input& input() override;
    Desktop& desktop() override;
    Sound& sound() override;
    DesktopCapabilities capabilities() const override;
    bool canSendInput() const { return haveXTest_; }

    // Runs while the backend waits for the window manager or for clients to
    // read a remapped key.
    void setMessagePump(std::function<void()> processMessages) override;
    // Follows the active window as the window manager announces it changing.
    void watchEvents(ReadWatchFactory& watches) override;

private:
    X11Backend(std::unique_ptr<X11Connection> connection, bool haveXTest);

    std::unique_ptr<X11Connection> connection_;
    bool haveXTest_;
    std::unique_ptr<X11Keymap> keymap_;
    std::unique_ptr<EventLoopWait> wait_;
    std::unique_ptr<X11Input> input_;
    std::unique_ptr<X11Desktop> desktop_;
    std::unique_ptr<X11Sound> sound_;
    std::unique_ptr<ReadWatch> watch_;  // goes first
};

struct X11Backend::OpenResult {
    std::unique_ptr<X11Backend> backend;  // null when there is no display
    std::string problem;                  // empty when everything works; English text
};

}  // namespace tavrel
