// TCommPortDriver: opens one of COM1..COM8 exclusively, sets its line, reads
// whenever the line has data and hands each burst to OnReceiveData as one
// batch; a device that hangs up closes the port and raises OnHangup.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/unique_fd.h"
#include "platform/read_watch.h"
#include "platform/timer.h"
#include "receivers/receiver.h"
#include "serial/com_port_types.h"

namespace tavrel {

class TCommPortDriver;

// The bytes are valid only during the call; size is at least 1 (but see
// OnBatchSoFar).
using TComPortReceiveDataEvent =
    std::function<void(TCommPortDriver& sender, const std::uint8_t* data, std::int32_t size)>;
// Raised once the port has been closed because the device went away.
using TComPortHangupEvent = std::function<void(TCommPortDriver& sender)>;

class TCommPortDriver {
public:
    TCommPortDriver(TimerFactory& timers, ReadWatchFactory& watches);
    ~TCommPortDriver();
    TCommPortDriver(const TCommPortDriver&) = delete;
    TCommPortDriver& operator=(const TCommPortDriver&) = delete;

    // --- properties; the line settings apply at once while open
    TComPortNumber ComPort() const { return comPort_; }
    void SetComPort(TComPortNumber port);  // ignored while open
    TComPortBaudRate ComPortSpeed() const { return line_.speed; }
    void SetComPortSpeed(TComPortBaudRate speed);
    TComPortDataBits ComPortDataBits() const { return line_.dataBits; }
    void SetComPortDataBits(TComPortDataBits bits);
    TComPortStopBits ComPortStopBits() const { return line_.stopBits; }
    void SetComPortStopBits(TComPortStopBits bits);
    TComPortParity ComPortParity() const { return line_.parity; }
    void SetComPortParity(TComPortParity parity);
    TComPortHwHandshaking ComPortHwHandshaking() const { return line_.hwHandshaking; }
    void SetComPortHwHandshaking(TComPortHwHandshaking handshaking);
    TComPortSwHandshaking ComPortSwHandshaking() const { return line_.swHandshaking; }
    void SetComPortSwHandshaking(TComPortSwHandshaking handshaking);
    std::uint16_t ComPortInBufSize() const { return inBufSize_; }
    void SetComPortInBufSize(std::uint16_t size);  // ignored while open, and 0 always
    std::uint16_t ComPortOutBufSize() const { return outBufSize_; }
    void SetComPortOutBufSize(std::uint16_t size);
    // The longest a received byte waits for the line to fall silent before
    // it is handed over all the same.
    std::uint16_t ComPortPollingDelay() const { return pollingDelay_; }
    void SetComPortPollingDelay(std::uint16_t milliseconds);
    bool EnableDTROnOpen() const { return enableDtrOnOpen_; }
    void SetEnableDTROnOpen(bool enable) { enableDtrOnOpen_ = enable; }
    std::uint16_t OutputTimeout() const { return outputTimeout_; }
    void SetOutputTimeout(std::uint16_t milliseconds) { outputTimeout_ = milliseconds; }
    const TComPortReceiveDataEvent& OnReceiveData() const { return onReceiveData_; }
    void SetOnReceiveData(TComPortReceiveDataEvent handler) { onReceiveData_ = std::move(handler); }
    // Raised after every read that leaves a batch still waiting for the line
    // to fall silent, with all its bytes so far; valid until the handler
    // returns or runs the message loop. The batch itself still follows,
    // unless a close or a purge drops it: that is raised with size 0.
    const TComPortReceiveDataEvent& OnBatchSoFar() const { return onBatchSoFar_; }
    void SetOnBatchSoFar(TComPortReceiveDataEvent handler) { onBatchSoFar_ = std::move(handler); }
    const TComPortHangupEvent& OnHangup() const { return onHangup_; }
    void SetOnHangup(TComPortHangupEvent handler) { onHangup_ = std::move(handler); }

    // --- where COM1..COM8 live; takes effect at the next open
    void SetDevicePaths(const DevicePathTable& paths) { devicePaths_ = paths; }
    const DevicePathTable& DevicePaths() const { return devicePaths_; }
    const std::string& DevicePath(TComPortNumber port) const { return devicePaths_.at(port); }

    // --- operations
    bool OpenPort();  // true when open afterwards; on failure LastError() says why
    void ClosePort();
    bool IsOpen() const { return static_cast<bool>(fd_); }
    void ApplySettings();
    void PurgeBuffers(bool input, bool output);
    std::uint16_t OutputFreeSpace() const;
    // Bytes written; 0 while closed; minus the bytes written when the output
    // stayed full for longer than OutputTimeout or the device failed.
    std::int32_t SendBytes(const void* data, std::int32_t count);
    void SetDTR(bool on);
    void SetRTS(bool on);

    // Why the last OpenPort failed ("<path>: no such device", "<path>: in use
    // by another program", "<path>: permission denied (...)"); empty after a
    // successful open. LastFailure holds the same in parts.
    std::string LastError() const { return DescribeOpenFailure(lastFailure_); }
    const OpenFailure& LastFailure() const { return lastFailure_; }

    // The line settings as the next ApplySettings will build them.
    const LineSettings& CurrentLineSettings() const { return line_; }

private:
    // Line settings apply at once while open, which also purges both queues.
    template <typename Value>
    void SetLineField(Value LineSettings::*field, Value value) {
        line_.*field = value;
        ApplySettings();
    }
    // True when it read bytes.
    bool ReadAvailable();
    void SilenceTimer();
    void DeliverBatch();
    // Forgets the bytes read but not handed over, and says so.
    void DropBatch();
    void Hangup();
    void SetModemLine(int line, bool on);

    LineSettings line_;
    TComPortNumber comPort_ = pnCOM2;
    std::uint16_t inBufSize_ = 2048;
    std::uint16_t outBufSize_ = 2048;
    std::uint16_t pollingDelay_ = 50;
    bool enableDtrOnOpen_ = true;
    std::uint16_t outputTimeout_ = 4000;
    TComPortReceiveDataEvent onReceiveData_;
    TComPortReceiveDataEvent onBatchSoFar_;
    TComPortHangupEvent onHangup_;
    DevicePathTable devicePaths_ = DefaultDevicePaths();

    ReadWatchFactory& watches_;
    UniqueFd fd_;
    std::unique_ptr<ReadWatch> watch_;
    // The batch being gathered: bytes read since the last hand-over, at most
    // ComPortInBufSize of them.
    std::vector<std::uint8_t> inputBuffer_;
    std::size_t received_ = 0;
    // Restarted by every read; hands the batch over when the line is quiet.
    std::unique_ptr<Timer> silenceTimer_;
    // Started by the first byte of a batch; hands it over after
    // ComPortPollingDelay even if the line never falls quiet.
    std::unique_ptr<Timer> longestWaitTimer_;
    OpenFailure lastFailure_;
};

}  // namespace tavrel
