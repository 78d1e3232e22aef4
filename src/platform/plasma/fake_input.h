// Plasma's own way in for keys and the pointer: KWin's fake input protocol,
// which it offers only to programs its installed desktop file names (the
// X-KDE-Wayland-Interfaces key). Keys go as evdev key codes on the user's
// keymap, buttons as evdev button codes, moves as relative motion.
#pragma once

#include <chrono>

#include "platform/uinput/key_devices.h"

struct org_kde_kwin_fake_input;

namespace tavrel {

class WaylandConnection;

class FakeInput final : public KeyDevices {
public:
    // Takes the bound global and asks KWin to let it send.
    FakeInput(WaylandConnection& connection, org_kde_kwin_fake_input* input);
    ~FakeInput() override;
    FakeInput(const FakeInput&) = delete;
    FakeInput& operator=(const FakeInput&) = delete;

    // The protocol version that carries keys.
    static constexpr unsigned kKeysVersion = 4;

    bool Key(unsigned code, bool press) override;
    bool Button(unsigned code, bool press) override;
    bool Move(int dx, int dy) override;
    std::string Failure() const override;
    KeyLocks Locks() override { return {}; }  // told only to the window with the focus
    std::chrono::steady_clock::time_point readyAt() const override { return created_; }

private:
    bool Sent();

    WaylandConnection& connection_;
    org_kde_kwin_fake_input* input_;
    std::chrono::steady_clock::time_point created_;
};

}  // namespace tavrel
