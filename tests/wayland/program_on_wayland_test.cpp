// The real tavrel program on a Wayland desktop (headless sway, no X display
// for it): its window on Qt's Wayland platform, and presses from the
// simulated receiver carried out in a real Wayland client through the
// compositor's virtual keyboard and pointer and its window list; a button
// whose command has variants for the app ids of the windows activated.
#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <algorithm>
#include <string>
#include <vector>

#include "irsim_process.h"
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

class ProgramOnWayland : public test::WaylandTest {
protected:
    void SetUp() override {
        test::WaylandTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        DesktopBackendOpen opened = WaylandBackend::Open({});
        ASSERT_NE(opened.backend, nullptr) << opened.problem;
        watcher = std::move(opened.backend);
        irsim = std::make_unique<IrsimProcess>(IrsimOptions{.linkPath = dir.file("ttyIR")});
        ASSERT_TRUE(irsim->started());
        dir.put("tavrel.ini", "[Files]\r\nLogFile=" + dir.file("tavrel.log") +
                                  "\r\n\r\n[Config]\r\narranque=1\r\n\r\n[Ports]\r\nCOM2=" +
                                  dir.file("ttyIR") + "\r\n");
        dir.put("vorkumel.ini", commandsFile());
        program = std::make_unique<ProgramProcess>(dir.path());
        ASSERT_TRUE(
            // Qt's Wayland platform leaves its registry objects to the end
            // of the process: leaks are looked for in the contract tests.
            program->start({}, {"TAVREL_TRACE=1", "DISPLAY", "XDG_SESSION_TYPE=wayland",
                                "ASAN_OPTIONS=detect_leaks=0:strict_string_checks=0",
                                std::string("WAYLAND_DISPLAY=") + std::getenv("WAYLAND_DISPLAY")}));
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
        WaitUntil([&] { return (found = watcher->desktop().FindWindow(title)) != kNoWindow; },
                  std::chrono::seconds(20));
        return found;
    }

    TempDir dir;
    std::unique_ptr<DesktopBackend> watcher;  // the test's own view of the windows
    std::unique_ptr<IrsimProcess> irsim;
    std::unique_ptr<ProgramProcess> program;
};

TEST_F(ProgramOnWayland, PressesTypePointAndPostIntoAWaylandClient) {
    // The program's window is a Wayland window of its own (on XWayland its
    // app id would be its X class).
    ASSERT_TRUE(irsim->waitUntil([&] { return irsim->events("rx").size() >= 2; }, 20000))
        << program->output();
    const WindowHandle own = Listed("Tavrel 3.0 (Activated - COM2)");
    ASSERT_NE(own, kNoWindow) << program->output();
    auto& desktop = static_cast<WaylandBackend&>(*watcher).waylandDesktop();
    EXPECT_EQ(desktop.AppId(own), "org.tavrel.Tavrel");

    test::WaylandTestWindow target(kTarget);
    const WindowHandle targetId = Listed(kTarget);
    ASSERT_NE(targetId, kNoWindow);
    // Another window has the focus: the destination comes forward.
    test::WaylandTestWindow other("Tavrel wayland other");
    const WindowHandle otherId = Listed("Tavrel wayland other");
    desktop.RaiseAndActivate(otherId);
    ASSERT_TRUE(WaitUntil([&] { return desktop.GetForegroundWindow() == otherId; }));

    Press(kCommands[0].code);
    ASSERT_TRUE(LogHas("Text")) << program->output();
    const std::vector<unsigned long> expected = {
        XKB_KEY_c,      XKB_KEY_a, XKB_KEY_f,     XKB_KEY_eacute,
        XKB_KEY_space,  XKB_KEY_G, XKB_KEY_r,     XKB_KEY_udiaeresis,
        XKB_KEY_ssharp, XKB_KEY_e, XKB_KEY_space, XKB_KEY_EuroSign};
    const auto typed = [](const WindowRecords& r) {
        std::vector<unsigned long> keysyms;
        for (const auto& key : r.keys) {
            if (key.press && key.typed != XKB_KEY_Shift_L) {
                keysyms.push_back(key.typed);
            }
        }
        return keysyms;
    };
    EXPECT_TRUE(target.WaitFor([&](const WindowRecords& r) { return typed(r) == expected; }))
        << ::testing::PrintToString(typed(target.records())) << program->output();
    // The window that had the focus has it back.
    EXPECT_TRUE(WaitUntil([&] { return desktop.GetForegroundWindow() == otherId; }));

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
    EXPECT_TRUE(target.WaitFor([](const WindowRecords& r) { return r.motionX.size() >= 2; }))
        << "the pointer's move was not seen";
    Press(kCommands[3].code);
    EXPECT_TRUE(target.WaitFor([](const WindowRecords& r) { return r.buttons.size() >= 2; }))
        << program->output();

    // sway takes a minimise and does nothing with it: it is only asked.
    Press(kCommands[4].code);
    ASSERT_TRUE(LogHas("Minimise"));
    Press(kCommands[5].code);
    EXPECT_TRUE(target.WaitFor([](const WindowRecords& r) { return r.closeRequested; }))
        << program->output();
    EXPECT_EQ(program->output().find("not posted"), std::string::npos) << program->output();
    EXPECT_NE(program->output().find("desktop: chose wayland"), std::string::npos)
        << program->output();

    // Without a tray, coming back to the program's window is the way back to
    // editing: a press then only selects its command.
    desktop.RaiseAndActivate(own);
    const std::string logged = dir.get("tavrel.log");
    Press(kCommands[0].code);
    EXPECT_TRUE(WaitUntil([&] {
        const std::string out = program->output();
        return out.find("recognised \"Desk/Text\"") != out.rfind("recognised \"Desk/Text\"");
    })) << program->output();
    EXPECT_EQ(dir.get("tavrel.log"), logged);
}

// One button, the command's variant for the app id of the active window.
class VariantsOnWayland : public ProgramOnWayland {
protected:
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
    Desktop& desktop = watcher->desktop();
    std::string log;
    for (const auto& turn : turns) {
        const WindowHandle id = Listed(turn.title);
        desktop.RaiseAndActivate(id);
        ASSERT_TRUE(WaitUntil([&] { return desktop.GetForegroundWindow() == id; }));
        ASSERT_TRUE(turn.window->WaitFor([](const WindowRecords& r) { return r.focused; }));
        PressTypes(*irsim, *program, dir, log, *turn.window, turn.keysym);
    }
}

}  // namespace
}  // namespace tavrel::testing
