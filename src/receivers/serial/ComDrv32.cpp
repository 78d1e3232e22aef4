// TCommPortDriver on termios: exclusive non-blocking open, raw line settings,
// reads when the line has data, batches framed by silence, hang-up detection,
// sending with a time limit, DTR and RTS.
#include "receivers/serial/ComDrv32.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

#include "platform/trace.h"
#include "receivers/serial/line_settings.h"
#include "receivers/system_failure.h"

namespace tavrel {

namespace {

OpenFailure FailureOf(const std::string& path, int error) {
    switch (error) {
        case EBUSY:
        case EWOULDBLOCK:
            return FailureOfKind(OpenFailure::InUse, path);
        case ENOTTY:
            return FailureOfKind(OpenFailure::NotSerial, path);
        default:
            return SystemOpenFailure(path, error);
    }
}

// A raw line with no minimum count answers an empty read with 0 bytes, so
// only the descriptor's own state tells end of file from no data yet.
bool HungUp(int fd) {
    pollfd state{fd, POLLIN, 0};
    return poll(&state, 1, 0) > 0 && (state.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

// The driver goes on after these; the trace still shows them. Reads errno
// first, before anything can change it.
void TraceFailure(const char* what) {
    const int error = errno;
    TraceEvent([&] { return std::string("port: ") + what + " failed: " + std::strerror(error); });
}

}  // namespace

TCommPortDriver::TCommPortDriver(TimerFactory& timers, ReadWatchFactory& watches)
    : watches_(watches),
      inputBuffer_(inBufSize_),
      silenceTimer_(timers.createTimer()),
      longestWaitTimer_(timers.createTimer()) {
    silenceTimer_->setEnabled(false);
    silenceTimer_->setTickHandler([this] { SilenceTimer(); });
    longestWaitTimer_->setEnabled(false);
    longestWaitTimer_->setTickHandler([this] { DeliverBatch(); });
}

TCommPortDriver::~TCommPortDriver() {
    ClosePort();
}

void TCommPortDriver::SetComPort(TComPortNumber port) {
    if (!IsOpen()) {
        comPort_ = port;
    }
}

void TCommPortDriver::SetComPortSpeed(TComPortBaudRate speed) {
    SetLineField(&LineSettings::speed, speed);
}

void TCommPortDriver::SetComPortDataBits(TComPortDataBits bits) {
    SetLineField(&LineSettings::dataBits, bits);
}

void TCommPortDriver::SetComPortStopBits(TComPortStopBits bits) {
    SetLineField(&LineSettings::stopBits, bits);
}

void TCommPortDriver::SetComPortParity(TComPortParity parity) {
    SetLineField(&LineSettings::parity, parity);
}

void TCommPortDriver::SetComPortHwHandshaking(TComPortHwHandshaking handshaking) {
    SetLineField(&LineSettings::hwHandshaking, handshaking);
}

void TCommPortDriver::SetComPortSwHandshaking(TComPortSwHandshaking handshaking) {
    SetLineField(&LineSettings::swHandshaking, handshaking);
}

void TCommPortDriver::SetComPortInBufSize(std::uint16_t size) {
    // A buffer of no bytes could never deliver anything.
    if (IsOpen() || size == 0) {
        return;
    }
    inBufSize_ = size;
    inputBuffer_.assign(size, 0);
    inputBuffer_.shrink_to_fit();
}

void TCommPortDriver::SetComPortOutBufSize(std::uint16_t size) {
    // Only OutputFreeSpace reads it, so it may change at any time.
    outBufSize_ = size;
}

void TCommPortDriver::SetComPortPollingDelay(std::uint16_t milliseconds) {
    if (milliseconds == pollingDelay_) {
        return;
    }
    pollingDelay_ = milliseconds;
    // A batch already waiting keeps the limit it started with.
}

bool TCommPortDriver::OpenPort() {
    if (IsOpen()) {
        return true;
    }
    const std::string& path = DevicePath(comPort_);
    UniqueFd fd(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
        lastFailure_ = FailureOf(path, errno);
        TraceEvent([&] { return "port open failed: " + LastError(); });
        return false;
    }
    termios2 current{};
    // The lock comes before TIOCEXCL so a failed open never marks a line that
    // another program holds.
    if (ioctl(fd.get(), TCGETS2, &current) != 0 || flock(fd.get(), LOCK_EX | LOCK_NB) != 0 ||
        ioctl(fd.get(), TIOCEXCL) != 0) {
        lastFailure_ = FailureOf(path, errno);
        TraceEvent([&] { return "port open failed: " + LastError(); });
        return false;
    }
    fd_ = std::move(fd);
    lastFailure_ = {};
    TraceEvent([&] { return "port open " + path; });
    ApplySettings();
    watch_ = watches_.watchReadable(fd_.get(), [this] { ReadAvailable(); });
    return true;
}

void TCommPortDriver::ClosePort() {
    if (!IsOpen()) {
        return;
    }
    watch_.reset();
    DropBatch();
    // The exclusive mark outlives the close while anything else keeps the
    // line open (a simulated receiver does), and would then lock out the
    // next open of anybody but root.
    if (ioctl(fd_.get(), TIOCNXCL) != 0) {
        TraceFailure("ioctl TIOCNXCL");
    }
    if (const int error = fd_.close(); error != 0) {
        TraceEvent([&] { return std::string("port close failed: ") + std::strerror(error); });
    }
    TraceEvent([&] { return "port closed " + DevicePath(comPort_); });
}

void TCommPortDriver::ApplySettings() {
    if (!IsOpen()) {
        return;
    }
    const termios2 settings = BuildTermios(line_);
    if (ioctl(fd_.get(), TCSETS2, &settings) != 0) {
        TraceFailure("ioctl TCSETS2");
    }
    PurgeBuffers(true, true);
    // Writing the whole line state also decides the modem lines, as the
    // flags say: DTR only when raised on open, RTS only for RTS/CTS.
    SetModemLine(TIOCM_DTR, enableDtrOnOpen_);
    SetModemLine(TIOCM_RTS, line_.hwHandshaking == hhRTSCTS);
}

void TCommPortDriver::PurgeBuffers(bool input, bool output) {
    if (!IsOpen()) {
        return;
    }
    if (input) {
        // Read but not handed over yet is unread all the same.
        DropBatch();
    }
    if (!input && !output) {
        return;
    }
    const int queues = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    if (ioctl(fd_.get(), TCFLSH, queues) != 0) {
        TraceFailure("ioctl TCFLSH");
    }
}

std::uint16_t TCommPortDriver::OutputFreeSpace() const {
    if (!IsOpen()) {
        return 0xFFFF;
    }
    int queued = 0;
    if (ioctl(fd_.get(), TIOCOUTQ, &queued) != 0) {
        TraceFailure("ioctl TIOCOUTQ");
        queued = 0;
    }
    // The kernel's queue can be longer than ours; then there is no room,
    // rather than a wrapped-around lot of it.
    return static_cast<std::uint16_t>(std::max(0, static_cast<int>(outBufSize_) - queued));
}

std::int32_t TCommPortDriver::SendBytes(const void* data, std::int32_t count) {
    if (!IsOpen() || count <= 0) {
        return 0;
    }
    using Clock = std::chrono::steady_clock;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::int32_t sent = 0;
    auto lastProgress = Clock::now();
    while (count > 0) {
        bool wouldBlock = false;
        if (OutputFreeSpace() > 0) {
            const ssize_t written = write(fd_.get(), bytes + sent, static_cast<std::size_t>(count));
            if (written > 0) {
                sent += static_cast<std::int32_t>(written);
                count -= static_cast<std::int32_t>(written);
                lastProgress = Clock::now();
                continue;
            }
            if (written < 0 && errno != EAGAIN && errno != EINTR) {
                TraceFailure("write");
                return -sent;  // the device failed; waiting would not help
            }
            wouldBlock = true;
        }
        const auto waited =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastProgress)
                .count();
        if (waited > outputTimeout_) {
            return -sent;
        }
        const int left = static_cast<int>(outputTimeout_ - waited) + 1;
        if (wouldBlock) {
            pollfd writable{fd_.get(), POLLOUT, 0};
            poll(&writable, 1, left);
        } else {
            // Our own queue limit is reached while the kernel would take more:
            // nothing to wait on but the queue draining.
            poll(nullptr, 0, std::min(left, 5));
        }
    }
    return sent;
}

void TCommPortDriver::SetModemLine(int line, bool on) {
    // Lines a device does not have (a pseudo-terminal has none) are no error,
    // only a line in the trace.
    if (ioctl(fd_.get(), on ? TIOCMBIS : TIOCMBIC, &line) != 0) {
        TraceFailure(on ? "ioctl TIOCMBIS" : "ioctl TIOCMBIC");
    }
}

void TCommPortDriver::SetDTR(bool on) {
    if (IsOpen()) {
        SetModemLine(TIOCM_DTR, on);
    }
}

void TCommPortDriver::SetRTS(bool on) {
    if (IsOpen()) {
        SetModemLine(TIOCM_RTS, on);
    }
}

bool TCommPortDriver::ReadAvailable() {
    // A full buffer is handed over at once, so there is always room here.
    if (!IsOpen()) {
        return false;
    }
    const ssize_t got =
        read(fd_.get(), inputBuffer_.data() + received_, inputBuffer_.size() - received_);
    const bool failed = got < 0 && errno != EAGAIN && errno != EINTR;
    if (failed) {
        TraceFailure("read");
    }
    if (failed || (got == 0 && HungUp(fd_.get()))) {
        // A failing read, or end of file: the device is gone (a receiver
        // unplugged, a pseudo-terminal whose other end closed).
        Hangup();
        return false;
    }
    if (got <= 0) {
        return false;
    }
    if (received_ == 0) {
        longestWaitTimer_->setInterval(std::max<int>(pollingDelay_, 1));
        longestWaitTimer_->setEnabled(true);
    }
    received_ += static_cast<std::size_t>(got);
    if (received_ == inputBuffer_.size()) {
        DeliverBatch();
        return true;
    }
    silenceTimer_->setInterval(SilenceMilliseconds(line_));
    silenceTimer_->setEnabled(false);
    silenceTimer_->setEnabled(true);
    if (onBatchSoFar_) {
        onBatchSoFar_(*this, inputBuffer_.data(), static_cast<std::int32_t>(received_));
    }
    return true;
}

void TCommPortDriver::SilenceTimer() {
    // Bytes that came while the loop was busy elsewhere were not silence: the
    // burst goes on, and its batch waits for the line to fall quiet again
    // (or was handed over already while the read's handler ran the loop).
    if (!ReadAvailable() && IsOpen()) {
        DeliverBatch();
    }
}

void TCommPortDriver::DeliverBatch() {
    silenceTimer_->setEnabled(false);
    longestWaitTimer_->setEnabled(false);
    if (received_ == 0) {
        return;
    }
    // A copy: the handler may run the message loop, which reads the next
    // bytes into the buffer while this batch is still being handled.
    const std::vector<std::uint8_t> batch(inputBuffer_.begin(),
                                          inputBuffer_.begin() + static_cast<long>(received_));
    received_ = 0;
    if (onReceiveData_) {
        onReceiveData_(*this, batch.data(), static_cast<std::int32_t>(batch.size()));
    }
}

void TCommPortDriver::DropBatch() {
    silenceTimer_->setEnabled(false);
    longestWaitTimer_->setEnabled(false);
    if (std::exchange(received_, 0) > 0 && onBatchSoFar_) {
        onBatchSoFar_(*this, inputBuffer_.data(), 0);
    }
}

void TCommPortDriver::Hangup() {
    // What arrived before the device went is handed over first.
    DeliverBatch();
    if (!IsOpen()) {
        return;
    }
    ClosePort();
    if (onHangup_) {
        onHangup_(*this);
    }
}

}  // namespace tavrel
