// GNOME's own way in for keys and the pointer: a remote desktop session of
// mutter (org.gnome.Mutter.RemoteDesktop on the session bus), created and
// started once and kept for the run. Keys go as evdev key codes, buttons as
// evdev button codes, moves as relative motion. Nothing waits on mutter once
// the session runs: every notification goes out without waiting for its
// answer, and answers are read when they arrive (Dispatch).
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include <systemd/sd-bus.h>

#include "platform/uinput/key_devices.h"

namespace tavrel {

class RemoteDesktopSession final : public KeyDevices {
public:
    struct OpenResult;

    // Connects to the session bus, creates a session and starts it, all
    // within longest. Without a session the result says why.
    static OpenResult Open(std::chrono::milliseconds longest);

    ~RemoteDesktopSession() override;
    RemoteDesktopSession(const RemoteDesktopSession&) = delete;
    RemoteDesktopSession& operator=(const RemoteDesktopSession&) = delete;

    bool Key(unsigned code, bool press) override;
    bool Button(unsigned code, bool press) override;
    bool Move(int dx, int dy) override;
    std::string Failure() const override { return failure_; }
    KeyLocks Locks() override { return {}; }  // told only to the window with the focus
    std::chrono::steady_clock::time_point readyAt() const override { return started_; }

    // The bus connection, for reading answers as they arrive.
    int fd() const;
    // Reads what arrived without waiting. False once the bus connection is gone.
    bool Dispatch();

    const std::string& path() const { return path_; }

private:
    RemoteDesktopSession(sd_bus* bus, std::string path);
    // A notification to the session, its arguments appended by append;
    // false when it could not be sent.
    template <typename Append>
    bool Notify(const char* member, Append append);
    bool Send(sd_bus_message* message, int appended);
    static int OnAnswer(sd_bus_message* reply, void* data, sd_bus_error* error);
    static int OnClosed(sd_bus_message* message, void* data, sd_bus_error* error);

    sd_bus* bus_;
    std::string path_;
    std::string failure_;
    bool closed_ = false;
    std::chrono::steady_clock::time_point started_;
};

struct RemoteDesktopSession::OpenResult {
    std::unique_ptr<RemoteDesktopSession> session;  // null when none could be started
    std::string problem;                            // English text; empty on success
};

}  // namespace tavrel
