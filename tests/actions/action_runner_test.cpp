// The action runner on the recording fake and the virtual clock.
#include "actions/action_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "actions/action_string.h"
#include "key_events.h"
#include "platform/fake/fake_platform.h"
#include "platform/fake/virtual_clock.h"
#include "platform/trace.h"

namespace tavrel {
namespace {

using test::Down;
using test::Mouse;
using test::Up;
using Events = std::vector<std::string>;

std::string Program(const std::string& name) {
    return MakeRunProgramAction(name);
}
std::string Text(const std::string& text, bool alt = false, bool ctrl = false, bool shift = false) {
    return MakeTapKeyAction(alt, ctrl, shift, true, text);
}
std::string Named(const std::string& index, bool alt = false, bool ctrl = false,
                  bool shift = false) {
    return MakeTapKeyAction(alt, ctrl, shift, false, index);
}

class ActionRunnerTest : public ::testing::Test {
protected:
    ActionRunnerTest() { remote = table.appendRemote("TV"); }

    TComando& command(const std::vector<std::string>& actions) {
        const int pos = table.appendCommand(remote, "cmd" + std::to_string(table.count()), 1);
        TComando& c = table.record(pos);
        for (std::size_t i = 0; i < actions.size(); ++i) {
            WriteAction(*c.Acciones, static_cast<int>(i), actions[i]);
        }
        c.Loop = static_cast<std::int32_t>(actions.size());
        return c;
    }

    // Recognition makes the command current before handing it over.
    Events press(TComando& c) {
        fake.log.clear();
        table.setCurrent(&c);
        runner.RunCommandActions(c);
        return fake.log.events();
    }

    Events advance(std::int64_t ms) {
        fake.log.clear();
        clock.advance(ms);
        return fake.log.events();
    }

    FakePlatform fake;
    VirtualClock clock;
    CommandTable table;
    TSendKeys sendKeys{fake.input, fake.desktop};
    ProgramState mode;
    ActionRunner runner{fake.input, fake.desktop, fake.processes, sendKeys, table, mode, clock};
    int remote = 0;
};

// --- choosing the action and advancing

TEST_F(ActionRunnerTest, OnePressRunsOneActionAndCycles) {
    TComando& c = command({Program("p0"), Program("p1"), Program("p2")});
    std::vector<std::int32_t> loopActual;
    Events all;
    for (int i = 0; i < 4; ++i) {
        for (const auto& e : press(c)) {
            all.push_back(e);
        }
        loopActual.push_back(c.LoopActual);
    }
    EXPECT_EQ(all, (Events{"Start(p0)", "Start(p1)", "Start(p2)", "Start(p0)"}));
    EXPECT_EQ(loopActual, (std::vector<std::int32_t>{1, 2, 0, 1}));
}

TEST_F(ActionRunnerTest, RunAllAtOnceWithoutDelayRunsTheWholeList) {
    TComando& c = command({Program("p0"), Program("p1"), Program("p2")});
    c.DeVez = true;
    c.LoopActual = 2;
    EXPECT_EQ(press(c), (Events{"Start(p0)", "Start(p1)", "Start(p2)"}));
    EXPECT_EQ(c.LoopActual, 0);
    EXPECT_FALSE(runner.TimerDelay().enabled());

    EXPECT_FALSE(runner.RunNextAction(c));
    EXPECT_FALSE(runner.RunNextAction(c));
    EXPECT_TRUE(runner.RunNextAction(c));
}

TEST_F(ActionRunnerTest, RunAllAtOnceWithDelaySpacesActionsOnTheTimer) {
    TComando& c = command({Program("p0"), Program("p1"), Program("p2")});
    c.DeVez = true;
    c.Retraso = 2;
    EXPECT_EQ(press(c), Events{"Start(p0)"});
    EXPECT_TRUE(runner.TimerDelay().enabled());
    EXPECT_EQ(runner.TimerDelay().interval(), 2000);
    EXPECT_EQ(advance(1999), Events{});
    EXPECT_EQ(advance(1), Events{"Start(p1)"});
    EXPECT_EQ(advance(2000), Events{"Start(p2)"});
    EXPECT_FALSE(runner.TimerDelay().enabled());
    EXPECT_EQ(advance(10000), Events{});
    EXPECT_EQ(c.LoopActual, 0);

    // A second press during the run starts it again, the delay counted anew.
    EXPECT_EQ(press(c), Events{"Start(p0)"});
    EXPECT_EQ(advance(3000), Events{"Start(p1)"});
    EXPECT_EQ(press(c), Events{"Start(p0)"});
    EXPECT_EQ(advance(1000), Events{});
    EXPECT_EQ(advance(1000), Events{"Start(p1)"});
    EXPECT_EQ(advance(2000), Events{"Start(p2)"});
    EXPECT_FALSE(runner.TimerDelay().enabled());
}

TEST_F(ActionRunnerTest, DelayedRunStopsWhenItsRecordGoesAway) {
    TComando& c = command({Program("p0"), Program("p1"), Program("p2")});
    c.DeVez = true;
    c.Retraso = 1;
    press(c);
    table.remove(table.positionOf(&c));
    EXPECT_EQ(advance(5000), Events{});
    EXPECT_FALSE(runner.TimerDelay().enabled());

    TComando& d = command({Program("d0"), Program("d1")});
    d.DeVez = true;
    d.Retraso = 1;
    press(d);
    table.clear();
    EXPECT_EQ(advance(5000), Events{});
}

TEST_F(ActionRunnerTest, DelayedRunStopsWhenCurrentIsAnotherRecord) {
    TComando& c = command({Program("p0"), Program("p1"), Program("p2")});
    TComando& other = command({Program("o0"), Program("o1")});
    c.DeVez = true;
    c.Retraso = 1;
    press(c);
    table.setCurrent(&other);
    EXPECT_EQ(advance(1000), Events{});
    EXPECT_FALSE(runner.TimerDelay().enabled());
    EXPECT_EQ(other.LoopActual, 0);

    press(c);
    table.setCurrent(&table.record(remote));  // a remote has no action list
    EXPECT_EQ(advance(1000), Events{});
    EXPECT_FALSE(runner.TimerDelay().enabled());
}

TEST_F(ActionRunnerTest, SingleActionRunsEveryPressAndIsAlwaysDone) {
    TComando& c = command({Program("only")});
    c.DeVez = true;
    EXPECT_EQ(press(c), Events{"Start(only)"});
    EXPECT_EQ(press(c), Events{"Start(only)"});
    EXPECT_TRUE(runner.RunNextAction(c));
    c.DeVez = false;
    EXPECT_TRUE(runner.RunNextAction(c));
    EXPECT_EQ(c.LoopActual, 0);
}

TEST_F(ActionRunnerTest, StoredValuesOutOfRangeNeverRunAwayOrMisread) {
    TComando& c = command({Program("p0"), Program("p1")});
    c.DeVez = true;
    for (const std::int32_t loop : {0, -3}) {
        c.Loop = loop;
        EXPECT_EQ(press(c), Events{});
        EXPECT_TRUE(runner.RunNextAction(c));
    }
    c.Loop = 2;
    c.DeVez = false;
    c.LoopActual = 7;
    EXPECT_EQ(press(c), Events{"Start(p0)"});
    EXPECT_EQ(c.LoopActual, 1);
    c.Retraso = -5;  // treated as no delay
    c.DeVez = true;
    EXPECT_EQ(press(c), (Events{"Start(p0)", "Start(p1)"}));
}

TEST_F(ActionRunnerTest, DisabledCommandRunsNothingButStillResets) {
    TComando& c = command({Program("p0"), Program("p1")});
    c.DeVez = true;
    c.Activado = false;
    c.LoopActual = 1;
    runner.setPendingNumber(4);
    EXPECT_EQ(press(c), Events{});
    EXPECT_EQ(c.LoopActual, 0);
    EXPECT_EQ(runner.PendingNumber(), 0);
}

TEST_F(ActionRunnerTest, StaleEntriesBeyondLoopComeBackWhenLoopIsRaised) {
    TComando& c = command({Program("p0"), Program("p1"), Program("p2")});
    c.Loop = 2;
    EXPECT_EQ(press(c), Events{"Start(p0)"});
    EXPECT_EQ(press(c), Events{"Start(p1)"});
    EXPECT_EQ(press(c), Events{"Start(p0)"});
    c.Loop = 3;
    c.LoopActual = 2;
    EXPECT_EQ(press(c), Events{"Start(p2)"});
}

// --- key multiplying

TEST_F(ActionRunnerTest, KeyMultiplyingSetsTogglesAndIsConsumed) {
    TComando& three = command({Text("3")});
    three.MultiKey = true;
    EXPECT_EQ(press(three), Events{});
    EXPECT_EQ(runner.PendingNumber(), 3);
    press(three);
    EXPECT_EQ(runner.PendingNumber(), 0);
    press(three);

    TComando& two = command({Program("p0"), Program("p1")});
    EXPECT_EQ(press(two), Events{"Start(p1)"});  // 3 lowered to Loop - 1
    EXPECT_EQ(two.LoopActual, 0);
    EXPECT_EQ(runner.PendingNumber(), 0);

    runner.setPendingNumber(4);  // lowered to 2, where wrapping would give 1
    EXPECT_EQ(press(command({Program("p0"), Program("p1"), Program("p2")})), Events{"Start(p2)"});
}

TEST_F(ActionRunnerTest, KeyMultiplyingQuirks) {
    TComando& zero = command({Text("0")});
    zero.MultiKey = true;
    runner.setPendingNumber(5);
    press(zero);
    EXPECT_EQ(runner.PendingNumber(), 0);

    TComando& f1 = command({Named("15")});  // the stored index is what counts
    f1.MultiKey = true;
    EXPECT_EQ(press(f1), Events{});
    EXPECT_EQ(runner.PendingNumber(), 15);

    TComando& huge = command({Text("99999999999999")});
    huge.MultiKey = true;
    press(huge);
    EXPECT_EQ(runner.PendingNumber(), INT32_MAX);
    runner.setPendingNumber(0);

    TComando& multi = command({Program("p0"), Program("p1"), Program("p2")});
    multi.MultiKey = true;
    EXPECT_EQ(press(multi), Events{"Start(p0)"});
    EXPECT_EQ(press(multi), Events{"Start(p0)"});
    EXPECT_EQ(multi.LoopActual, 2);
}

TEST_F(ActionRunnerTest, OnlyKeysThatAreSentClearThePendingNumber) {
    TComando& empty = command({Text("")});
    runner.setPendingNumber(2);
    press(empty);
    EXPECT_EQ(runner.PendingNumber(), 2);
    TComando& typing = command({Text("x")});
    press(typing);
    EXPECT_EQ(runner.PendingNumber(), 0);
}

// --- mouse

TEST_F(ActionRunnerTest, ClicksIgnoreTheDirections) {
    EXPECT_EQ(press(command({MakeMouseAction('L', 'U', 'N')})), (Events{Mouse(2), Mouse(4)}));
    EXPECT_EQ(press(command({MakeMouseAction('R', 'D', 'L')})), (Events{Mouse(8), Mouse(16)}));
    EXPECT_EQ(press(command({MakeMouseAction('M', 'N', 'N')})), (Events{Mouse(32), Mouse(64)}));
    EXPECT_EQ(press(command({"\xA1RatonClick\xA1LCursrUL"})), Events{});
}

TEST_F(ActionRunnerTest, MovesUseMouseStepVerticalFirst) {
    std::int32_t step = 4;
    runner.setMouseStepProvider([&] { return step; });
    EXPECT_EQ(press(command({MakeMouseAction('N', 'U', 'L')})),
              (Events{Mouse(1, 0, -4), Mouse(1, -4, 0)}));
    step = 2;
    EXPECT_EQ(press(command({MakeMouseAction('x', 'D', 'R')})),
              (Events{Mouse(1, 0, 2), Mouse(1, 2, 0)}));
    EXPECT_EQ(press(command({MakeMouseAction('N', 'N', 'N')})), Events{});
}

// --- the two key paths

TEST_F(ActionRunnerTest, AdvancedPathHoldsEveryModifier) {
    EXPECT_EQ(press(command({Named("15", true, true, true)})),
              (Events{Down(18, test::kScanAlt), Down(17, test::kScanCtrl),
                      Down(16, test::kScanShift), Down(112, test::kScanF1), Up(112, test::kScanF1),
                      Up(18, test::kScanAlt), Up(17, test::kScanCtrl), Up(16, test::kScanShift)}));
    EXPECT_EQ(press(command({Named("15", false, true)})),
              (Events{Down(17, test::kScanCtrl), Down(112, test::kScanF1), Up(112, test::kScanF1),
                      Up(17, test::kScanCtrl)}));
    EXPECT_EQ(press(command({Named("12")})), (Events{Down(39, 0x4D), Up(39, 0x4D)}));
}

TEST_F(ActionRunnerTest, LiteralTextIsTypedAsItsCharactersNotAsKeyCodes) {
    // 228 reads as F1 and 250 as "press Shift" in a keystroke string of codes.
    EXPECT_EQ(press(command({Text("\xE4\xFA", false, true)})),
              (Events{Down(17, test::kScanCtrl), "TypeCharacter(228)", "TypeCharacter(250)",
                      Up(17, test::kScanCtrl)}));
}

TEST_F(ActionRunnerTest, PlainPathHoldsOnlyTheFirstModifier) {
    mode.setAdvancedKeyPress(false);
    EXPECT_EQ(press(command({Named("15", true, true, true)})),
              (Events{Down(18), Down(112), Up(112), Up(18)}));
    EXPECT_EQ(press(command({Text("z", false, true, true)})),
              (Events{Down(17), Down(90), Up(90), Up(17)}));
    EXPECT_EQ(press(command({Text("a1? +*-./", false, false, true)})),
              (Events{Down(16), Down(65), Up(65), Down(97), Up(97), Down(32), Up(32), Down(107),
                      Up(107), Down(106), Up(106), Down(109), Up(109), Down(110), Up(110),
                      Down(111), Up(111), Up(16)}));
}

TEST_F(ActionRunnerTest, BadNamedKeyIndexSendsNothingOnEitherPath) {
    for (const bool advanced : {true, false}) {
        mode.setAdvancedKeyPress(advanced);
        for (const char* bad : {"27", "x", "-1", "1 "}) {
            EXPECT_EQ(press(command({Named(bad, true)})), Events{}) << bad;
        }
    }
}

TEST_F(ActionRunnerTest, RestoreKeywordRestoresAndIsNotTyped) {
    int restored = 0;
    runner.setRestoreApplication([&] { ++restored; });
    runner.setPendingNumber(3);
    EXPECT_EQ(press(command({Text("RestoreTavrel")})), Events{});
    EXPECT_EQ(restored, 1);
    EXPECT_EQ(runner.PendingNumber(), 0);
    mode.setAdvancedKeyPress(false);
    EXPECT_EQ(press(command({Text("restoretavrel")})).size(), 26u);
    EXPECT_EQ(restored, 1);
}

// --- windows

class WindowsTest : public ActionRunnerTest {
protected:
    WindowsTest() {
        shell = fake.desktop.addWindow("Terminal");
        editor = fake.desktop.addWindow("notes.txt - Editor");
        fake.desktop.setForeground(shell);
    }
    WindowHandle shell = kNoWindow;
    WindowHandle editor = kNoWindow;
};

TEST_F(WindowsTest, PostMessageGoesToThePreviousForegroundWindow) {
    TComando& c = command({MakePostMessageAction("wm_command", "", "")});
    c.TargetWindow = "Editor";
    EXPECT_EQ(press(c),
              (Events{"RaiseAndActivate(2)", "PostMessage(1, 273, 0, 0)", "RaiseAndActivate(1)"}));
    EXPECT_EQ(fake.desktop.GetForegroundWindow(), shell);

    // A window asked to go away is not activated again, which would undo it.
    for (const auto& [message, wParam] :
         {std::pair{"WM_CLOSE", "0"}, {"WM_SYSCOMMAND", "F020"}, {"WM_SYSCOMMAND", "F063"}}) {
        WriteAction(*c.Acciones, 0, MakePostMessageAction(message, wParam, ""));
        EXPECT_EQ(press(c).back().substr(0, 12), "PostMessage(") << message << " " << wParam;
        fake.desktop.setForeground(shell);
    }

    EXPECT_EQ(press(command({MakePostMessageAction("111", "1A", "ffffffff")})),
              Events{"PostMessage(1, 273, 26, 4294967295)"});
    fake.desktop.setForeground(kNoWindow);
    EXPECT_EQ(press(command({MakePostMessageAction("WM_CLOSE", "", "")})), Events{});
}

TEST_F(WindowsTest, TheForegroundIsAskedForOnlyWhenAnActionNeedsIt) {
    struct Case {
        std::string action;
        std::string target;
        int queries;
    };
    const Case cases[] = {
        {Text("k"), "", 0},
        {Text("k"), "Editor", 1},
        {MakePostMessageAction("wm_close", "", ""), "", 1},
    };
    for (const Case& c : cases) {
        TComando& cmd = command({c.action});
        cmd.TargetWindow = c.target;
        fake.desktop.foregroundQueries = 0;
        press(cmd);
        EXPECT_EQ(fake.desktop.foregroundQueries, c.queries) << c.target;
    }
}

TEST_F(WindowsTest, DestinationFoundByPartOfItsTitle) {
    TComando& c = command({Text("k")});
    c.TargetWindow = "notes";
    EXPECT_EQ(press(c),
              (Events{"RaiseAndActivate(2)", Down(75, 0x25), Up(75, 0x25), "RaiseAndActivate(1)"}));

    fake.desktop.setIconic(editor, true);
    EXPECT_EQ(press(c),
              (Events{"RestoreWindow(2)", Down(75, 0x25), Up(75, 0x25), "RaiseAndActivate(1)"}));

    c.TargetWindow = "NOTES";  // case-sensitive: nothing found, prev still comes back
    EXPECT_EQ(press(c), (Events{Down(75, 0x25), Up(75, 0x25), "RaiseAndActivate(1)"}));
}

// A desktop that keeps its windows to itself (Wayland without a window
// list): keys go where the focus is and a message goes nowhere, each said.
TEST_F(WindowsTest, WhatNoWindowCouldBeFoundForIsTraced) {
    struct Lines final : Trace {
        std::vector<std::string> lines;
        void line(std::string_view event) override {
            if (event.substr(0, 7) != "action ") {
                lines.emplace_back(event);
            }
        }
    } trace;
    const ScopedTrace installed(trace);
    const struct {
        std::string refused;
        std::string action;
        std::string target;
        std::string said;
    } cases[] = {
        {"", Text("k"), "Player",
         "destination window \"Player\" not found; the action goes where the focus is"},
        {"No list.", Text("k"), "Editor",
         "destination window \"Editor\" not looked for: No list; the action goes where the focus "
         "is"},
        {"No list.", MakePostMessageAction("WM_CLOSE", "", ""), "", "message not posted: No list."},
        {"", MakePostMessageAction("WM_CLOSE", "", ""), "",
         "message not posted: no window has the focus"},
    };
    for (const auto& c : cases) {
        fake.desktop.windowsRefused = c.refused;
        // Only a desktop that tells its windows names one with the focus.
        fake.desktop.setForeground(c.refused.empty() && !c.target.empty() ? shell : kNoWindow);
        TComando& cmd = command({c.action});
        cmd.TargetWindow = c.target;
        trace.lines.clear();
        press(cmd);
        EXPECT_EQ(trace.lines, std::vector<std::string>{c.said}) << c.said;
    }
}

TEST_F(WindowsTest, TitleSearchUsesTheFirst200CharactersInStackingOrder) {
    fake.desktop.addWindow("");
    const WindowHandle longTitle = fake.desktop.addWindow(std::string(198, 'a') + "XYZ");
    const WindowHandle second = fake.desktop.addWindow("another Editor");
    EXPECT_EQ(runner.FindWindowByTitlePart("Editor"), editor);
    EXPECT_EQ(runner.FindWindowByTitlePart("XYZ"), kNoWindow);
    EXPECT_EQ(runner.FindWindowByTitlePart("aXY"), longTitle);
    EXPECT_EQ(runner.FindWindowByTitlePart("another"), second);
    EXPECT_EQ(runner.FindWindowByTitlePart("missing"), kNoWindow);
}

TEST_F(WindowsTest, DestinationWithAVeryLongTitleIsStillActivated) {
    const WindowHandle longTitle = fake.desktop.addWindow("Player " + std::string(250, 'w'));
    TComando& c = command({Program("p")});
    c.TargetWindow = "Player";
    EXPECT_EQ(press(c), (Events{"RaiseAndActivate(" + std::to_string(longTitle) + ")", "Start(p)",
                                "RaiseAndActivate(1)"}));
}

TEST_F(WindowsTest, RunProgramStartsTheCommandLineUnchanged) {
    EXPECT_EQ(press(command({Program("/usr/bin/xmessage \"a b\"")})),
              Events{"Start(/usr/bin/xmessage \"a b\")"});
    EXPECT_EQ(press(command({Program("")})), Events{});
}

// --- re-entry through the keystroke sender's message pump

TEST_F(ActionRunnerTest, CommandDeletedWhileItsKeysAreSentIsNotTouchedAgain) {
    TComando& c = command({Text("ab"), Text("c")});
    c.DeVez = true;
    bool deleted = false;
    sendKeys.setMessagePump([&] {
        if (!deleted) {
            deleted = true;
            table.remove(table.positionOf(&c));
        }
    });
    EXPECT_EQ(press(c),
              (Events{Down(65, test::kScanA), Up(65, test::kScanA), Down(66, 0x30), Up(66, 0x30)}));
    EXPECT_EQ(table.count(), 1);
}

// A held button or a quick second press reaches the runner while the keys of
// the first are still being sent: it runs the next action, not the same one.
TEST_F(ActionRunnerTest, APressWhileTheKeysOfTheLastAreSentRunsTheNextAction) {
    TComando& c = command({Text("a"), Text("b"), Text("c")});
    bool pressedAgain = false;
    sendKeys.setMessagePump([&] {
        if (!pressedAgain) {
            pressedAgain = true;
            runner.RunCommandActions(c);
        }
    });
    const Events first = press(c);
    EXPECT_EQ(std::count(first.begin(), first.end(), Down(65, test::kScanA)), 1);
    EXPECT_EQ(std::count(first.begin(), first.end(), Down(66, 0x30)), 1);
    EXPECT_EQ(press(c), (Events{Down(67, 0x2E), Up(67, 0x2E)}));
    EXPECT_EQ(c.LoopActual, 0);
}

TEST_F(WindowsTest, CommandDeletedWhileItsDestinationIsActivatedRunsNothing) {
    TComando& c = command({Text("a"), Text("b")});
    c.TargetWindow = "Editor";
    c.DeVez = true;
    fake.desktop.whileActivating = [&] {
        fake.desktop.whileActivating = nullptr;
        table.remove(table.positionOf(&c));
    };
    EXPECT_EQ(press(c), (Events{"RaiseAndActivate(2)", "RaiseAndActivate(1)"}));
}

}  // namespace
}  // namespace tavrel
