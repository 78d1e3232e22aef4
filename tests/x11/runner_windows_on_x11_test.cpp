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

}  // namespace
}  // namespace tavrel::test
