// From received bytes to desktop events: capture hands a press to recognition,
// recognition to the runner, the runner to the keystroke sender and the platform.
#include <gtest/gtest.h>

#include <algorithm>

#include "pipeline.h"

namespace tavrel::testing {
namespace {

const std::string kMarker = "\xA1";
const std::vector<std::uint8_t> kPlayBurst = {0x10, 0x20, 0x30, 0x10, 0x20, 0x30};

std::vector<std::string> Without(const std::vector<std::string>& events, const std::string& what) {
    std::vector<std::string> kept;
    std::copy_if(events.begin(), events.end(), std::back_inserter(kept),
                 [&](const std::string& e) { return e.rfind(what, 0) != 0; });
    return kept;
}

// A run-all-at-once command that types 'a', then 'b' after the delay.
void AddDelayedMacro(Pipeline& p, std::int32_t seconds) {
    TComando& c = p.addCommand(
        "Macro", {7, 7, 7},
        {kMarker + "SendKeys" + kMarker + "NNNNa", kMarker + "SendKeys" + kMarker + "NNNNb"});
    c.DeVez = true;
    c.Retraso = seconds;
}

TEST(PressToAction, ARecognisedPressTypesItsKeyOnceAndBeeps) {
    Pipeline p;
    p.addCommand("Play", {0x10, 0x20, 0x30, 0x10, 0x20, 0x30},
                 {kMarker + "SendKeys" + kMarker + "NNNNp"});
    p.receive({0x10, 0x20, 0x30});
    EXPECT_TRUE(p.platform.log.events().empty());
    p.receive({0x10, 0x20, 0x30});
    EXPECT_EQ(p.platform.log.events(), (std::vector<std::string>{"Beep()", "keybd_event(80, 25, 0)",
                                                                 "keybd_event(80, 25, 2)"}));
    EXPECT_EQ(p.table.selected(), 1);
    EXPECT_EQ(p.table.current(), &p.table.record(1));
}

TEST(PressToAction, AHeldButtonMovesThePointerFartherOnEveryRepeat) {
    Pipeline p;
    p.addCommand("Up", {1, 2, 3}, {kMarker + "RatonClick" + kMarker + "NCursorUN"});
    p.receive({1, 2, 3});
    for (int batch = 0; batch < 6; ++batch) {
        p.clock.advance(110);
        p.receive({1, 2, 3});
    }
    p.clock.advance(150);
    const auto moves = Without(p.platform.log.events(), "Beep");
    // The first press, then repeats from the fifth batch of the hold with steps 2 and 3.
    EXPECT_EQ(moves, (std::vector<std::string>{"mouse_event(1, 0, -1)", "mouse_event(1, 0, -2)",
                                               "mouse_event(1, 0, -3)"}));
    p.platform.log.clear();
    p.receive({1, 2, 3});
    EXPECT_EQ(Without(p.platform.log.events(), "Beep"),
              (std::vector<std::string>{"mouse_event(1, 0, -1)"}));
}

TEST(PressToAction, InEditingModeAPressOnlySelectsItsCommand) {
    Pipeline p;
    p.mode.setEditMode(true);
    TComando& play =
        p.addCommand("Play", {0x10, 0x20, 0x30}, {kMarker + "SendKeys" + kMarker + "NNNNp"});
    p.receive({0x10, 0x20, 0x30});
    EXPECT_EQ(p.platform.log.events(), (std::vector<std::string>{"Beep()"}));
    EXPECT_EQ(p.shown, &play);
}

TEST(PressToAction, ARunAllAtOnceCommandWithADelaySpreadsItsActionsOverTheClock) {
    Pipeline p;
    AddDelayedMacro(p, 2);
    p.receive({7, 7, 7});
    EXPECT_EQ(Without(p.platform.log.events(), "Beep").size(), 2u);  // 'a' down and up
    p.clock.advance(1999);
    EXPECT_EQ(Without(p.platform.log.events(), "Beep").size(), 2u);
    p.clock.advance(1);
    EXPECT_EQ(Without(p.platform.log.events(), "Beep").size(), 4u);
    EXPECT_FALSE(p.runner.TimerDelay().enabled());
}

TEST(PressToAction, DeletingTheCommandStopsItsDelayedRun) {
    Pipeline p;
    AddDelayedMacro(p, 1);
    p.receive({7, 7, 7});
    p.table.remove(1);
    p.platform.log.clear();
    p.clock.advance(5000);
    EXPECT_TRUE(p.platform.log.events().empty());
    EXPECT_FALSE(p.runner.TimerDelay().enabled());
}

}  // namespace
}  // namespace tavrel::testing
