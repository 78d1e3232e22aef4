// The receiving road, put together once for the program, the integration
// tests and the benchmarks: a receiver hands its batches to code capture,
// capture hands sequences to recognition, recognition hands commands to the
// runner (or to whatever stands around it).
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "actions/action_runner.h"
#include "capture/code_capture.h"
#include "capture/recognizer.h"
#include "commands/command_runner.h"
#include "commands/notifier.h"
#include "platform/file_system.h"
#include "platform/read_watch.h"
#include "platform/sound.h"
#include "platform/timer.h"
#include "receivers/receiver.h"
#include "receivers/serial/ComDrv32.h"

namespace tavrel {

// What the road is built from; everything referenced must outlive it.
struct RoadParts {
    TimerFactory& timers;
    ReadWatchFactory& watches;
    CommandTable& table;
    SequenceSettings& settings;
    const ProgramState& mode;
    Sound& sound;
    // Where recognition writes the log lines.
    FileSystem& files;
    // Its pointer step follows capture's MouseStep.
    ActionRunner& runner;
    // What recognition hands a command to: the runner, or one around it.
    CommandRunner& dispatch;
    RecognitionHost& host;
};

class ReceivingRoad {
public:
    explicit ReceivingRoad(const RoadParts& parts);
    ~ReceivingRoad();
    ReceivingRoad(const ReceivingRoad&) = delete;
    ReceivingRoad& operator=(const ReceivingRoad&) = delete;

    CodeCapture& capture() { return capture_; }
    const CodeCapture& capture() const { return capture_; }
    Recognizer& recognizer() { return recognizer_; }
    // The receiver in use: the serial one until another kind is chosen.
    Receiver& receiver() const { return *current_; }
    // The serial receiver, which keeps its COM ports' devices and line
    // settings while another kind is in use.
    TCommPortDriver& serial() { return serial_; }
    const TCommPortDriver& serial() const { return serial_; }

    // Puts the kind a [Ports] value names in use: the serial receiver, or a
    // new receiver of another kind (the one in use stays when the value names
    // it again). Nothing changes while the receiver in use is open.
    void choose(const std::string& value);
    // Puts a receiver of the caller's in use (a test's), on the same terms.
    void choose(std::unique_ptr<Receiver> receiver);

    // After the receiver in use opened: capture waits for a new press; a
    // receiver with lines gets DTR, RTS and its start-up bytes.
    void receiverOpened() { capture_.PortActivated(); }

    // The receiver in use closed itself: its device or daemon went away.
    Notifier<> hungUp;
    // An open of the receiver in use that was under way has ended.
    Notifier<> openEnded;
    // The receiver that hung up sees its device or daemon back.
    Notifier<> back;

private:
    void connect(Receiver& receiver);
    void use(Receiver& receiver);
    void install(std::unique_ptr<Receiver> receiver, std::optional<ReceiverChoice> choice);

    CodeCapture capture_;
    Recognizer recognizer_;
    TimerFactory& timers_;
    ReadWatchFactory& watches_;
    // Last, so they go before capture: a closing receiver may still drop a
    // batch that capture hears of.
    TCommPortDriver serial_;
    std::unique_ptr<Receiver> other_;
    // What other_ was made for; none for a receiver of the caller's.
    std::optional<ReceiverChoice> otherChoice_;
    Receiver* current_ = &serial_;
};

}  // namespace tavrel
