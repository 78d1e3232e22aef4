// Window listing, activation, state changes and window messages of the X11
// backend against real windows managed by a real window manager.
#include "x11_backend_fixture.h"
// clang-format off
#include <X11/Xatom.h>
#include <X11/keysym.h>
// clang-format on

#include <algorithm>

#include "platform/windows.h"

namespace tavrel::test {
namespace {

class X11DesktopTest : public X11BackendTest {
protected:
    std::ptrdiff_t Position(WindowHandle window) {
        const auto windows = desktop().TopLevelWindows();
        return std::find(windows.begin(), windows.end(), window) - windows.begin();
    }

    bool Maximized(WindowHandle window) {
        Display* display = XOpenDisplay(nullptr);
        const Atom vert = XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_VERT", False);
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        bool found = false;
        if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_STATE", False), 0, 64,
                               False, XA_ATOM, &type, &format, &count, &after, &data) == Success &&
            data != nullptr) {
            const auto* atoms = reinterpret_cast<const Atom*>(data);
            found = std::find(atoms, atoms + count, vert) != atoms + count;
        }
        if (data != nullptr) {
            XFree(data);
        }
        XCloseDisplay(display);
        return found;
    }
};

// The active window's title is followed as it changes (a browser's tab), not
// only when another window comes to the front.
TEST_F(X11DesktopTest, TheActiveApplicationFollowsTheActiveWindowsTitle) {
    TestWindow browser("tavrel tab one", TestWindow::TitleKind::Utf8, TestWindow::Focus::Accepts,
                       "TavrelBrowser");
    Activate(browser);
    const auto shown = [&](const char* title) {
        return WaitUntil([&] {
            const auto active = desktop().ActiveApplication();
            return active && active->application == "TavrelBrowser" && active->title == title;
        });
    };
    EXPECT_TRUE(shown("tavrel tab one"));
    browser.SetTitle("tavrel tab two");
    EXPECT_TRUE(shown("tavrel tab two"));
}

// X window ids come back: a window may get the id of one closed since the
// active application was last asked for. Its title is followed all the same.
TEST_F(X11DesktopTest, ANewWindowWithTheIdOfAClosedOneIsFollowedToo) {
    WindowHandle closedId = kNoWindow;
    {
        TestWindow closed("tavrel closed", TestWindow::TitleKind::Utf8, TestWindow::Focus::Accepts,
                          "TavrelClosed");
        Activate(closed);
        closedId = closed.id();
        ASSERT_TRUE(WaitUntil([&] {
            const auto active = desktop().ActiveApplication();
            return active && active->window == closedId;
        }));
    }
    TestWindow browser("tavrel tab one", TestWindow::TitleKind::Utf8, TestWindow::Focus::Accepts,
                       "TavrelBrowser");
    if (browser.id() != closedId) {
        GTEST_SKIP() << "this X server gave the new window an id of its own";
    }
    Activate(browser);
    const auto shown = [&](const char* title) {
        return WaitUntil([&] {
            const auto active = desktop().ActiveApplication();
            return active && active->application == "TavrelBrowser" && active->title == title;
        });
    };
    ASSERT_TRUE(shown("tavrel tab one"));
    browser.SetTitle("tavrel tab two");
    EXPECT_TRUE(shown("tavrel tab two"));
}

TEST_F(X11DesktopTest, WindowsAreListedTopFirstAndFoundByExactTitle) {
    TestWindow lower("tavrel list lower");
    TestWindow upper("tavrel list upper \xE2\x82\xAC");  // euro sign, 0x80 in Windows-1252
    Activate(lower);
    Activate(upper);
    EXPECT_LT(Position(upper.id()), Position(lower.id()));
    Activate(lower);
    EXPECT_LT(Position(lower.id()), Position(upper.id()));

    EXPECT_EQ(desktop().GetWindowText(upper.id()), "tavrel list upper \x80");
    EXPECT_EQ(desktop().FindWindow("tavrel list upper \x80"), upper.id());
    EXPECT_EQ(desktop().FindWindow("tavrel list lower"), lower.id());
    EXPECT_EQ(desktop().FindWindow("tavrel list"), kNoWindow);

    // Finding by part of the title, as the runner does it, over the same list.
    WindowHandle byPart = kNoWindow;
    for (WindowHandle window : desktop().TopLevelWindows()) {
        if (desktop().GetWindowText(window).find("list upp") != std::string::npos) {
            byPart = window;
            break;
        }
    }
    EXPECT_EQ(byPart, upper.id());
}

TEST_F(X11DesktopTest, TitlesComeFromLatin1NamesAndLoseWhatTheCodePageLacks) {
    TestWindow old("tavrel caf\xC3\xA9 old", TestWindow::TitleKind::Latin1Only);
    TestWindow greek("tavrel \xCE\xB1\xCE\xB2 new");
    ASSERT_TRUE(WaitUntil([&] { return Listed(old) && Listed(greek); }));
    EXPECT_EQ(desktop().GetWindowText(old.id()), "tavrel caf\xE9 old");
    EXPECT_EQ(desktop().GetWindowText(greek.id()), "tavrel ?? new");
}

TEST_F(X11DesktopTest, IconicWindowIsRestoredAndActivated) {
    TestWindow window("tavrel iconic target");
    Activate(window);
    ASSERT_FALSE(desktop().IsIconic(window.id()));
    EXPECT_TRUE(desktop().PostMessage(window.id(), WM_SYSCOMMAND, SC_MINIMIZE, 0));
    ASSERT_TRUE(WaitUntil([&] { return desktop().IsIconic(window.id()); }));

    desktop().RestoreWindow(window.id());
    EXPECT_TRUE(WaitUntil([&] { return !desktop().IsIconic(window.id()); }));
    EXPECT_TRUE(WaitUntil([&] { return desktop().GetForegroundWindow() == window.id(); }));
}

TEST_F(X11DesktopTest, MaximiseAndRestoreCommands) {
    TestWindow window("tavrel maximise target");
    Activate(window);
    EXPECT_TRUE(desktop().PostMessage(window.id(), WM_SYSCOMMAND, SC_MAXIMIZE, 0));
    EXPECT_TRUE(WaitUntil([&] { return Maximized(window.id()); }));
    EXPECT_TRUE(desktop().PostMessage(window.id(), WM_SYSCOMMAND, SC_RESTORE, 0));
    EXPECT_TRUE(WaitUntil([&] { return !Maximized(window.id()); }));
}

TEST_F(X11DesktopTest, CloseMessagesCloseRealWindows) {
    TestWindow byClose("tavrel close target");
    TestWindow bySysCommand("tavrel syscommand close target");
    ASSERT_TRUE(WaitUntil([&] { return Listed(byClose) && Listed(bySysCommand); }));
    EXPECT_TRUE(desktop().PostMessage(byClose.id(), WM_CLOSE, 0, 0));
    // The low four bits of a system command do not matter.
    EXPECT_TRUE(desktop().PostMessage(bySysCommand.id(), WM_SYSCOMMAND, SC_CLOSE | 2, 0));
    for (TestWindow* window : {&byClose, &bySysCommand}) {
        EXPECT_TRUE(window->WaitFor([](const WindowRecords& r) { return r.destroyed; }));
        EXPECT_TRUE(window->records().closeRequested);
    }
    EXPECT_FALSE(desktop().PostMessage(byClose.id(), WM_CLOSE, 0, 0));
}

TEST_F(X11DesktopTest, KeyMessagesReachTheWindowTheyArePostedTo) {
    TestWindow focused("tavrel focused window");
    TestWindow target("tavrel key message target");
    Activate(focused);
    EXPECT_TRUE(desktop().PostMessage(target.id(), WM_KEYDOWN, 'Q', 0));
    EXPECT_TRUE(desktop().PostMessage(target.id(), WM_KEYUP, 'Q', 0));
    EXPECT_TRUE(desktop().PostMessage(target.id(), WM_CHAR, '#', 0));
    ASSERT_TRUE(target.WaitFor([](const WindowRecords& r) { return r.keys.size() >= 4; }));
    const auto keys = target.records().keys;
    EXPECT_TRUE(
        std::all_of(keys.begin(), keys.end(), [](const KeyRecord& k) { return k.synthetic; }));
    EXPECT_EQ(target.records().pressedKeysyms(), (std::vector<unsigned long>{XK_q, XK_numbersign}));
    EXPECT_FALSE(keys[0].press == keys[1].press);
    EXPECT_TRUE(focused.records().keys.empty());
    // A character no key of the layout produces cannot be sent as a key.
    EXPECT_FALSE(desktop().PostMessage(target.id(), WM_CHAR, 0xE9, 0));
}

TEST_F(X11DesktopTest, OtherMessagesArriveAsClientMessages) {
    TestWindow window("tavrel message target");
    ASSERT_TRUE(WaitUntil([&] { return Listed(window); }));
    EXPECT_TRUE(desktop().PostMessage(window.id(), 0x0400 + 7, 0x1234, 0xABCDEF));
    ASSERT_TRUE(window.WaitFor([](const WindowRecords& r) { return !r.messages.empty(); }));
    const ClientMessageRecord message = window.records().messages.front();
    EXPECT_EQ(message.type, "_TAVREL_MESSAGE");
    EXPECT_EQ(message.data[0], 0x0407);
    EXPECT_EQ(message.data[1], 0x1234);
    EXPECT_EQ(message.data[2], 0xABCDEF);
}

TEST_F(X11DesktopTest, VanishedWindowsCauseNoHarm) {
    auto window = std::make_unique<TestWindow>("tavrel vanishing window");
    ASSERT_TRUE(WaitUntil([&] { return Listed(*window); }));
    const WindowHandle gone = window->id();
    window.reset();

    EXPECT_EQ(desktop().GetWindowText(gone), "");
    EXPECT_FALSE(desktop().IsIconic(gone));
    desktop().RaiseAndActivate(gone);
    desktop().RestoreWindow(gone);
    for (std::uint32_t message : {WM_CLOSE, WM_KEYDOWN, WM_CHAR, WM_SYSCOMMAND, 0x0401u}) {
        EXPECT_FALSE(desktop().PostMessage(gone, message, SC_MINIMIZE, 0)) << message;
    }
    for (WindowHandle listed : desktop().TopLevelWindows()) {
        desktop().GetWindowText(listed);
    }
    backend_->sound().Beep();
    EXPECT_EQ(desktop().FindWindow("tavrel vanishing window"), kNoWindow);
}

}  // namespace
}  // namespace tavrel::test
