// Code capture fed arbitrary batches (each shown in part first, as the driver
// does, and some then dropped), silences, port activations and settings: no fault, and every
// sequence handed to recognition fits.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

#include "capture/code_capture.h"
#include "platform/fake/virtual_clock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace tavrel;
    FuzzedDataProvider data(bytes, size);
    VirtualClock clock;
    CommandTable table;
    SequenceSettings settings;
    settings.ValueSize = data.ConsumeIntegral<std::int32_t>();
    settings.Tolerance = data.ConsumeIntegral<std::int32_t>();
    settings.SkipFirst = data.ConsumeIntegral<std::int32_t>();
    settings.ShortestCodeLength = data.ConsumeIntegral<std::int32_t>();
    CodeCapture capture(clock, table, settings);
    const auto fits = [](const TSecuencia& s) {
        if (s.NumValores < 0 || s.NumValores > kMaxValores) {
            std::abort();
        }
    };
    capture.reconocer = fits;
    // Whether a batch's beginning settles its recognition, as the input says.
    bool settles = false;
    capture.outcomeSettled = [&](const TSecuencia& s) {
        fits(s);
        return settles;
    };
    capture.showReceivedValue = [](std::int32_t) {};
    while (data.remaining_bytes() > 0) {
        switch (data.ConsumeIntegralInRange(0, 6)) {
            case 0:
                capture.PortActivated();
                break;
            case 1:
                capture.Aprendiendo = !capture.Aprendiendo;
                break;
            case 2:
                capture.Reset();
                break;
            case 3:
                settings.ValueSize = data.ConsumeIntegral<std::int32_t>();
                break;
            case 4:
                clock.advance(data.ConsumeIntegralInRange(0, 400));
                break;
            default: {
                const auto batch =
                    data.ConsumeBytes<std::uint8_t>(data.ConsumeIntegralInRange(0, 600));
                // The driver shows a batch's beginning before handing it over.
                settles = data.ConsumeBool();
                const auto soFar = data.ConsumeIntegralInRange<std::size_t>(0, batch.size());
                if (soFar > 0) {
                    capture.CommPortBatchSoFar(batch.data(), static_cast<std::int32_t>(soFar));
                }
                if (data.ConsumeBool()) {
                    capture.CommPortBatchSoFar(batch.data(), 0);  // dropped by a close
                    break;
                }
                capture.CommPortReceiveData(batch.data(), static_cast<std::int32_t>(batch.size()));
            }
        }
        if (capture.PosEscritura != capture.SecuenciaActual.NumValores + 1) {
            std::abort();
        }
    }
    return 0;
}
