// A batch recognised while it is still being received does exactly what the
// whole batch would have done once the line fell silent: the same command,
// keys, beeps and selection, and the same state for the presses after it.
#include <gtest/gtest.h>

#include <random>

#include "pipeline.h"

namespace tavrel::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string Values(const TSecuencia& s) {
    std::string text;
    for (std::int32_t i = 0; i < s.NumValores; ++i) {
        text += std::to_string(s.Valores[static_cast<std::size_t>(i)]) + " ";
    }
    return text;
}

// Everything a batch leaves that can be seen or that steers the next one.
std::string Observed(const Pipeline& p) {
    std::string text;
    for (const std::string& event : p.platform.log.events()) {
        text += event + "; ";
    }
    const CodeCapture& c = p.capture;
    return text + "| selected " + std::to_string(p.table.selected()) + " current " +
           (p.table.current() != nullptr ? p.table.current()->Nombre : "none") + " | previous " +
           Values(c.SecuenciaAnterior) + "| now " + Values(c.SecuenciaActual) + "| held " +
           std::to_string(c.LotesRepetidos) + (c.EsperandoSecuencia ? " waiting" : " pressed") +
           " step " + std::to_string(c.MouseStep);
}

TEST(EarlyRecognition, DoesWhatTheWholeBatchWouldHaveDone) {
    std::mt19937 random(2026);
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    // Few byte values, so codes share beginnings and presses often match.
    const auto bytes = [&](int count) {
        Bytes b(static_cast<std::size_t>(count));
        for (auto& x : b) {
            x = static_cast<std::uint8_t>(pick(0, 2));
        }
        return b;
    };
    int early = 0;
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        Pipeline whole;
        Pipeline growing;
        const int valueSize = pick(1, 2);
        const int skipFirst = pick(-1, 2);
        const int tolerance = pick(0, 1);
        std::vector<std::vector<std::int32_t>> codes(static_cast<std::size_t>(pick(1, 5)));
        std::vector<bool> typematic;
        for (auto& code : codes) {
            code.resize(static_cast<std::size_t>(pick(1, 5)));
            for (auto& v : code) {
                v = valueSize == 1 ? pick(0, 2) : pick(0, 2) * 256 + pick(0, 2);
            }
            typematic.push_back(pick(0, 1) == 1);
        }
        for (Pipeline* p : {&whole, &growing}) {
            p->settings.ValueSize = valueSize;
            p->settings.SkipFirst = skipFirst;
            p->settings.Tolerance = tolerance;
            for (std::size_t k = 0; k < codes.size(); ++k) {
                const std::string name(1, static_cast<char>('A' + k));
                p->addCommand(name, codes[k], {"\xA1SendKeys\xA1NNNN" + name}).Typematic =
                    typematic[k];
            }
        }
        for (int batch = 0; batch < 12; ++batch) {
            const Bytes b = bytes(pick(1, 8));
            whole.receive(b);
            const std::size_t before = growing.platform.log.events().size();
            for (int cut = 1; cut < static_cast<int>(b.size()); cut += pick(1, 3)) {
                growing.capture.CommPortBatchSoFar(b.data(), cut);
            }
            growing.capture.CommPortBatchSoFar(b.data(), static_cast<std::int32_t>(b.size()));
            early += growing.platform.log.events().size() > before ? 1 : 0;
            growing.receive(b);
            ASSERT_EQ(Observed(growing), Observed(whole)) << "batch " << batch;
            // Within a hold, or long enough to end the burst.
            const int gap = pick(0, 2) == 0 ? 200 : 110;
            whole.clock.advance(gap);
            growing.clock.advance(gap);
        }
    }
    // Many presses settle early, so the comparison above is about them.
    EXPECT_GT(early, 300);
}

}  // namespace
}  // namespace tavrel::testing
