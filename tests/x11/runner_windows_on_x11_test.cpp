// The action runner's window handling on the real desktop.
// clang-format off
#include "runner_parts.h"
#include "x11_backend_fixture.h"
// clang-format on

namespace tavrel::test {
namespace {

class RunnerWindowsOnX11 : public X11BackendTest {};

TEST_F(RunnerWindowsOnX11, AMinimisePostedWhileADestinationIsActiveStaysInForce) {
    TestWindow destination("tavrel minimise destination");
    TestWindow previous("tavrel minimise previous");
    Activate(destination);
    Activate(previous);

    RunnerParts parts(input(), desktop());
    TComando& command =
        parts.Command(MakePostMessageAction("WM_SYSCOMMAND", "F020", "0"), "minimise destination");

    parts.runner.RunCommandActions(command);

    // The message goes to the window that was in front; giving the focus
    // back to it afterwards must not bring it straight back.
    ASSERT_TRUE(WaitUntil([&] { return desktop().IsIconic(previous.id()); }));
    EXPECT_FALSE(WaitUntil([&] { return !desktop().IsIconic(previous.id()); },
                           std::chrono::milliseconds(1000)));
}

// Waits for the window manager and for clients to read a remapped key let
// the program's events run (how long they stall it: bench/x11).
TEST_F(RunnerWindowsOnX11, WaitsLetPendingEventsRun) {
    TestWindow previous("tavrel waiting previous");
    TestWindow clock("tavrel waiting clock", TestWindow::TitleKind::Utf8,
                     TestWindow::Focus::Declines);
    Activate(previous);
    // Under load the window manager may not have listed it yet; the runner
    // would then find no destination and have nothing to wait for.
    ASSERT_TRUE(WaitUntil([&] { return Listed(clock); })) << "window never managed";
    RunnerParts parts(input(), desktop());
    int pumped = 0;
    backend_->setMessagePump([&] { ++pumped; });

    parts.runner.RunCommandActions(parts.Command(MakeMouseAction('N', 'U', 'N'), "waiting clock"));
    EXPECT_GT(pumped, 1) << "the wait for an activation that never comes";

    // The US layout lacks the euro sign: it goes through a spare keycode.
    pumped = 0;
    parts.runner.RunCommandActions(
        parts.Command(MakeTapKeyAction(false, false, false, true, "\x80\x80")));
    EXPECT_GT(pumped, 2) << "the waits while clients read remapped keys";
}

}  // namespace
}  // namespace tavrel::test
