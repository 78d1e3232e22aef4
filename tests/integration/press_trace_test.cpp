// The developer trace of presses, from the batch to the action run.
#include <gtest/gtest.h>

#include "pipeline.h"
#include "platform/trace.h"

namespace tavrel::testing {
namespace {

struct RecordingTrace final : Trace {
    std::vector<std::string> lines;
    void line(std::string_view event) override { lines.emplace_back(event); }
};

TEST(PressTrace, EachStepOfAPressAndEachMissIsOneLine) {
    Pipeline p;
    const std::string action = "\xA1SendKeys\xA1NNNNp";
    p.addCommand("Play", {1, 2, 3}, {action});
    RecordingTrace trace;
    const ScopedTrace installed(trace);
    p.receive({1, 2, 3});
    p.clock.advance(150);
    p.receive({9, 2, 30});  // the first value is skipped: the third parts
    p.clock.advance(150);
    p.receive({1});
    p.clock.advance(150);
    EXPECT_EQ(trace.lines,
              (std::vector<std::string>{
                  "batch 3 bytes", "recognised \"TV/Play\"", "action 0 of \"Play\": " + action,
                  "burst ended: 3 values: 1 2 3", "batch 3 bytes",
                  "not recognised; closest \"TV/Play\" differs at value 3 (1E received, 3 learned)",
                  "burst ended: 3 values: 9 2 1E", "batch 1 bytes",
                  "burst ended: 1 values: 1 (too few for recognition: the shortest code has 3)"}));
}

}  // namespace
}  // namespace tavrel::testing
