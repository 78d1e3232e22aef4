// Code capture: batches to sequences, bursts, held buttons, learning samples
// and the receiver's start-up handshake.
#include "capture/code_capture.h"

#include <utility>

#include "capture/capture_trace.h"
#include "platform/trace.h"

namespace tavrel {

namespace {

constexpr const char* kPowerOn = "poweron";
constexpr const char* kIMandada = "Imandada";

// Re-arms the end-of-burst timer when a batch is done, also when recognition
// (or what it runs) leaves by an exception.
class RearmOnExit {
public:
    explicit RearmOnExit(Timer& timer) : timer_(timer) {}
    ~RearmOnExit() { timer_.setEnabled(true); }
    RearmOnExit(const RearmOnExit&) = delete;
    RearmOnExit& operator=(const RearmOnExit&) = delete;

private:
    Timer& timer_;
};

}  // namespace

CodeCapture::CodeCapture(TimerFactory& timers, const CommandTable& table,
                         const SequenceSettings& settings)
    : table_(table),
      settings_(settings),
      temporizador_(timers.createTimer()),
      timer_(timers.createTimer()) {
    // The sequence being received is refilled by every burst: its room is
    // taken once, so no batch has to allocate.
    SecuenciaActual.Valores.reserve(kMaxValores);
    soFar_.Valores.reserve(kMaxValores);
    temporizador_->setInterval(kTemporizadorInterval);
    temporizador_->setEnabled(false);
    temporizador_->setTickHandler([this] { TemporizadorTimer(); });
    timer_->setInterval(kTimerInterval);
    timer_->setTickHandler([this] { TimerTimer(); });
    timer_->setEnabled(true);
}

CodeCapture::~CodeCapture() = default;

CodeCapture::PartialValue CodeCapture::AppendValues(TSecuencia& sequence, PartialValue carried,
                                                    const std::uint8_t* data, std::int32_t size,
                                                    std::int32_t valueSize) {
    if (carried.valueSize != valueSize) {
        carried = {};  // assembled for another size: meaningless now
    }
    std::uint32_t value = carried.value;
    std::int32_t bytes = carried.bytes;
    for (std::int32_t i = 0; i < size; ++i) {
        value = value * 256U + data[i];
        if (++bytes < valueSize) {
            continue;
        }
        // A burst longer than a sequence keeps its first kMaxValores values;
        // the rest is dropped, and the burst still ends normally.
        if (sequence.NumValores >= 0 && sequence.NumValores < kMaxValores) {
            sequence.Valores[static_cast<std::size_t>(sequence.NumValores)] =
                static_cast<std::int32_t>(value);
            ++sequence.NumValores;
        }
        value = 0;
        bytes = 0;
    }
    return {value, bytes, valueSize};
}

void CodeCapture::ClearCurrent() {
    PosEscritura = 1;
    SecuenciaActual.NumValores = 0;
}

void CodeCapture::CommPortBatchSoFar(const std::uint8_t* data, std::int32_t size) {
    if (size <= 0) {
        // The batch was dropped before it was handed over: a press already
        // recognised from it is over, and its burst ends as any other.
        if (std::exchange(recognisedEarly_, false)) {
            ClearCurrent();
            partial_ = {};
            temporizador_->setEnabled(true);
        }
        return;
    }
    if (!EsperandoSecuencia || Aprendiendo || recognisedEarly_ || !outcomeSettled) {
        return;
    }
    const std::int32_t valueSize = UsableValueSize(settings_.ValueSize);
    soFar_ = SecuenciaActual;
    AppendValues(soFar_, partial_, data, size, valueSize);
    if (!LongEnoughToRecognise(soFar_) || !outcomeSettled(soFar_)) {
        return;
    }
    TraceEvent([&] {
        return "batch so far " + std::to_string(size) +
               " bytes: recognised before the line fell silent";
    });
    // What the whole batch would do, done now; the batch itself, once the
    // line falls silent, only completes the copy kept for the repeats. The
    // end of the burst waits for it.
    temporizador_->setEnabled(false);
    recognisedEarly_ = true;
    earlyValueSize_ = valueSize;
    SecuenciaAnterior = soFar_;
    HandOver();
}

void CodeCapture::CommPortReceiveData(const std::uint8_t* data, std::int32_t size) {
    temporizador_->setEnabled(false);
    const RearmOnExit rearm(*temporizador_);
    TraceEvent([&] { return "batch " + std::to_string(size) + " bytes"; });

    const bool early = std::exchange(recognisedEarly_, false);
    const std::int32_t valueSize = early ? earlyValueSize_ : UsableValueSize(settings_.ValueSize);
    partial_ = AppendValues(SecuenciaActual, partial_, data, size, valueSize);
    PosEscritura = SecuenciaActual.NumValores + 1;
    if (early) {
        // Recognised while it was being received: the batch is the press
        // itself, not a batch of the hold.
        SecuenciaAnterior = SecuenciaActual;
        ClearCurrent();
        StartJoinedPress(SecuenciaAnterior, joinedPressAt ? joinedPressAt(SecuenciaAnterior) : 0);
        return;
    }

    if (!EsperandoSecuencia) {
        // A recognised button is held: the batch only counts.
        ++LotesRepetidos;
        ClearCurrent();
        const TComando* current = table_.current();
        if (LotesRepetidos >= 5 && current != nullptr && current->Typematic) {
            ++MouseStep;
            if (reconocer) {
                reconocer(SecuenciaAnterior);
            }
        }
    }

    if (LongEnoughToRecognise(SecuenciaActual)) {
        HandOverCurrent();
    }
}

void CodeCapture::HandOverCurrent() {
    SecuenciaAnterior = SecuenciaActual;
    ClearCurrent();
    // Found before the hand-over: what recognition runs may read more.
    const TSecuencia batch = SecuenciaAnterior;
    const std::int32_t joined = joinedPressAt ? joinedPressAt(batch) : 0;
    HandOver();
    StartJoinedPress(batch, joined);
}

void CodeCapture::StartJoinedPress(const TSecuencia& batch, std::int32_t at) {
    if (at <= 0 || at >= batch.NumValores) {
        return;
    }
    TraceEvent([&] {
        return "batch: a press of its own from value " + std::to_string(at + 1) +
               ", read joined to the one before";
    });
    ClearCurrent();
    for (std::int32_t i = at; i < batch.NumValores; ++i) {
        SecuenciaActual.Valores[static_cast<std::size_t>(i - at)] =
            batch.Valores[static_cast<std::size_t>(i)];
    }
    SecuenciaActual.NumValores = batch.NumValores - at;
    PosEscritura = SecuenciaActual.NumValores + 1;
    EsperandoSecuencia = true;
    LotesRepetidos = 0;
    if (LongEnoughToRecognise(SecuenciaActual)) {
        HandOverCurrent();  // and a third press, read with both
    }
}

bool CodeCapture::LongEnoughToRecognise(const TSecuencia& sequence) const {
    return sequence.NumValores > 0 && sequence.NumValores >= settings_.ShortestCodeLength &&
           !Aprendiendo;
}

void CodeCapture::HandOver() {
    // The copy and the resets come before the hand-over: recognition then
    // reads a sequence that nothing else writes, a batch that arrives while
    // the actions run already counts as part of the hold, and a failing
    // recognition cannot skip them.
    MouseStep = 1;
    EsperandoSecuencia = false;
    handedOver_ = true;
    if (reconocer) {
        reconocer(SecuenciaAnterior);
    }
}

void CodeCapture::TemporizadorTimer() {
    temporizador_->setEnabled(false);
    TraceEvent([&] { return DescribeBurstEnd(); });
    handedOver_ = false;
    if (Aprendiendo) {
        std::int32_t shown = 0;
        for (std::int32_t i = 0; i < SecuenciaActual.NumValores; ++i) {
            std::int32_t v = SecuenciaActual.Valores[static_cast<std::size_t>(i)];
            if (v >= 256) {
                v %= 256;
            }
            if (v != 0) {
                shown = v;
            }
        }
        // The bar ends on the last non-zero value; a negative one shows as
        // the bar's minimum.
        if (shown != 0 && showReceivedValue) {
            showReceivedValue(std::clamp<std::int32_t>(shown, 0, kProgressMaximum));
        }
        NumMuestras = std::max<std::int32_t>(NumMuestras, 0) + 1;
        if (NumMuestras > kMaxMuestras) {
            NumMuestras = kMaxMuestras;
        } else {
            Muestras[static_cast<std::size_t>(NumMuestras - 1)] = SecuenciaActual;
        }
        sampleStored.notify();
    }
    ClearCurrent();
    partial_ = {};
    EsperandoSecuencia = true;
    LotesRepetidos = 0;
}

std::string CodeCapture::DescribeBurstEnd() const {
    const TSecuencia& burst = handedOver_ ? SecuenciaAnterior : SecuenciaActual;
    std::string text = "burst ended: " + std::to_string(burst.NumValores) + " values";
    if (burst.NumValores > 0) {
        text += ": " + TraceValues(burst);
    }
    if (Aprendiendo) {
        text += " (a learning sample)";
    } else if (!handedOver_) {
        text += " (too few for recognition: the shortest code has " +
                std::to_string(settings_.ShortestCodeLength) + ")";
    }
    return text;
}

void CodeCapture::SendByte(std::uint8_t byte) {
    if (lines != nullptr) {
        lines->SendBytes(&byte, 1);
    }
}

void CodeCapture::TimerTimer() {
    timer_->setEnabled(false);
    if (EstadoInicio == kIMandada) {
        SendByte('R');
    } else if (EstadoInicio == kPowerOn) {
        EstadoInicio = kIMandada;
        timer_->setEnabled(true);
        SendByte('I');
    }
}

void CodeCapture::PortActivated() {
    EsperandoSecuencia = true;
    LotesRepetidos = 0;
    if (lines != nullptr) {
        lines->SetDTR(true);
        lines->SetRTS(true);
    }
    EstadoInicio = kPowerOn;
    // A fresh period even when Timer still runs from its creation or from an
    // earlier activation, so 'I' always comes a full 100 ms after this one.
    timer_->setEnabled(false);
    timer_->setEnabled(true);
}

void CodeCapture::Reset() {
    Aprendiendo = false;
    ClearCurrent();
    partial_ = {};
}

}  // namespace tavrel
