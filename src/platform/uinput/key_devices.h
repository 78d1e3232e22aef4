// Where keys typed on the desktop's keymap go: evdev key and button codes and
// relative pointer moves, handed to the desktop through kernel devices or
// through a way in of the desktop's own (a remote desktop session, a fake
// input protocol).
#pragma once

#include <chrono>
#include <string>

#include "platform/uinput/xkb_layout.h"

namespace tavrel {

class KeyDevices {
public:
    virtual ~KeyDevices() = default;

    // One event each; false when it could not be handed on (Failure says why).
    virtual bool Key(unsigned code, bool press) = 0;
    virtual bool Button(unsigned code, bool press) = 0;
    virtual bool Move(int dx, int dy) = 0;
    virtual std::string Failure() const = 0;

    // The locks in force, as far as the desktop lets this side know.
    virtual KeyLocks Locks() = 0;

    // This side toggled Caps Lock (or Num Lock) and will toggle it back.
    virtual void NoteOwnToggle(bool /*capsLock*/) {}

    // From when on the desktop reads the events: a new device is taken in
    // after a while, and what comes before may be lost.
    virtual std::chrono::steady_clock::time_point readyAt() const = 0;
};

}  // namespace tavrel
