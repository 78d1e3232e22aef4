// The real tavrel program on a Wayland desktop (headless sway, mutter or KWin,
// no X display for it): its window on Qt's Wayland platform, and presses from
// the simulated receiver carried out in a real Wayland client through the
// desktop's way in for keys and the pointer (sway's virtual keyboard and
// pointer, GNOME's remote desktop, KWin's fake input) and its window list
// (sway's foreign toplevels, KWin's window management; GNOME has none).
// A button whose command has variants types what the variant for the active
// window's app id says.
#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <algorithm>
#include <string>
#include <vector>

#include <filesystem>
#include <fstream>

#include <thread>

#include "app/focus_moves.h"
#include "irsim_process.h"
#include "platform/plasma/plasma_backend.h"
#include "platform/wayland/wayland_backend.h"
#include "platform/wayland/wayland_desktop.h"
#include "program_process.h"
#include "temp_dir.h"
#include "variant_commands.h"
#include "wayland_test_window.h"

namespace tavrel::testing {
namespace {

using test::WaitUntil;
using test::WindowRecords;

constexpr char kTarget[] = "Tavrel wayland target";

struct Command {
    const char* name;
    const char* code;  // what irsim presses; the learned code is it twice
    std::string action;
};

// Each press runs one command; all but the close go to the target window.
const std::vector<Command> kCommands = {
    {"Text", "112233",
     "\xA1SendKeys\xA1NNNNcaf\xE9 Gr\xFC\xDF"
     "e \x80"},
    {"Shortcut", "445566",
     "\xA1SendKeys\xA1"
     "ACNNt"},
    {"Right", "778899", "\xA1RatonClick\xA1NCursorNR"},
    {"Click", "AABBCC", "\xA1RatonClick\xA1LCursorNN"},
    {"Minimise", "DDEEFF", "\xA1PostMessage\xA1WM_SYSCOMMANDwParamF020lParam0"},
    {"Close", "F0E0D0", "\xA1PostMessage\xA1WM_CLOSEwParam0lParam0"},
};

std::string CommandsFile() {
    std::string file = "[Config]\r\nPuerto=2\r\nTolerance=5\r\nNumComandos=" +
                       std::to_string(kCommands.size() + 1) + "\r\n[Comandos]\r\n1=Desk\r\n";
    for (std::size_t i = 0; i < kCommands.size(); ++i) {
        file += std::to_string(i + 2) + "=" + kCommands[i].name + "\r\n";
    }
    file += "[1]\r\nLevel=0\r\n";
    for (std::size_t i = 0; i < kCommands.size(); ++i) {
        file += "[" + std::to_string(i + 2) + "]\r\nLevel=1\r\nCodigo=" + kCommands[i].code +
                kCommands[i].code + "\r\nTargetWindow=wayland target\r\n0=" + kCommands[i].action +
                "\r\n";
    }
    return file;
}

std::string Compositor() {
    const char* compositor = std::getenv("TAVREL_COMPOSITOR");
    return compositor != nullptr ? compositor : "sway";
}

// KWin lets a program use its fake input and window list once an installed
// desktop file names its executable, as the package's menu entry does.
void InstallForKwin(const std::string& executable) {
    const char* applications = std::getenv("TAVREL_KWIN_APPLICATIONS");
    ASSERT_NE(applications, nullptr) << "run under scripts/waystack --kwin";
    std::ofstream(std::string(applications) + "/tavrel-under-test.desktop")
        << "[Desktop Entry]\nType=Application\nName=Tavrel\nExec=" << executable
        << "\nX-KDE-Wayland-Interfaces=org_kde_kwin_fake_input,org_kde_plasma_window_management\n";
}

class ProgramOnWayland : public test::WaylandTest {
protected:
    void SetUp() override {
        test::WaylandTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        // Before KWin is first asked (by the watcher below): it reads its
        // desktop files again only a while after.
        if (Compositor() == "kwin") {
            InstallForKwin(dir.file("tavrel"));
        }
        // The test's own view of the windows; GNOME lets it see none.
        if (Compositor() != "mutter") {
            DesktopBackendOpen opened =
                Compositor() == "kwin" ? PlasmaBackend::Open({}) : WaylandBackend::Open({});
            ASSERT_NE(opened.backend, nullptr) << opened.problem;
            watcher = std::move(opened.backend);
            desktop = Compositor() == "kwin"
                          ? &static_cast<PlasmaBackend&>(*watcher).waylandDesktop()
                          : &static_cast<WaylandBackend&>(*watcher).waylandDesktop();
        }
        irsim = std::make_unique<IrsimProcess>(IrsimOptions{.linkPath = dir.file("ttyIR")});
        ASSERT_TRUE(irsim->started());
        dir.put("tavrel.ini", "[Files]\r\nLogFile=" + dir.file("tavrel.log") +
                                  "\r\n\r\n[Config]\r\narranque=1\r\n\r\n[Ports]\r\nCOM2=" +
                                  dir.file("ttyIR") + "\r\n");
        dir.put("vorkumel.ini", commandsFile());
        program = std::make_unique<ProgramProcess>(dir.path());
        std::vector<std::string> environment = {
            "TAVREL_TRACE=1", "DISPLAY", "XDG_SESSION_TYPE=wayland",
            // Qt's Wayland platform leaves its registry objects to the end
            // of the process: leaks are looked for in the contract tests.
            "ASAN_OPTIONS=detect_leaks=0:strict_string_checks=0",
            std::string("WAYLAND_DISPLAY=") + std::getenv("WAYLAND_DISPLAY")};
        // GNOME's remote desktop is on the desktop's own session bus.
        if (const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
            bus != nullptr && Compositor() != "sway") {
            environment.push_back(std::string("DBUS_SESSION_BUS_ADDRESS=") + bus);
        }
        ASSERT_TRUE(program->start({}, environment));
    }

    void TearDown() override {
        if (program) {
            EXPECT_EQ(program->terminate(), 0) << program->output();
        }
        if (irsim) {
            irsim->closeInput();
            irsim->waitExit();
        }
    }

    virtual std::string commandsFile() const { return CommandsFile(); }

    void Press(const char* code) { irsim->send(std::string("wait 300\npress ") + code + "\n"); }

    bool LogHas(const std::string& name) {
        return WaitUntil([&] {
            return dir.get("tavrel.log").find("Desk," + name + "\r\n") != std::string::npos;
        });
    }

    // The window listed with this title, as the compositor tells it.
    WindowHandle Listed(const std::string& title) {
        WindowHandle found = kNoWindow;
        WaitUntil([&] { return (found = desktop->FindWindow(title)) != kNoWindow; },
                  std::chrono::seconds(20));
        return found;
    }

    TempDir dir;
    std::unique_ptr<DesktopBackend> watcher;  // the test's own view of the windows
    WaylandDesktop* desktop = nullptr;        // its windows; null on GNOME
    std::unique_ptr<IrsimProcess> irsim;
    std::unique_ptr<ProgramProcess> program;
};

TEST_F(ProgramOnWayland, PressesTypePointAndPostIntoAWaylandClient) {
    ASSERT_TRUE(irsim->waitUntil([&] { return irsim->events("rx").size() >= 2; }, 20000))
        << program->output();
    const std::string compositor = Compositor();
    const std::string chosen = compositor == "mutter" ? "gnome"
                               : compositor == "kwin" ? "plasma"
                                                      : "wayland";
    ASSERT_TRUE(WaitUntil([&] {
        return program->output().find("desktop: chose " + chosen) != std::string::npos;
    })) << program->output();
    // The program's window is a Wayland window of its own (on XWayland its
    // app id would be its X class).
    WindowHandle own = kNoWindow;
    if (desktop != nullptr) {
        own = Listed("Tavrel 3.0 (Activated - COM2)");
        ASSERT_NE(own, kNoWindow) << program->output();
        EXPECT_EQ(desktop->AppId(own), "org.tavrel.Tavrel");
    }

    // Another window has the focus: the destination comes forward. Without a
    // window list (GNOME) the keys go where the focus is: to the target,
    // the newest window.
    std::unique_ptr<test::WaylandTestWindow> other;
    WindowHandle otherId = kNoWindow;
    if (desktop != nullptr) {
        other = std::make_unique<test::WaylandTestWindow>("Tavrel wayland other");
        otherId = Listed("Tavrel wayland other");
    }
    test::WaylandTestWindow target(kTarget);
    // A new window takes the focus once it is shown: only after that does
    // the other one come forward, or the target would take it back.
    ASSERT_TRUE(target.WaitFor([](const WindowRecords& r) { return r.focused; }));
    if (desktop != nullptr) {
        ASSERT_NE(Listed(kTarget), kNoWindow);
        desktop->RaiseAndActivate(otherId);
        ASSERT_TRUE(WaitUntil([&] { return desktop->GetForegroundWindow() == otherId; }));
    }

    Press(kCommands[0].code);
    ASSERT_TRUE(LogHas("Text")) << program->output();
    const std::vector<unsigned long> expected = {
        XKB_KEY_c,      XKB_KEY_a, XKB_KEY_f,     XKB_KEY_eacute,
        XKB_KEY_space,  XKB_KEY_G, XKB_KEY_r,     XKB_KEY_udiaeresis,
        XKB_KEY_ssharp, XKB_KEY_e, XKB_KEY_space, XKB_KEY_EuroSign};
    const auto typed = [](const WindowRecords& r) {
        std::vector<unsigned long> keysyms;
        for (const auto& key : r.keys) {
            if (key.press && key.typed != XKB_KEY_NoSymbol && key.typed != XKB_KEY_Shift_L &&
                key.typed != XKB_KEY_ISO_Level3_Shift) {
                keysyms.push_back(key.typed);
            }
        }
        return keysyms;
    };
    EXPECT_TRUE(target.WaitFor([&](const WindowRecords& r) { return typed(r) == expected; }))
        << ::testing::PrintToString(typed(target.records())) << program->output();
    // The window that had the focus has it back.
    if (desktop != nullptr) {
        EXPECT_TRUE(WaitUntil([&] { return desktop->GetForegroundWindow() == otherId; }))
            << "the active window is \"" << desktop->GetWindowText(desktop->GetForegroundWindow())
            << "\"" << program->output();
    }

    target.ClearRecords();
    Press(kCommands[1].code);
    ASSERT_TRUE(target.WaitFor([&](const WindowRecords& r) {
        return std::any_of(r.keys.begin(), r.keys.end(), [](const test::KeyRecord& k) {
            return k.press && k.typed == XKB_KEY_t &&
                   (k.state & (test::kControlBit | test::kAltBit)) ==
                       (test::kControlBit | test::kAltBit);
        });
    })) << program->output();

    Press(kCommands[2].code);
    ASSERT_TRUE(LogHas("Right"));
    // mutter tells the move that brings the pointer over the window by the
    // enter alone; sway by the enter and a motion.
    const std::size_t seen = compositor == "mutter" ? 1 : 2;
    EXPECT_TRUE(target.WaitFor([&](const WindowRecords& r) { return r.motionX.size() >= seen; }))
        << "the pointer's move was not seen: "
        << ::testing::PrintToString(target.records().motionX);
    Press(kCommands[3].code);
    EXPECT_TRUE(target.WaitFor([](const WindowRecords& r) { return r.buttons.size() >= 2; }))
        << program->output();

    // A message goes to the window that had the focus before the destination
    // came forward. sway takes a minimise and does nothing with it: it is
    // only asked; KWin minimises.
    Press(kCommands[4].code);
    ASSERT_TRUE(LogHas("Minimise"));
    if (compositor == "kwin") {
        EXPECT_TRUE(WaitUntil([&] { return desktop->IsIconic(otherId); })) << program->output();
    }
    Press(kCommands[5].code);
    if (desktop == nullptr) {
        // GNOME lets no window be closed by another program: the trace says why.
        ASSERT_TRUE(LogHas("Close"));
        EXPECT_TRUE(WaitUntil([&] {
            return program->output().find("not posted: GNOME does not let programs") !=
                   std::string::npos;
        })) << program->output();
        return;
    }
    EXPECT_TRUE(target.WaitFor([](const WindowRecords& r) { return r.closeRequested; }))
        << program->output();
    EXPECT_EQ(program->output().find("not posted"), std::string::npos) << program->output();

    // Without a tray, coming back to the program's window is the way back to
    // editing: a press then only selects its command. (KWin minimises the
    // window, which Plasma's own tray would hide instead.)
    if (compositor != "sway") {
        return;
    }
    // The user comes back a while after the last press: a move of the focus
    // right after one is the desktop's answer to what the command did.
    std::this_thread::sleep_for(FocusMovesWatch::kHandOver);
    desktop->RaiseAndActivate(own);
    const std::string logged = dir.get("tavrel.log");
    Press(kCommands[0].code);
    EXPECT_TRUE(WaitUntil([&] {
        const std::string out = program->output();
        return out.find("recognised \"Desk/Text\"") != out.rfind("recognised \"Desk/Text\"");
    })) << program->output();
    EXPECT_EQ(dir.get("tavrel.log"), logged);
}

// sway shows the window of a program in running mode without a tray (it
// ignores the minimise), so the window can get the focus back.
class ProgramOnSway : public ProgramOnWayland {
protected:
    void SetUp() override {
        if (Compositor() != "sway") {
            GTEST_SKIP() << "only sway hands the focus to a minimised window";
        }
        ProgramOnWayland::SetUp();
    }
};

// Without a tray, the compositor hands the focus on when the remote closes
// the active window, perhaps to the program's own: that is no user coming
// back to it, and running mode goes on.
TEST_F(ProgramOnSway, TheFocusHandedBackByAClosedWindowLeavesRunningModeAsItWas) {
    ASSERT_TRUE(irsim->waitUntil([&] { return irsim->events("rx").size() >= 2; }, 20000))
        << program->output();
    // The program starts in running mode; its window, shown for want of a
    // tray, had the focus last before the target came.
    const WindowHandle own = Listed("Tavrel 3.0 (Activated - COM2)");
    ASSERT_NE(own, kNoWindow) << program->output();
    ASSERT_TRUE(WaitUntil([&] { return desktop->GetForegroundWindow() == own; }));
    auto target = std::make_unique<test::WaylandTestWindow>(kTarget);
    ASSERT_TRUE(target->WaitFor([](const WindowRecords& r) { return r.focused; }));

    Press(kCommands[5].code);
    ASSERT_TRUE(target->WaitFor([](const WindowRecords& r) { return r.closeRequested; }))
        << program->output();
    ASSERT_TRUE(WaitUntil([&] { return desktop->GetForegroundWindow() == own; }))
        << "the compositor handed the focus elsewhere";
    Press(kCommands[2].code);
    EXPECT_TRUE(LogHas("Right")) << "the press ran in editing mode" << program->output();
}

// One button, the command's variant for the app id of the active window.
class VariantsOnWayland : public ProgramOnWayland {
protected:
    void SetUp() override {
        if (Compositor() != "sway") {
            GTEST_SKIP() << "the active application is told by sway's foreign toplevels";
        }
        ProgramOnWayland::SetUp();
    }
    std::string commandsFile() const override { return VariantCommandsFile(); }
};

TEST_F(VariantsOnWayland, OneButtonTypesWhatTheActiveApplicationsVariantSays) {
    ASSERT_TRUE(irsim->waitUntil([&] { return irsim->events("rx").size() >= 2; }, 20000))
        << program->output();
    test::WaylandTestWindow browser("tavrel browser", "TavrelBrowser");
    test::WaylandTestWindow player("tavrel player", "TavrelPlayer");
    test::WaylandTestWindow other("tavrel other", "org.tavrel.Other");
    const struct {
        test::WaylandTestWindow* window;
        const char* title;
        unsigned long keysym;
    } turns[] = {{&browser, "tavrel browser", XKB_KEY_k},
                 {&player, "tavrel player", XKB_KEY_space},
                 {&other, "tavrel other", XKB_KEY_d},
                 {&browser, "tavrel browser", XKB_KEY_k}};
    // All three on screen first: sway gives a window the focus as it maps.
    for (const auto& turn : turns) {
        ASSERT_NE(Listed(turn.title), kNoWindow);
    }
    ASSERT_TRUE(other.WaitFor([](const WindowRecords& r) { return r.focused; }));
    std::string log;
    for (const auto& turn : turns) {
        const WindowHandle id = Listed(turn.title);
        desktop->RaiseAndActivate(id);
        ASSERT_TRUE(WaitUntil([&] { return desktop->GetForegroundWindow() == id; }));
        ASSERT_TRUE(turn.window->WaitFor([](const WindowRecords& r) { return r.focused; }));
        PressTypes(*irsim, *program, dir, log, *turn.window, turn.keysym);
    }
}

}  // namespace
}  // namespace tavrel::testing
