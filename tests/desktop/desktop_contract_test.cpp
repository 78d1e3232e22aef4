// What every desktop backend must do, run against each with a real client of
// its own kind (an X window under Xvfb, a Wayland window under sway): typed
// text and shortcuts as the client reads them, the pointer, the window list,
// a destination window brought forward, posted close and minimise, the
// active window's application.
// clang-format off
#include "runner_parts.h"
#include "backend_under_test.h"
// clang-format on

#include <xkbcommon/xkbcommon-keysyms.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/windows.h"

namespace tavrel::test {
namespace {

constexpr unsigned kShortcutMods = kShiftBit | kControlBit | kAltBit;
using KeyPresses = std::vector<std::pair<unsigned long, unsigned>>;

KeyPresses PressesWithModifiers(const WindowRecords& records) {
    KeyPresses presses;
    for (const KeyRecord& key : records.keys) {
        if (key.press && key.keysym != XKB_KEY_Num_Lock) {
            presses.emplace_back(key.keysym, key.state & kShortcutMods);
        }
    }
    return presses;
}

class DesktopContract : public ::testing::TestWithParam<Target> {
protected:
    void SetUp() override {
        if (const std::string missing = MissingDesktop(GetParam()); !missing.empty()) {
            if (DesktopRequired(GetParam())) {
                FAIL() << missing;
            }
            GTEST_SKIP() << missing;
        }
        if (GetParam() == Target::X11) {
            own_ = OpenBackendUnderTest(GetParam());
            ASSERT_NE(own_, nullptr);
            desk_ = own_.get();
            return;
        }
        // A Wayland backend is kept for the whole run, as the program keeps
        // its own: sway 1.7 with XWayland was seen to crash when virtual
        // keyboards came and went between tests.
        static std::unique_ptr<BackendUnderTest> kept;
        if (!kept) {
            kept = OpenBackendUnderTest(GetParam());
        }
        ASSERT_NE(kept, nullptr);
        desk_ = kept.get();
    }

    Input& input() { return desk_->backend().input(); }
    Desktop& desktop() { return desk_->backend().desktop(); }

    WindowHandle Listed(const TestClient& client) {
        WindowHandle handle = kNoWindow;
        WaitUntil([&] { return (handle = desk_->HandleOf(client)) != kNoWindow; });
        return handle;
    }

    // Waits until the desktop lists and shows the window, then activates it.
    // Without a window list, a new window has the focus: it is waited for.
    WindowHandle Activate(TestClient& client) {
        if (!desk_->ListsWindows()) {
            EXPECT_TRUE(client.WaitFor([](const WindowRecords& r) { return r.focused; }))
                << "window never got the focus";
            return kNoWindow;
        }
        const WindowHandle handle = Listed(client);
        EXPECT_NE(handle, kNoWindow) << "window never listed";
        EXPECT_TRUE(client.WaitFor([](const WindowRecords& r) { return r.mapped; }));
        desktop().RaiseAndActivate(handle);
        EXPECT_TRUE(WaitUntil([&] { return desktop().GetForegroundWindow() == handle; }))
            << "window never became active";
        EXPECT_TRUE(client.WaitFor([](const WindowRecords& r) { return r.focused; }))
            << "window never got the focus";
        return handle;
    }

    void Tap(std::uint8_t vk) {
        input().keybd_event(vk, 0, 0);
        input().keybd_event(vk, 0, KEYEVENTF_KEYUP);
    }

    std::unique_ptr<BackendUnderTest> own_;
    BackendUnderTest* desk_ = nullptr;
};

TEST_P(DesktopContract, LiteralTextArrivesAsTheCharactersItHolds) {
    auto window = desk_->NewClient("tavrel typing target");
    Activate(*window);
    RunnerParts parts(input(), desktop());
    // Letters from 228 up were once read as function keys and modifiers.
    const std::string text =
        "caf\xE9 Gr\xFC\xDF"
        "e sch\xF6n \xE4\xFF \xC4Zy!/@\x80";
    parts.runner.RunCommandActions(
        parts.Command(MakeTapKeyAction(false, false, false, true, text)));
    // The US layout has none of the letters beyond ASCII, nor the euro
    // sign; the German one has them all, on keys or through dead keys.
    std::string expected = text;
    const char* layout = std::getenv("TAVREL_XKB_LAYOUT");
    if (desk_->TypesOnUserLayout() && (layout == nullptr || std::string(layout) != "de")) {
        std::erase_if(expected, [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    }
    window->WaitFor([&](const WindowRecords& r) { return Typed(r).size() >= expected.size(); });
    EXPECT_EQ(TypedText(window->records()), expected);
}

TEST_P(DesktopContract, ShortcutsSendTheBaseKeyWithTheirModifiers) {
    auto window = desk_->NewClient("tavrel shortcut target");
    Activate(*window);
    RunnerParts parts(input(), desktop());
    // On layouts with AltGr symbols on t, l, e and q, Ctrl+Alt must still
    // arrive as Ctrl+Alt on the letter, as from a physical keyboard.
    const struct {
        const char* text;
        bool alt, ctrl, shift;
    } shortcuts[] = {{"t", true, true, false},
                     {"l", true, true, false},
                     {"e", true, true, true},
                     {"q", false, true, false},
                     {"f", true, false, false}};
    for (const auto& s : shortcuts) {
        parts.runner.RunCommandActions(
            parts.Command(MakeTapKeyAction(s.alt, s.ctrl, s.shift, true, s.text)));
    }
    const std::vector<std::pair<char, unsigned>> expected = {
        {'t', kControlBit | kAltBit},
        {'l', kControlBit | kAltBit},
        {'E', kShiftBit | kControlBit | kAltBit},
        {'q', kControlBit},
        {'f', kAltBit}};
    window->WaitFor([&](const WindowRecords& r) { return Typed(r).size() >= expected.size(); });
    EXPECT_EQ(Typed(window->records()), expected);
}

TEST_P(DesktopContract, ModifierCombinationsAndKeypadKeysArriveAsSuch) {
    auto window = desk_->NewClient("tavrel modifier target");
    Activate(*window);
    const struct {
        std::uint8_t modifier;
        std::uint8_t key;
    } combos[] = {{vk::CONTROL, 'C'}, {vk::MENU, 'X'}, {vk::SHIFT, vk::F1 + 4}};
    for (const auto& combo : combos) {
        input().keybd_event(combo.modifier, 0, 0);
        Tap(combo.key);
        input().keybd_event(combo.modifier, 0, KEYEVENTF_KEYUP);
    }
    // Keypad digits whatever the Num Lock.
    Tap(vk::NUMPAD0 + 7);
    Tap(vk::MULTIPLY);
    const KeyPresses expected = {{XKB_KEY_Control_L, 0}, {XKB_KEY_c, kControlBit},
                                 {XKB_KEY_Alt_L, 0},     {XKB_KEY_x, kAltBit},
                                 {XKB_KEY_Shift_L, 0},   {XKB_KEY_F5, kShiftBit},
                                 {XKB_KEY_KP_7, 0},      {XKB_KEY_KP_Multiply, 0}};
    window->WaitFor(
        [&](const WindowRecords& r) { return PressesWithModifiers(r).size() >= expected.size(); });
    EXPECT_EQ(PressesWithModifiers(window->records()), expected);
}

TEST_P(DesktopContract, PointerMovesAndClicksArrive) {
    auto window = desk_->NewClient("tavrel pointer target");
    Activate(*window);
    // Into the window first: the client sees the pointer only while over it.
    ASSERT_TRUE(WaitUntil([&] {
        desk_->PointerInto(*window);
        return window->WaitFor([](const WindowRecords& r) { return !r.motionX.empty(); },
                               std::chrono::milliseconds(200));
    }));
    const int startX = window->records().motionX.back();

    input().mouse_event(MOUSEEVENTF_MOVE, 10, 0);
    ASSERT_TRUE(window->WaitFor(
        [&](const WindowRecords& r) { return !r.motionX.empty() && r.motionX.back() > startX; }));

    input().mouse_event(MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP, 0, 0);
    input().mouse_event(MOUSEEVENTF_RIGHTDOWN, 0, 0);
    input().mouse_event(MOUSEEVENTF_RIGHTUP, 0, 0);
    input().mouse_event(MOUSEEVENTF_MIDDLEDOWN | MOUSEEVENTF_MIDDLEUP, 0, 0);
    ASSERT_TRUE(window->WaitFor([](const WindowRecords& r) { return r.buttons.size() >= 6; }));
    std::vector<std::pair<bool, unsigned>> buttons;
    for (const ButtonRecord& button : window->records().buttons) {
        buttons.emplace_back(button.press, button.button);
    }
    const std::vector<std::pair<bool, unsigned>> expected = {{true, 1},  {false, 1}, {true, 3},
                                                             {false, 3}, {true, 2},  {false, 2}};
    EXPECT_EQ(buttons, expected);
}

TEST_P(DesktopContract, WindowsAreListedActiveFirstAndFoundByExactTitle) {
    if (!desk_->ListsWindows()) {
        GTEST_SKIP() << "this desktop lets no program list windows";
    }
    auto lower = desk_->NewClient("tavrel list lower");
    auto upper = desk_->NewClient("tavrel list upper \xE2\x82\xAC");  // euro sign: 0x80
    const WindowHandle lowerId = Activate(*lower);
    const WindowHandle upperId = Activate(*upper);
    const auto position = [&](WindowHandle window) {
        const auto windows = desktop().TopLevelWindows();
        return std::find(windows.begin(), windows.end(), window) - windows.begin();
    };
    EXPECT_LT(position(upperId), position(lowerId));
    Activate(*lower);
    EXPECT_LT(position(lowerId), position(upperId));

    EXPECT_EQ(desktop().GetWindowText(upperId), "tavrel list upper \x80");
    EXPECT_EQ(desktop().FindWindow("tavrel list upper \x80"), upperId);
    EXPECT_EQ(desktop().FindWindow("tavrel list lower"), lowerId);
    EXPECT_EQ(desktop().FindWindow("tavrel list"), kNoWindow);
}

// The destination window comes forward and gets the keys, with modifiers;
// the window that had the focus gets none.
TEST_P(DesktopContract, ANamedKeyWithModifiersReachesTheDestinationWindowOnly) {
    if (!desk_->ListsWindows()) {
        GTEST_SKIP() << "this desktop lets no program list windows";
    }
    auto target = desk_->NewClient("tavrel runner target window");
    auto previous = desk_->NewClient("tavrel runner previous window");
    Activate(*target);
    for (const bool advanced : {true, false}) {
        Activate(*previous);
        target->ClearRecords();
        RunnerParts parts(input(), desktop());
        parts.mode.setAdvancedKeyPress(advanced);
        // Shift+Home
        parts.runner.RunCommandActions(parts.Command("\xA1SendKeys\xA1NNSE4", "runner target"));
        ASSERT_TRUE(target->WaitFor([](const WindowRecords& r) { return r.keys.size() >= 4; }));
        EXPECT_EQ(PressesWithModifiers(target->records()),
                  (KeyPresses{{XKB_KEY_Shift_L, 0}, {XKB_KEY_Home, kShiftBit}}))
            << (advanced ? "advanced" : "plain");
        EXPECT_TRUE(PressesWithModifiers(previous->records()).empty());
    }
}

TEST_P(DesktopContract, CloseMessagesCloseRealWindows) {
    if (!desk_->ListsWindows()) {
        GTEST_SKIP() << "this desktop lets no program list windows";
    }
    auto byClose = desk_->NewClient("tavrel close target");
    auto bySysCommand = desk_->NewClient("tavrel syscommand close target");
    const WindowHandle closeId = Listed(*byClose);
    const WindowHandle sysCommandId = Listed(*bySysCommand);
    ASSERT_NE(closeId, kNoWindow);
    ASSERT_NE(sysCommandId, kNoWindow);
    EXPECT_TRUE(desktop().PostMessage(closeId, WM_CLOSE, 0, 0));
    // The low four bits of a system command do not matter.
    EXPECT_TRUE(desktop().PostMessage(sysCommandId, WM_SYSCOMMAND, SC_CLOSE | 2, 0));
    for (TestClient* window : {byClose.get(), bySysCommand.get()}) {
        EXPECT_TRUE(window->WaitFor([](const WindowRecords& r) { return r.destroyed; }));
        EXPECT_TRUE(window->records().closeRequested);
    }
    EXPECT_TRUE(WaitUntil([&] { return desk_->HandleOf(*byClose) == kNoWindow; }));
    EXPECT_FALSE(desktop().PostMessage(closeId, WM_CLOSE, 0, 0));
}

TEST_P(DesktopContract, AMinimiseIsPostedAndUndoneByRestoring) {
    if (!desk_->ListsWindows()) {
        GTEST_SKIP() << "this desktop lets no program list windows";
    }
    auto window = desk_->NewClient("tavrel iconic target");
    const WindowHandle id = Activate(*window);
    ASSERT_FALSE(desktop().IsIconic(id));
    EXPECT_TRUE(desktop().PostMessage(id, WM_SYSCOMMAND, SC_MINIMIZE, 0));
    if (!desk_->Minimises()) {
        return;  // the request went out; this compositor ignores it
    }
    ASSERT_TRUE(WaitUntil([&] { return desktop().IsIconic(id); }));
    desktop().RestoreWindow(id);
    EXPECT_TRUE(WaitUntil([&] { return !desktop().IsIconic(id); }));
    EXPECT_TRUE(WaitUntil([&] { return desktop().GetForegroundWindow() == id; }));
}

// The application in front, as the runner asks for it on every press of a
// command with variants, follows the focus; the open windows name theirs.
TEST_P(DesktopContract, TheActiveApplicationFollowsTheFocus) {
    if (!desk_->ListsWindows()) {
        GTEST_SKIP() << "this desktop lets no program list windows";
    }
    EXPECT_EQ(desktop().applicationsUnavailable(), "");
    auto player = desk_->NewClientOf("TavrelPlayer", "tavrel film \xC3\xA9t\xC3\xA9");
    auto browser = desk_->NewClientOf("TavrelBrowser", "tavrel page");
    const struct {
        TestClient* client;
        const char* application;
        const char* title;
    } turns[] = {{player.get(), "TavrelPlayer", "tavrel film \xE9t\xE9"},
                 {browser.get(), "TavrelBrowser", "tavrel page"},
                 {player.get(), "TavrelPlayer", "tavrel film \xE9t\xE9"}};
    for (const auto& turn : turns) {
        const WindowHandle id = Activate(*turn.client);
        const ApplicationWindow expected{id, turn.application, turn.title};
        std::optional<ApplicationWindow> active;
        EXPECT_TRUE(WaitUntil([&] { return (active = desktop().ActiveApplication()) == expected; }))
            << (active ? active->application + " / " + active->title : std::string("none"));
    }
    const auto windows = desktop().ApplicationWindows();
    for (const char* application : {"TavrelPlayer", "TavrelBrowser"}) {
        EXPECT_EQ(
            std::count_if(windows.begin(), windows.end(),
                          [&](const ApplicationWindow& w) { return w.application == application; }),
            1)
            << application;
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, DesktopContract,
                         ::testing::Values(Target::X11, Target::Wayland, Target::Gnome,
                                           Target::Plasma),
                         [](const auto& param) { return TargetName(param.param); });

}  // namespace
}  // namespace tavrel::test
