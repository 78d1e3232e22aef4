// The kernel receiver: opening /dev/lircN in the asked mode, holding its
// input event device, reading frames on the message loop, hang-ups.
#include "receivers/lirc_device/lirc_device_receiver.h"

#include <fcntl.h>
#include <linux/input.h>
#include <linux/lirc.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/posix/device_access.h"
#include "platform/trace.h"
#include "receivers/lirc_device/rc_devices.h"
#include "receivers/system_failure.h"

namespace tavrel {

namespace {

// Reads errno first, before anything can change it.
void TraceFailure(const char* what) {
    const int error = errno;
    TraceEvent(
        [&] { return std::string("receiver: ") + what + " failed: " + std::strerror(error); });
}

}  // namespace

LircDeviceReceiver::LircDeviceReceiver(TimerFactory& timers, ReadWatchFactory& watches)
    : watches_(watches),
      decoded_(timers, [this](const Batch& frame) { Deliver(frame); }),
      framer_(
          timers, [this](const Batch& frame) { Deliver(frame); },
          [this](const Batch& soFar) {
              if (onBatchSoFar_ && IsOpen()) {
                  onBatchSoFar_(*this, soFar.data(), static_cast<std::int32_t>(soFar.size()));
              }
          }) {}

LircDeviceReceiver::~LircDeviceReceiver() {
    ClosePort();
}

bool LircDeviceReceiver::Fail(OpenFailure failure) {
    lastFailure_ = std::move(failure);
    inputDevice_.close();
    fd_.close();
    TraceEvent([&] { return "receiver open failed: " + LastError(); });
    return false;
}

bool LircDeviceReceiver::OpenPort() {
    if (IsOpen()) {
        return true;
    }
    fd_ = UniqueFd(open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd_) {
        return Fail(SystemOpenFailure(path_, errno));
    }
    struct stat info {};
    std::uint32_t features = 0;
    if (fstat(fd_.get(), &info) != 0 || !S_ISCHR(info.st_mode) ||
        ioctl(fd_.get(), LIRC_GET_FEATURES, &features) != 0) {
        return Fail(FailureOfKind(OpenFailure::NotReceiver, path_));
    }
    const std::optional<RcDevice> receiver = RcDeviceOf(info.st_rdev);
    if (!SetReceiveMode(receiver ? &*receiver : nullptr, features)) {
        return false;
    }
    if (receiver && !GrabInputDevice(receiver->eventDevice)) {
        return false;
    }
    lastFailure_ = {};
    framer_.Drop();
    TraceEvent([&] {
        return "receiver open " + path_ + (mode_ == Mode::Raw ? " (raw timings)" : " (decoded)");
    });
    watch_ = watches_.watchReadable(fd_.get(), [this] { ReadAvailable(); });
    return true;
}

bool LircDeviceReceiver::SetReceiveMode(const RcDevice* receiver, std::uint32_t features) {
    // What the device advertises is not to be trusted (the loopback receiver
    // decodes without saying so): the mode is tried, and the features only
    // tell a receiver that decodes in hardware from a mere transmitter.
    std::uint32_t mode = mode_ == Mode::Raw ? LIRC_MODE_MODE2 : LIRC_MODE_SCANCODE;
    if (ioctl(fd_.get(), LIRC_SET_REC_MODE, &mode) != 0) {
        const bool receives = LIRC_CAN_REC(features) != 0;
        return Fail(FailureOfKind(
            mode_ == Mode::Raw && receives ? OpenFailure::NoRawTimings : OpenFailure::NotReceiver,
            path_));
    }
    if (mode_ == Mode::Raw) {
        std::uint32_t on = 1;
        if (ioctl(fd_.get(), LIRC_SET_REC_TIMEOUT_REPORTS, &on) != 0) {
            TraceFailure("LIRC_SET_REC_TIMEOUT_REPORTS");  // frames then end by silence
        }
        return true;
    }
    // Decoded frames come only from the protocols switched on.
    if (receiver != nullptr && receiver->protocols.enabled.empty()) {
        OpenFailure failure = FailureOfKind(OpenFailure::NoDecoder, path_);
        failure.systemText = receiver->name;
        return Fail(std::move(failure));
    }
    return true;
}

bool LircDeviceReceiver::GrabInputDevice(const std::string& eventDevice) {
    if (eventDevice.empty()) {
        // Without an event device nothing on the desktop reads its keys.
        TraceEvent([&] { return "receiver " + path_ + " has no input event device to hold"; });
        return true;
    }
    UniqueFd input(open(eventDevice.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    int error = input ? 0 : errno;
    if (input && ioctl(input.get(), EVIOCGRAB, 1) != 0) {
        error = errno;
    }
    if (error != 0) {
        OpenFailure failure = FailureOfKind(OpenFailure::NotGrabbed, path_);
        failure.systemText = eventDevice + ": " + SystemErrorText(error);
        return Fail(std::move(failure));
    }
    inputDevice_ = std::move(input);
    return true;
}

void LircDeviceReceiver::ClosePort() {
    if (!IsOpen()) {
        return;
    }
    watch_.reset();
    framer_.Drop();
    decoded_.Reset();
    if (inputDevice_ && ioctl(inputDevice_.get(), EVIOCGRAB, 0) != 0) {
        TraceFailure("EVIOCGRAB release");
    }
    inputDevice_.close();
    fd_.close();
    TraceEvent([&] { return "receiver closed " + path_; });
}

void LircDeviceReceiver::ReadAvailable() {
    if (!IsOpen()) {
        return;
    }
    // Whole samples only: the kernel hands out nothing smaller.
    std::array<std::uint8_t, 64 * sizeof(lirc_scancode)> buffer;
    const ssize_t got = read(fd_.get(), buffer.data(), buffer.size());
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
        return;
    }
    if (got <= 0) {
        // A receiver unplugged fails its reads (or polls as hung up).
        if (got < 0) {
            TraceFailure("read");
        }
        pollfd state{fd_.get(), POLLIN, 0};
        if (got < 0 || (poll(&state, 1, 0) > 0 && (state.revents & (POLLHUP | POLLERR)) != 0)) {
            Hangup();
        }
        return;
    }
    const auto size = static_cast<std::size_t>(got);
    if (mode_ == Mode::Raw) {
        std::array<std::uint32_t, buffer.size() / sizeof(std::uint32_t)> samples;
        std::memcpy(samples.data(), buffer.data(), size);
        framer_.Samples(samples.data(), size / sizeof(std::uint32_t));
        return;
    }
    for (std::size_t at = 0; at + sizeof(lirc_scancode) <= size; at += sizeof(lirc_scancode)) {
        lirc_scancode frame{};
        std::memcpy(&frame, buffer.data() + at, sizeof frame);
        decoded_.Frame(frame.rc_proto, frame.scancode, frame.flags);
    }
}

void LircDeviceReceiver::Deliver(const Batch& batch) {
    // Frames read with the one that closed the receiver are not delivered.
    if (IsOpen() && onReceiveData_) {
        onReceiveData_(*this, batch.data(), static_cast<std::int32_t>(batch.size()));
    }
}

void LircDeviceReceiver::Hangup() {
    ClosePort();
    if (onHangup_) {
        onHangup_(*this);
    }
}

}  // namespace tavrel
