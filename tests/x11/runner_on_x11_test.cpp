// The action runner on the real desktop: a command brings its destination
// window forward and taps a named key with modifiers there, not in the window
// that had the focus. (Giving the focus back is the window manager's to grant:
// openbox may refuse it right after synthesised input, so the recording
// backend's tests check that it is asked for.)
// The core headers come before Xlib, whose macros (None) clash with their names.
// clang-format off
#include "runner_parts.h"
#include "x11_backend_fixture.h"
// clang-format on

#include <X11/keysym.h>

#include <utility>
#include <vector>

namespace tavrel::test {
namespace {

using KeyPresses = std::vector<std::pair<unsigned long, unsigned>>;

KeyPresses PressesWithModifiers(const WindowRecords& records) {
    KeyPresses presses;
    for (const KeyRecord& key : records.keys) {
        if (key.press) {
            presses.emplace_back(key.keysym, key.state & (ShiftMask | ControlMask | Mod1Mask));
        }
    }
    return presses;
}

class RunnerOnX11 : public X11BackendTest,
                    public ::testing::WithParamInterface<bool /* advanced key press */> {};

TEST_P(RunnerOnX11, ANamedKeyWithModifiersReachesTheDestinationWindowOnly) {
    TestWindow target("tavrel runner target window");
    TestWindow previous("tavrel runner previous window");
    Activate(target);
    Activate(previous);

    RunnerParts parts(input(), desktop());
    parts.mode.setAdvancedKeyPress(GetParam());
    TComando& command = parts.Command("\xA1SendKeys\xA1NNSE4", "runner target");  // Shift+Home

    parts.runner.RunCommandActions(command);

    ASSERT_TRUE(target.WaitFor([](const WindowRecords& r) { return r.keys.size() >= 4; }));
    EXPECT_EQ(PressesWithModifiers(target.records()),
              (KeyPresses{{XK_Shift_L, 0}, {XK_Home, ShiftMask}}));
    EXPECT_TRUE(PressesWithModifiers(previous.records()).empty());
}

INSTANTIATE_TEST_SUITE_P(BothKeyPaths, RunnerOnX11, ::testing::Values(true, false),
                         [](const auto& param) { return param.param ? "Advanced" : "Plain"; });

}  // namespace
}  // namespace tavrel::test
