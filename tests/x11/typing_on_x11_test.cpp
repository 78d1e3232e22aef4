// Tap-key actions through the runner and the keystroke sender into a real
// client, every character checked as the client reads it. Also run on a
// German layout (see CMakeLists.txt), where AltGr places many characters.
// clang-format off
#include "runner_parts.h"
#include "x11_backend_fixture.h"
// clang-format on

#include <X11/XKBlib.h>
#include <X11/keysym.h>
#include <signal.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace tavrel::test {
namespace {

class TypingOnX11 : public X11BackendTest {
protected:
    void SetUp() override {
        X11BackendTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        window_ = std::make_unique<TestWindow>("tavrel typing target");
        Activate(*window_);
        parts_ = std::make_unique<RunnerParts>(input(), desktop());
    }
    void TearDown() override {
        parts_.reset();
        window_.reset();
    }

    // Runs one tap-key action of literal text with the given modifiers.
    void Run(const std::string& text, bool alt = false, bool ctrl = false, bool shift = false) {
        parts_->runner.RunCommandActions(
            parts_->Command(MakeTapKeyAction(alt, ctrl, shift, true, text)));
    }

    // Waits until count characters arrived (or a while passed) and returns them.
    std::vector<std::pair<char, unsigned>> Arrived(std::size_t count) {
        window_->WaitFor([&](const WindowRecords& r) { return Typed(r).size() >= count; });
        return Typed(window_->records());
    }
    std::string ArrivedText(std::size_t count) {
        window_->WaitFor([&](const WindowRecords& r) { return Typed(r).size() >= count; });
        return TypedText(window_->records());
    }

    std::unique_ptr<RunnerParts> parts_;
    std::unique_ptr<TestWindow> window_;
};

TEST_F(TypingOnX11, LiteralTextArrivesAsTheCharactersItHolds) {
    // Letters from 228 up were once read as function keys and modifiers.
    const std::string text =
        "caf\xE9 Gr\xFC\xDF"
        "e sch\xF6n \xE4\xFF \xC4Zy!/@\x80";
    Run(text);
    EXPECT_EQ(ArrivedText(text.size()), text);
}

TEST_F(TypingOnX11, ShortcutsSendTheBaseKeyWithTheirModifiers) {
    // On layouts with AltGr symbols on t, l, e and q, Ctrl+Alt must still
    // arrive as Ctrl+Alt on the letter, as from a physical keyboard.
    Run("t", true, true);
    Run("l", true, true);
    Run("e", true, true, true);
    Run("q", false, true);
    Run("f", true);
    const std::vector<std::pair<char, unsigned>> expected = {
        {'t', ControlMask | Mod1Mask},
        {'l', ControlMask | Mod1Mask},
        {'E', ShiftMask | ControlMask | Mod1Mask},
        {'q', ControlMask},
        {'f', Mod1Mask}};
    EXPECT_EQ(Arrived(expected.size()), expected);
}

// Caps Lock left on by the user must not turn "Hello" into "hELLO": literal
// text is typed as the characters it holds, accented capitals included.
TEST_F(TypingOnX11, TextArrivesAsWrittenWithCapsLockOn) {
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    ASSERT_TRUE(XkbLockModifiers(display, XkbUseCoreKbd, LockMask, LockMask));
    XSync(display, False);
    const std::string text = "Hello World 1! \xC4rger \xFC";
    Run(text);
    const std::string arrived = ArrivedText(text.size());
    XkbLockModifiers(display, XkbUseCoreKbd, LockMask, 0);
    XCloseDisplay(display);
    EXPECT_EQ(arrived, text);
}

// Mixed-case text typed right after the program's own window was hidden (as
// Save/Run does), with Shift, keymap changes (the euro sign through a spare
// keycode on the US layout) and explicit modifiers in between.
TEST_F(TypingOnX11, StressNoKeyIsLostAcrossModeSwitches) {
    TestWindow program("tavrel stand-in for the main window");
    const std::string texts[] = {"Hello from Tavrel", "ABC def GHI", "\x80Zz\x80 aB", "x Y z"};
    std::string expected;
    for (int round = 0; round < 20; ++round) {
        program.SetShown(true);
        ASSERT_TRUE(WaitUntil([&] {
            desktop().RaiseAndActivate(program.id());
            return desktop().GetForegroundWindow() == program.id() && program.records().focused;
        })) << "round "
            << round;
        program.SetShown(false);
        const std::string& text = texts[round % std::size(texts)];
        Run(text);
        expected += text;
        window_->WaitFor([&](const WindowRecords& r) { return Typed(r).size() >= expected.size(); },
                         std::chrono::seconds(2));
        // The window manager must have let it go before it is shown again.
        WaitUntil([&] { return !Listed(program); });
    }
    EXPECT_EQ(TypedText(window_->records()), expected);
}

// A window manager that is slow to pass the focus on (a loaded machine) must
// not cost keys, even when the text follows the previous one at once: typing
// waits until the focus rests on a window again.
TEST_F(TypingOnX11, KeysWaitForAWindowManagerSlowToPassTheFocusOn) {
    const char* wm = std::getenv("TAVREL_WM_PID");
    if (wm == nullptr) {
        GTEST_SKIP() << "the window manager's process is not known";
    }
    const pid_t manager = static_cast<pid_t>(std::atoi(wm));
    TestWindow program("tavrel stand-in for the main window");
    Activate(program);
    // Away from every window, so that keys sent while the focus follows the
    // pointer reach none of them.
    input().mouse_event(MOUSEEVENTF_MOVE, -5000, 5000);
    Run("ok");
    ASSERT_EQ(kill(manager, SIGSTOP), 0);
    program.SetShown(false);
    std::thread resume([manager] {
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        kill(manager, SIGCONT);
    });
    const std::string text = "Slow to focus";
    Run(text);
    resume.join();
    EXPECT_EQ(ArrivedText(text.size()), text);
}

}  // namespace
}  // namespace tavrel::test
