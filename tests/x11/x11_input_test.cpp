// Keystrokes and pointer events synthesised by the X11 backend, as a real
// client window receives them.
#include "x11_backend_fixture.h"
// clang-format off
#include <X11/keysym.h>
// clang-format on

#include <string>
#include <string_view>
#include <vector>

#include "platform/trace.h"
#include "platform/windows.h"
#include "platform/x11/x11_connection.h"

namespace tavrel::test {
namespace {

using Keysyms = std::vector<unsigned long>;

class X11InputTest : public X11BackendTest {
protected:
    void Tap(std::uint8_t vk) {
        input().keybd_event(vk, 0, 0);
        input().keybd_event(vk, 0, KEYEVENTF_KEYUP);
    }

    // Types like the keystroke sender: the layout's shift state around the
    // key, and the fallback for characters the layout lacks.
    void Type(const std::string& cp1252) {
        for (char c : cp1252) {
            const auto ch = static_cast<unsigned char>(c);
            const std::int16_t scan = input().VkKeyScan(ch);
            if (scan == -1) {
                ASSERT_TRUE(input().TypeCharacter(ch)) << "cannot type " << int(ch);
                continue;
            }
            const bool shift = (scan & 0x100) != 0;
            if (shift) {
                input().keybd_event(vk::SHIFT, 0, 0);
            }
            Tap(static_cast<std::uint8_t>(scan & 0xFF));
            if (shift) {
                input().keybd_event(vk::SHIFT, 0, KEYEVENTF_KEYUP);
            }
        }
    }

    static bool Presses(const WindowRecords& records, std::size_t count) {
        return records.pressedKeysyms().size() >= count;
    }
};

TEST_F(X11InputTest, VkKeyScanReadsTheServerLayout) {
    EXPECT_EQ(input().VkKeyScan('a'), 0x41);
    EXPECT_EQ(input().VkKeyScan('A'), 0x141);
    EXPECT_EQ(input().VkKeyScan('!'), 0x131);
    EXPECT_EQ(input().VkKeyScan(' '), 0x20);
    EXPECT_EQ(input().VkKeyScan('/'), 0xBF);
    // The default server layout has no accented letters.
    EXPECT_EQ(input().VkKeyScan(0xE9), -1);
    EXPECT_EQ(input().MapVirtualKey('A'), 30u);
    EXPECT_EQ(input().MapVirtualKey(vk::RETURN), 28u);
    EXPECT_EQ(input().MapVirtualKey(0xFF), 0u);
}

TEST_F(X11InputTest, TypedTextArrivesWithKeysymsAndCase) {
    TestWindow window("tavrel typing target");
    Activate(window);
    // 0xE9 is e acute in Windows-1252, absent from the server's keymap.
    Type("aZ1!/\xE9q");
    ASSERT_TRUE(window.WaitFor([](const WindowRecords& r) { return Presses(r, 9); }));
    const Keysyms expected = {XK_a,      XK_Shift_L, XK_Z,      XK_1, XK_Shift_L,
                              XK_exclam, XK_slash,   XK_eacute, XK_q};
    EXPECT_EQ(window.records().pressedKeysyms(), expected);
    // The remapped keycode is free again.
    EXPECT_EQ(input().VkKeyScan(0xE9), -1);
}

TEST_F(X11InputTest, ModifierCombinationsArriveAsSuch) {
    TestWindow window("tavrel modifier target");
    Activate(window);
    const struct {
        std::uint8_t modifier;
        std::uint8_t key;
        unsigned mask;
    } combos[] = {{vk::CONTROL, 'C', ControlMask},
                  {vk::MENU, 'X', Mod1Mask},
                  {vk::SHIFT, vk::F1 + 4, ShiftMask}};
    for (const auto& combo : combos) {
        input().keybd_event(combo.modifier, 0, 0);
        Tap(combo.key);
        input().keybd_event(combo.modifier, 0, KEYEVENTF_KEYUP);
    }
    ASSERT_TRUE(window.WaitFor([](const WindowRecords& r) { return r.keys.size() >= 12; }));
    std::vector<std::pair<unsigned long, unsigned>> keyPresses;
    for (const KeyRecord& key : window.records().keys) {
        if (key.press) {
            keyPresses.emplace_back(key.keysym, key.state & (ShiftMask | ControlMask | Mod1Mask));
        }
    }
    const std::vector<std::pair<unsigned long, unsigned>> expected = {
        {XK_Control_L, 0}, {XK_c, ControlMask}, {XK_Alt_L, 0},
        {XK_x, Mod1Mask},  {XK_Shift_L, 0},     {XK_F5, ShiftMask}};
    EXPECT_EQ(keyPresses, expected);
}

TEST_F(X11InputTest, KeypadKeysGiveKeypadDigitsWhateverTheNumLock) {
    TestWindow window("tavrel keypad target");
    Activate(window);
    Tap(vk::NUMPAD0 + 7);
    Tap(vk::MULTIPLY);
    ASSERT_TRUE(window.WaitFor([](const WindowRecords& r) { return r.keys.size() >= 4; }));
    Keysyms presses;
    for (unsigned long keysym : window.records().pressedKeysyms()) {
        if (keysym != XK_Shift_L && keysym != XK_Num_Lock) {
            presses.push_back(keysym);
        }
    }
    EXPECT_EQ(presses, (Keysyms{XK_KP_7, XK_KP_Multiply}));
}

TEST_F(X11InputTest, PointerMovesAndClicksArrive) {
    TestWindow window("tavrel pointer target");
    Activate(window);
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    XWarpPointer(display, None, window.id(), 0, 0, 0, 0, 100, 100);
    XSync(display, False);
    XCloseDisplay(display);
    ASSERT_TRUE(window.WaitFor([](const WindowRecords& r) { return !r.motionX.empty(); }));
    const int startX = window.records().motionX.back();

    input().mouse_event(MOUSEEVENTF_MOVE, 10, 0);
    ASSERT_TRUE(window.WaitFor(
        [&](const WindowRecords& r) { return !r.motionX.empty() && r.motionX.back() > startX; }));

    input().mouse_event(MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP, 0, 0);
    input().mouse_event(MOUSEEVENTF_RIGHTDOWN, 0, 0);
    input().mouse_event(MOUSEEVENTF_RIGHTUP, 0, 0);
    input().mouse_event(MOUSEEVENTF_MIDDLEDOWN | MOUSEEVENTF_MIDDLEUP, 0, 0);
    ASSERT_TRUE(window.WaitFor([](const WindowRecords& r) { return r.buttons.size() >= 6; }));
    std::vector<std::pair<bool, unsigned>> buttons;
    for (const ButtonRecord& button : window.records().buttons) {
        buttons.emplace_back(button.press, button.button);
    }
    const std::vector<std::pair<bool, unsigned>> expected = {{true, 1},  {false, 1}, {true, 3},
                                                             {false, 3}, {true, 2},  {false, 2}};
    EXPECT_EQ(buttons, expected);
}

// Key events go out without waiting for the server; an error that arrives
// after its call returned must neither end the program nor pass unsaid.
TEST_F(X11Test, AnErrorOutsideEveryTrapIsTracedNotFatal) {
    struct Lines final : Trace {
        std::vector<std::string> lines;
        void line(std::string_view event) override { lines.emplace_back(event); }
    } trace;
    const ScopedTrace installed(trace);
    X11Connection connection(XOpenDisplay(nullptr));
    Display* display = connection.display();
    const Window gone = XCreateSimpleWindow(display, connection.root(), 0, 0, 1, 1, 0, 0, 0);
    XDestroyWindow(display, gone);
    XDestroyWindow(display, gone);  // BadWindow
    XSync(display, False);
    ASSERT_EQ(trace.lines.size(), 1u);
    EXPECT_EQ(trace.lines[0], "X error 3 on request 4.0, reported after its call returned");
    {
        X11ErrorTrap trap(display);
        XDestroyWindow(display, gone);
        EXPECT_FALSE(trap.Sync());
    }
    EXPECT_EQ(trace.lines.size(), 1u) << "a trapped error is the trap's alone";
}

TEST(X11BackendOpen, ReportsAMissingDisplayOnce) {
    auto opened = X11Backend::Open(":4711");
    EXPECT_EQ(opened.backend, nullptr);
    EXPECT_NE(opened.problem.find(":4711"), std::string::npos) << opened.problem;
}

}  // namespace
}  // namespace tavrel::test
