// The kernel input devices the uinput backend types and points with: one
// keyboard and one pointer, made once through /dev/uinput and kept until the
// end, since a desktop takes a while to start using a new device.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/posix/unique_fd.h"
#include "platform/uinput/key_devices.h"

namespace tavrel {

class UinputDevices final : public KeyDevices {
public:
    struct OpenResult;

    // Makes both devices; without them the result says why, in a sentence
    // that tells the user what to do.
    static OpenResult Open(const std::string& path = "/dev/uinput");

    // One event each, as a frame of its own; false when the kernel refused it.
    bool Key(unsigned code, bool press) override;
    bool Button(unsigned code, bool press) override;
    bool Move(int dx, int dy) override;
    std::string Failure() const override;

    // The locks as the lights the desktop sets on the keyboard show them.
    KeyLocks Locks() override;

    // The flip of the light the desktop answers an own toggle with, whenever
    // it comes, says nothing new.
    void NoteOwnToggle(bool capsLock) override;

    // A desktop takes a while to open a new device.
    std::chrono::steady_clock::time_point readyAt() const override {
        return created_ + kDeviceSettle;
    }
    static constexpr std::chrono::milliseconds kDeviceSettle{200};

    // The event nodes the kernel made for the devices (/dev/input/eventN);
    // empty when not found.
    std::string KeyboardNode() const { return EventNode(keyboard_); }
    std::string PointerNode() const { return EventNode(pointer_); }

private:
    UinputDevices(UniqueFd keyboard, UniqueFd pointer);
    static std::string EventNode(const UniqueFd& device);
    bool Written(bool written);

    // A lock light as last set, and the flips still owed for own toggles.
    struct Light {
        bool lit = false;
        bool on = false;  // the lock's state: lit, once no own flip is owed
        int owed = 0;
        std::chrono::steady_clock::time_point owedUntil;
    };

    UniqueFd keyboard_;
    UniqueFd pointer_;
    Light caps_;
    Light num_;
    std::chrono::steady_clock::time_point created_;
    int error_ = 0;  // of the last event the kernel refused
};

struct UinputDevices::OpenResult {
    std::unique_ptr<UinputDevices> devices;  // null when they could not be made
    std::string problem;                     // English text; empty on success
};

}  // namespace tavrel
