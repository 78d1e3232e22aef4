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
    // The driver's SendBytes; does nothing while the port is closed.
    std::function<std::int32_t(const std::uint8_t* data, std::int32_t size)> sendBytes;
    std::function<void(bool on)> setDTR;
    std::function<void(bool on)> setRTS;
    // The learning dialog's progress bar, 0..kProgressMaximum.
    std::function<void(std::int32_t value)> showReceivedValue;
    // Raised after a burst ended while learning (stored as a sample or, past
    // the fifth, dropped): the learning dialog shows the samples so far.
    Notifier<> sampleStored;

private:
    void Append(std::int32_t value);
    void ClearCurrent();
    void SendByte(std::uint8_t byte);
    std::string DescribeBurstEnd() const;

    const CommandTable& table_;
    const SequenceSettings& settings_;
    std::unique_ptr<Timer> temporizador_;
    std::unique_ptr<Timer> timer_;

    // Bytes of a value that a batch left unfinished, kept for the next batch
    // of the same burst.
    std::uint32_t partial_ = 0;
    std::int32_t partialBytes_ = 0;
    std::int32_t partialValueSize_ = 0;
    // This burst's sequence went to recognition (for the trace).
    bool handedOver_ = false;
};

}  // namespace tavrel
