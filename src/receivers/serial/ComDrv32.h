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
#include "receivers/serial/com_port_types.h"

namespace tavrel {

// The receiver's events with the driver as their sender.
using TComPortReceiveDataEvent = ReceiveDataEvent;
using TComPortHangupEvent = HangupEvent;

class TCommPortDriver final : public Receiver, public ReceiverLines {
public:
    TCommPortDriver(TimerFactory& timers, ReadWatchFactory& watches);
    ~TCommPortDriver() override;

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
    // OnReceiveData, OnBatchSoFar and OnHangup are the receiver's: a batch is
    // what arrived before the line fell silent; a batch so far is raised after
    // every read that leaves one still waiting for the silence.

    // --- where COM1..COM8 live; takes effect at the next open
    void SetDevicePaths(const DevicePathTable& paths) { devicePaths_ = paths; }
    const DevicePathTable& DevicePaths() const { return devicePaths_; }
    const std::string& DevicePath(TComPortNumber port) const { return devicePaths_.at(port); }

    // --- operations
    bool OpenPort() override;  // true when open afterwards; on failure LastError() says why
    void ClosePort() override;
    bool IsOpen() const override { return static_cast<bool>(fd_); }
    void ApplySettings();
    void PurgeBuffers(bool input, bool output);
    std::uint16_t OutputFreeSpace() const;
    // Bytes written; 0 while closed; minus the bytes written when the output
    // stayed full for longer than OutputTimeout or the device failed.
    std::int32_t SendBytes(const void* data, std::int32_t count) override;
    void SetDTR(bool on) override;
    void SetRTS(bool on) override;
    ReceiverLines* Lines() override { return this; }

    // Why the last OpenPort failed ("<path>: no such device", "<path>: in use
    // by another program", "<path>: permission denied (...)"), in parts; kind
    // None after a successful open. LastError() says it in English.
    const OpenFailure& LastFailure() const override { return lastFailure_; }

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
