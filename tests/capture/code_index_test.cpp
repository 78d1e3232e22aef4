// The index of codes finds what the plain walk finds, however the table and
// the settings change between searches.
#include "capture/code_index.h"

#include <gtest/gtest.h>

#include <random>

#include "capture/comparar.h"
#include "test_doubles.h"

namespace tavrel {
namespace {

using testing::Seq;

// Short codes of close values, so that matches, near misses and one-value
// codes all occur; settings that skip past the copied values included.
TEST(CodeIndex, FindsWhatTheWalkFindsForFinishedAndUnfinishedSequences) {
    std::mt19937 random(7);
    auto code = [&random](int longest) {
        std::vector<std::int32_t> values(random() % static_cast<unsigned>(longest + 1));
        for (auto& v : values) {
            v = static_cast<std::int32_t>(random() % 6);
        }
        return Seq(values);
    };
    CommandTable table;
    CodeIndex index(table);
    SequenceSettings settings;
    for (int round = 0; round < 300; ++round) {
        if (round % 20 == 0) {
            table.clear();
            for (int r = 0; r < 3; ++r) {
                const int remote = table.appendRemote("R");
                for (int c = 0; c < 8; ++c) {
                    table.record(table.appendCommand(remote, "C", c)).Codigo = code(7);
                }
            }
        } else if (round % 7 == 0) {
            // A code learned again in place, as learning reports it.
            table.record(1 + static_cast<int>(random() % 8)).Codigo = code(7);
            table.noteCodeChanged();
        } else if (round % 11 == 0) {
            table.remove(1);
        }
        settings.SkipFirst = static_cast<std::int32_t>(random() % 7) - 1;
        settings.Tolerance = static_cast<std::int32_t>(random() % 3);
        const TSecuencia sequence = code(8);
        const auto full = [&](const TComando& c) { return Comparar(sequence, c.Codigo, settings); };
        EXPECT_EQ(index.findCommand(sequence, settings, full), table.findCommand(full))
            << "round " << round;
        const auto soFar = [&](const TComando& c) {
            return CompararSoFar(sequence, c.Codigo, settings) != Verdict::NoMatch;
        };
        EXPECT_EQ(index.findCommand(sequence, settings, soFar), table.findCommand(soFar))
            << "round " << round;
    }
}

}  // namespace
}  // namespace tavrel
