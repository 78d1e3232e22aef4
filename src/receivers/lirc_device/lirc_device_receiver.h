// A receiver driven by the kernel's remote-control subsystem (/dev/lircN):
// reads decoded frames (scancodes) or, in raw mode, pulse/space timings, and
// hands each infrared frame to OnReceiveData as one batch. While open it
// holds the receiver's input event device, so keys the kernel's keymap gives
// its buttons do not act on the desktop as well.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/unique_fd.h"
#include "platform/read_watch.h"
#include "platform/timer.h"
#include "receivers/lirc_device/lirc_frames.h"
#include "receivers/lirc_device/rc_devices.h"

namespace tavrel {

class LircDeviceReceiver;

// Why an open failed, in parts, so the window can say it in the user's words.
struct KernelReceiverFailure {
    enum Kind {
        None,
        NoDevice,
        PermissionDenied,
        NotReceiver,   // not a LIRC device, or one that cannot receive
        NoRawTimings,  // raw mode asked of a receiver that decodes in hardware
        NoDecoder,     // decoded mode with no protocol decoder enabled
        GrabFailed,    // its input event device could not be held
        Other,
    };
    Kind kind = None;
    std::string path;        // the LIRC device
    std::string receiver;    // NoDecoder: its name below /sys/class/rc (rc0)
    std::string device;      // GrabFailed: the input event device
    std::string group;       // PermissionDenied: a group that may use the device, if any
    std::string systemText;  // Other, GrabFailed: the system's words
};

using KernelFailureWords = std::function<std::string(const char* english, const char* key)>;
// "<path>: permission denied (...)" and so on, with the advice that helps.
std::string DescribeKernelReceiverFailure(const KernelReceiverFailure& failure,
                                          const KernelFailureWords& words = {});

using LircReceiveDataEvent =
    std::function<void(LircDeviceReceiver& sender, const std::uint8_t* data, std::int32_t size)>;
using LircHangupEvent = std::function<void(LircDeviceReceiver& sender)>;

class LircDeviceReceiver {
public:
    enum class Mode { Decoded, Raw };

    LircDeviceReceiver(TimerFactory& timers, ReadWatchFactory& watches);
    ~LircDeviceReceiver();
    LircDeviceReceiver(const LircDeviceReceiver&) = delete;
    LircDeviceReceiver& operator=(const LircDeviceReceiver&) = delete;

    // Takes effect at the next open. sysRoot: where /sys is (tests).
    void SetDevice(const std::string& path, Mode mode) {
        path_ = path;
        mode_ = mode;
    }
    void SetSysRoot(const std::string& sysRoot) { sysRoot_ = sysRoot; }
    const std::string& DevicePath() const { return path_; }
    Mode ReceiveMode() const { return mode_; }

    // Each frame, as one batch; the bytes are valid during the call.
    void SetOnReceiveData(LircReceiveDataEvent handler) { onReceiveData_ = std::move(handler); }
    // Raw mode: a frame still being received, all its values so far; size 0
    // when it was dropped. Decoded frames arrive whole and never raise it.
    void SetOnBatchSoFar(LircReceiveDataEvent handler) { onBatchSoFar_ = std::move(handler); }
    // Raised once the receiver has been closed because it went away.
    void SetOnHangup(LircHangupEvent handler) { onHangup_ = std::move(handler); }

    bool OpenPort();  // true when open afterwards; else LastFailure says why
    void ClosePort();
    bool IsOpen() const { return static_cast<bool>(fd_); }
    const KernelReceiverFailure& LastFailure() const { return lastFailure_; }
    std::string LastError() const { return DescribeKernelReceiverFailure(lastFailure_); }

private:
    bool Fail(KernelReceiverFailure failure);
    bool SetReceiveMode(const RcDevice* receiver);
    bool GrabInputDevice(const std::string& eventDevice);
    void ReadAvailable();
    void Deliver(const Batch& batch);
    void Hangup();

    std::string path_;
    Mode mode_ = Mode::Decoded;
    std::string sysRoot_ = "/sys";
    LircReceiveDataEvent onReceiveData_;
    LircReceiveDataEvent onBatchSoFar_;
    LircHangupEvent onHangup_;

    ReadWatchFactory& watches_;
    UniqueFd fd_;
    UniqueFd inputDevice_;  // held (grabbed) while open
    std::unique_ptr<ReadWatch> watch_;
    ScancodeFramer decoded_;
    RawFramer framer_;
    KernelReceiverFailure lastFailure_;
};

}  // namespace tavrel
