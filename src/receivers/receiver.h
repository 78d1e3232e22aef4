// A receiver is whatever hands code capture its batches: a serial receiver on
// a tty, a kernel receiver (/dev/lircN), the LIRC daemon's socket. Each kind
// delivers one batch per burst or infrared frame through the same events, so
// capture, learning, recognition and typematic repeats are the same for all.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/receiver_lines.h"

namespace tavrel {

// Why an open failed, in parts, so the window can say it in the user's language.
struct OpenFailure {
    enum Kind {
        None,
        NoDevice,          // no such device file or socket
        InUse,             // another program holds it
        NotSerial,         // a serial kind's path is no serial line
        PermissionDenied,  // group: who may use it
        Other,             // systemText: the system's words
        // The settings name no port of COM1..COM8 (the program finds that out
        // before it asks a receiver).
        NoPortSelected,
        // A kernel receiver with no protocol decoder enabled: it would deliver
        // nothing in scancode mode. systemText names its remote-control
        // device ("rc0"), when known.
        NoDecoder,
        // A kernel receiver's input event device could not be taken for
        // Tavrel alone, so its keys would reach the desktop as well.
        // systemText: that device and the system's words.
        NotGrabbed,
        // A kernel receiver's path is no LIRC device, or one that cannot
        // receive.
        NotReceiver,
        // Raw timings asked of a kernel receiver that decodes in hardware.
        NoRawTimings,
        // Nothing answers at the daemon's socket or address.
        DaemonNotRunning,
        // A daemon address that is neither a path nor HOST:PORT.
        BadAddress,
    };
    Kind kind = None;
    std::string path;        // the device file, the socket, or HOST:PORT; UTF-8
    std::string group;       // PermissionDenied: a group that may read and write it, if any
    std::string systemText;  // Other, NotGrabbed: the system's words; NoDecoder: see there
    // PermissionDenied: the name of the user who asked, for the command that
    // adds it to the group; "$USER" when empty.
    std::string user{};
};

// A text in the user's language for an English text and its translation key.
using FailureWords = std::function<std::string(const char* english, const char* key)>;
// "<path>: no such device" and so on: in English, or in the words given.
std::string DescribeOpenFailure(const OpenFailure& failure, const FailureWords& words = {});

class Receiver;

// The bytes are valid only during the call; size is at least 1 (but see
// OnBatchSoFar).
using ReceiveDataEvent =
    std::function<void(Receiver& sender, const std::uint8_t* data, std::int32_t size)>;
// Raised once the receiver has closed itself because its device or daemon
// went away; the other events of a receiver without data take this form too.
using HangupEvent = std::function<void(Receiver& sender)>;

class Receiver {
public:
    virtual ~Receiver() = default;
    Receiver(const Receiver&) = delete;
    Receiver& operator=(const Receiver&) = delete;

    // True when open afterwards, also when it was open already; on failure
    // LastFailure() says why. A kind that must wait on a peer (the daemon
    // over the network) returns false with Opening() true instead, and
    // raises OnOpenEnded once the open has ended either way; asking again
    // meanwhile starts nothing new.
    virtual bool OpenPort() = 0;
    virtual bool Opening() const { return false; }
    virtual void ClosePort() = 0;
    virtual bool IsOpen() const = 0;
    // Kind None after a successful open.
    virtual const OpenFailure& LastFailure() const = 0;
    std::string LastError() const { return DescribeOpenFailure(LastFailure()); }

    // The bytes and modem lines toward the receiver, for a kind that has them
    // (serial); nullptr for every other kind.
    virtual ReceiverLines* Lines() { return nullptr; }

    // One batch: a serial burst, one infrared frame.
    const ReceiveDataEvent& OnReceiveData() const { return onReceiveData_; }
    void SetOnReceiveData(ReceiveDataEvent handler) { onReceiveData_ = std::move(handler); }
    // Raised while a batch is still arriving, with all its bytes so far; valid
    // until the handler returns or runs the message loop. The batch itself
    // still follows, unless a close or a purge drops it: that is raised with
    // size 0. Kinds whose batches arrive whole never raise it.
    const ReceiveDataEvent& OnBatchSoFar() const { return onBatchSoFar_; }
    void SetOnBatchSoFar(ReceiveDataEvent handler) { onBatchSoFar_ = std::move(handler); }
    const HangupEvent& OnHangup() const { return onHangup_; }
    void SetOnHangup(HangupEvent handler) { onHangup_ = std::move(handler); }
    // An open under way has ended: IsOpen(), or LastFailure() says why not.
    // Never raised for an attempt that ClosePort gave up.
    void SetOnOpenEnded(HangupEvent handler) { onOpenEnded_ = std::move(handler); }
    // Closed after a hang-up, the receiver sees signs that its device or
    // daemon is back (the daemon's socket appeared): an open is worth trying
    // at once.
    void SetOnBack(HangupEvent handler) { onBack_ = std::move(handler); }

protected:
    Receiver() = default;

    ReceiveDataEvent onReceiveData_;
    ReceiveDataEvent onBatchSoFar_;
    HangupEvent onHangup_;
    HangupEvent onOpenEnded_;
    HangupEvent onBack_;
};

// The kinds a [Ports] COMn= value can name.
enum class ReceiverKind {
    Serial,          // a tty
    KernelScancode,  // /dev/lircN: the kernel's decoded frames
    KernelRaw,       // /dev/lircN:raw: pulse and space timings
    Daemon,          // lircd:PATH or lircd:HOST[:PORT]
};

inline constexpr const char* kLircdDefaultSocket = "/run/lirc/lircd";
inline constexpr std::uint16_t kLircdDefaultPort = 8765;

// What a COMn= value names. path: the tty, the /dev/lircN (without ":raw"),
// or the daemon's socket; host and port: a daemon over TCP (path empty).
// port 0 with kind Daemon and no path: the address cannot be read.
struct ReceiverChoice {
    ReceiverKind kind = ReceiverKind::Serial;
    std::string path;
    std::string host;
    std::uint16_t port = 0;
    // A daemon over TCP: the address as typed after "lircd:", which every
    // message names (also one that cannot be read). Not part of the choice.
    std::string typed{};

    bool operator==(const ReceiverChoice& other) const {
        return kind == other.kind && path == other.path && host == other.host && port == other.port;
    }
};

// "/dev/ttyUSB0" serial; "/dev/lirc0" kernel, decoded; "/dev/lirc0:raw"
// kernel, raw; "lircd:" the daemon's default socket; "lircd:/run/x" another
// socket; "lircd:host", "lircd:host:8765", "lircd:[::1]:8765" over TCP.
ReceiverChoice ChooseReceiver(const std::string& value);

}  // namespace tavrel
