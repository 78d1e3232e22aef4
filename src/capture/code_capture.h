// Code capture: turns the byte batches of the infrared receiver into code
// sequences, starts recognition, repeats it while a button is held, stores
// learning samples, and sends the receiver its start-up bytes.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "commands/command_table.h"
#include "commands/notifier.h"
#include "commands/secuencia.h"
#include "commands/sequence_settings.h"
#include "platform/receiver_lines.h"
#include "platform/timer.h"

namespace tavrel {

constexpr std::int32_t kMaxMuestras = 5;
constexpr int kTemporizadorInterval = 150;  // ms of silence that end a burst
constexpr int kTimerInterval = 100;         // ms between the start-up bytes
constexpr std::int32_t kProgressMaximum = 256;

class CodeCapture {
public:
    // The table gives the current command (its Typematic flag); settings give
    // ValueSize, read at every batch, and the shortest code length, the
    // recognition threshold. Both must outlive capture. The two timers are
    // created here: Temporizador disabled, Timer enabled.
    CodeCapture(TimerFactory& timers, const CommandTable& table, const SequenceSettings& settings);
    ~CodeCapture();
    CodeCapture(const CodeCapture&) = delete;
    CodeCapture& operator=(const CodeCapture&) = delete;

    // A batch from the serial port driver; the bytes are valid during the call.
    void CommPortReceiveData(const std::uint8_t* data, std::int32_t size);
    // The bytes of a batch the driver is still receiving, all of them so far;
    // valid until capture calls out. When they already settle which command
    // the whole batch is recognised as, recognition starts now rather than
    // when the line falls silent, with exactly the outcome it would have then.
    // Size 0: the batch was dropped and will not come.
    void CommPortBatchSoFar(const std::uint8_t* data, std::int32_t size);
    // Tick of Temporizador: the end of a burst.
    void TemporizadorTimer();
    // Tick of Timer: the start-up handshake with the receiver.
    void TimerTimer();

    // Port activation, after the port opened: waits for a new sequence,
    // raises DTR then RTS, and has 'I' sent 100 ms later and 'R' 100 ms
    // after that.
    void PortActivated();
    // At window creation and at the end of a load: learning off and an empty
    // current sequence.
    void Reset();

    Timer& temporizador() { return *temporizador_; }
    Timer& timer() { return *timer_; }

    // --- the capture state, read by the user interface and the runner
    TSecuencia SecuenciaActual;
    std::int32_t PosEscritura = 1;  // always SecuenciaActual.NumValores + 1
    TSecuencia SecuenciaAnterior;
    bool EsperandoSecuencia = false;
    std::int32_t LotesRepetidos = 0;
    std::int32_t MouseStep = 1;
    bool Aprendiendo = false;
    std::array<TSecuencia, kMaxMuestras> Muestras;  // sample k at index k - 1
    std::int32_t NumMuestras = 0;
    std::string EstadoInicio;  // "", "poweron", "Imandada"

    // --- what capture calls
    std::function<void(const TSecuencia& secuencia)> reconocer;
    // Would recognition pick a command for this sequence, and the same one
    // for every longer sequence that begins with it? Unset: never asked, and
    // every batch waits for the line to fall silent.
    std::function<bool(const TSecuencia& soFar)> outcomeSettled;
    // Where a second press read joined to the batch's first begins (a count
    // of values), or 0 (Recognizer::JoinedPressAt). Unset: never.
    std::function<std::int32_t(const TSecuencia& batch)> joinedPressAt;
    // The receiver's lines, for a receiver that has them (a serial one): the
    // start-up bytes and DTR and RTS go there. Null: nothing is sent.
    ReceiverLines* lines = nullptr;
    // The learning dialog's progress bar, 0..kProgressMaximum.
    std::function<void(std::int32_t value)> showReceivedValue;
    // Raised after a burst ended while learning (stored as a sample or, past
    // the fifth, dropped): the learning dialog shows the samples so far.
    Notifier<> sampleStored;

private:
    // The bytes of a value a batch left unfinished, for the next batch of
    // the same burst.
    struct PartialValue {
        std::uint32_t value = 0;
        std::int32_t bytes = 0;
        std::int32_t valueSize = 0;  // the ValueSize it was assembled for
    };
    // Appends the values of data to sequence, after the bytes carried; what
    // data leaves unfinished comes back.
    static PartialValue AppendValues(TSecuencia& sequence, PartialValue carried,
                                     const std::uint8_t* data, std::int32_t size,
                                     std::int32_t valueSize);
    void ClearCurrent();
    // Holds as many values as the shortest code, outside learning.
    bool LongEnoughToRecognise(const TSecuencia& sequence) const;
    // A press goes to recognition with SecuenciaAnterior, its copy for the
    // repeats; capture then takes the button as held.
    void HandOver();
    // The current sequence as a press: to recognition, and a press read
    // joined to it after it.
    void HandOverCurrent();
    // After the batch's press went to recognition: a press read joined to it
    // starts a burst of its own, and goes to recognition when it can.
    void StartJoinedPress(const TSecuencia& batch, std::int32_t at);
    void SendByte(std::uint8_t byte);
    std::string DescribeBurstEnd() const;

    const CommandTable& table_;
    const SequenceSettings& settings_;
    std::unique_ptr<Timer> temporizador_;
    std::unique_ptr<Timer> timer_;

    PartialValue partial_;
    // This burst's sequence went to recognition (for the trace).
    bool handedOver_ = false;
    // The batch being received went to recognition before it was complete;
    // its ValueSize then, which the rest of it is read with.
    bool recognisedEarly_ = false;
    std::int32_t earlyValueSize_ = 1;
    // The sequence with the bytes of the batch so far; its room is taken once.
    TSecuencia soFar_;
};

}  // namespace tavrel
