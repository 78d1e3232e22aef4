// The Tolerance that raw timings need, measured: buttons learned from three
// frames and received again, every duration moved by up to +-10 %, against
// buttons one bit apart. Prints the range that works.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

#include "capture/comparar.h"
#include "capture/learning.h"
#include "ir_signals.h"
#include "receivers/lirc_device/lirc_frames.h"

namespace tavrel {
namespace {

using testing::Durations;

TSecuencia RawValues(const Durations& frame) {
    TSecuencia s;
    for (const std::uint32_t us : frame) {
        s.Valores[static_cast<std::size_t>(s.NumValores++)] = DurationValue(us);
    }
    return s;
}

// The largest difference between a and b at the positions Comparar looks at.
std::int32_t LargestDifference(const TSecuencia& a, const TSecuencia& b, std::int32_t skipFirst) {
    std::int32_t largest = 0;
    for (std::int32_t i = skipFirst; i < std::min(a.NumValores, b.NumValores); ++i) {
        const auto at = static_cast<std::size_t>(i);
        largest = std::max(largest, std::abs(a.Valores[at] - b.Valores[at]));
    }
    return largest;
}

struct Button {
    const char* name;
    Durations nominal;
    Durations oneBitApart;
};

TEST(RawTolerance, LearnsAndRecognisesUnderJitterAndTellsOneBitApart) {
    constexpr double kJitter = 0.10;
    constexpr int kTrials = 300;
    const Button buttons[] = {
        {"NEC", testing::NecFrame(0x04, 0x08), testing::NecFrame(0x04, 0x09)},
        {"RC5", testing::Rc5Frame(5, 0x35, false), testing::Rc5Frame(5, 0x34, false)},
        {"RC6-MCE", testing::Rc6MceFrame(0x040D, false), testing::Rc6MceFrame(0x040C, false)},
    };
    SequenceSettings settings;
    settings.Tolerance = kRawModeTolerance;
    std::mt19937 random(20240517);
    for (const Button& button : buttons) {
        std::int32_t needed = 0;   // to match the same button every time
        std::int32_t apart = 255;  // the least by which the other button differed
        for (int trial = 0; trial < kTrials; ++trial) {
            std::array<TSecuencia, kMaxMuestras> samples;
            for (int k = 0; k < 3; ++k) {
                samples[static_cast<std::size_t>(k)] =
                    RawValues(testing::Jittered(button.nominal, kJitter, random));
            }
            CommandTable table;
            TComando& command = table.record(table.appendCommand(table.appendRemote("R"), "B", 2));
            std::int32_t shortest = kShortestCodeLengthAtStart;
            const LearningResult learned =
                EvaluateLearning(command, samples, 3, settings, table, shortest);
            ASSERT_EQ(learned.outcome, LearningOutcome::Agrees) << button.name;
            const TSecuencia same = RawValues(testing::Jittered(button.nominal, kJitter, random));
            const TSecuencia other =
                RawValues(testing::Jittered(button.oneBitApart, kJitter, random));
            EXPECT_TRUE(Comparar(same, command.Codigo, settings)) << button.name;
            EXPECT_FALSE(Comparar(other, command.Codigo, settings)) << button.name;
            for (int k = 0; k < 3; ++k) {
                needed = std::max(needed, LargestDifference(samples[static_cast<std::size_t>(k)],
                                                            command.Codigo, settings.SkipFirst));
            }
            needed = std::max(needed, LargestDifference(same, command.Codigo, settings.SkipFirst));
            apart = std::min(apart, LargestDifference(other, command.Codigo, settings.SkipFirst));
        }
        std::printf("raw %s: Tolerance %d to %d works at +-%.0f %% jitter\n", button.name, needed,
                    apart - 1, kJitter * 100);
        EXPECT_LE(needed, kRawModeTolerance) << button.name;
        EXPECT_GT(apart, kRawModeTolerance) << button.name;
    }
}

}  // namespace
}  // namespace tavrel
