// A receiver driven by the kernel's remote-control subsystem (/dev/lircN):
// reads decoded frames (scancodes) or, in raw mode, pulse/space timings, and
// hands each infrared frame to OnReceiveData as one batch. While open it
// holds the receiver's input event device, so keys the kernel's keymap gives
// its buttons do not act on the desktop as well.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/posix/unique_fd.h"
#include "platform/read_watch.h"
#include "platform/timer.h"
#include "receivers/lirc_device/lirc_frames.h"
#include "receivers/lirc_device/rc_devices.h"
#include "receivers/receiver.h"

namespace tavrel {

class LircDeviceReceiver final : public Receiver {
public:
    enum class Mode { Decoded, Raw };

    LircDeviceReceiver(TimerFactory& timers, ReadWatchFactory& watches);
    ~LircDeviceReceiver() override;

    // Takes effect at the next open.
    void SetDevice(const std::string& path, Mode mode) {
        path_ = path;
        mode_ = mode;
    }

    // Each frame is one batch. OnBatchSoFar: in raw mode, a frame still
    // being received; decoded frames arrive whole and never raise it.
    bool OpenPort() override;
    void ClosePort() override;
    bool IsOpen() const override { return static_cast<bool>(fd_); }
    const OpenFailure& LastFailure() const override { return lastFailure_; }

private:
    bool Fail(OpenFailure failure);
    bool SetReceiveMode(const RcDevice* receiver, std::uint32_t features);
    bool GrabInputDevice(const std::string& eventDevice);
    void ReadAvailable();
    void Deliver(const Batch& batch);
    void Hangup();

    std::string path_;
    Mode mode_ = Mode::Decoded;

    ReadWatchFactory& watches_;
    UniqueFd fd_;
    UniqueFd inputDevice_;  // held (grabbed) while open
    std::unique_ptr<ReadWatch> watch_;
    ScancodeFramer decoded_;
    RawFramer framer_;
    OpenFailure lastFailure_;
};

}  // namespace tavrel
