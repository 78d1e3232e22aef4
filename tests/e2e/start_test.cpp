// Starting the real program: the options answered before any X connection, a
// start without an X display, and a second start on the same display.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

#include "daemon_stand_in.h"
#include "program_process.h"
#include "temp_dir.h"
#include "window_answers.h"
#include "x11_backend_fixture.h"

namespace tavrel::testing {
namespace {

using test::WaitUntil;

int ExitCode(int status) {
    return status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ProgramStart, OptionsAndAMissingDisplayAreAnsweredOnOneLine) {
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> environment;
        int exitCode;
        std::string output;  // the start of what it prints
    };
    const std::vector<Case> cases = {
        {{"--version"},
         {"DISPLAY"},
         0,
         "Tavrel 3.0\nTavrel is free software under the GNU General Public License, version 3 or "
         "later.\n"},
        {{"--help"}, {"DISPLAY"}, 0, "Usage: tavrel [--demo | --help | --version]\n"},
        {{},
         {"DISPLAY"},
         1,
         "tavrel: Tavrel needs a Wayland or X display, and none could be opened (WAYLAND_DISPLAY "
         "is not set, DISPLAY is not set)"},
        {{},
         {"DISPLAY=:9876"},
         1,
         "tavrel: Tavrel needs a Wayland or X display, and none could be opened (WAYLAND_DISPLAY "
         "is not set, DISPLAY is \":9876\")"},
        // The arguments are checked before the display is needed.
        {{"--bogus"}, {"DISPLAY"}, 2, "tavrel: unknown argument \"--bogus\"; try tavrel --help\n"},
        {{"--demo", "-x"}, {"DISPLAY"}, 2, "tavrel: unknown argument \"-x\""},
    };
    for (const Case& c : cases) {
        TempDir dir;
        ProgramProcess program(dir.path());
        ASSERT_TRUE(program.start(c.arguments, c.environment));
        const int status = program.wait();
        const std::string output = program.output();
        EXPECT_EQ(ExitCode(status), c.exitCode) << output;
        EXPECT_EQ(output.substr(0, c.output.size()), c.output);
        if (c.exitCode != 0) {
            EXPECT_EQ(output.find('\n'), output.size() - 1) << output;
        }
    }
}

class SecondStart : public test::X11BackendTest {};

TEST_F(SecondStart, BringsTheRunningWindowBackFromTheTrayAndEnds) {
    TempDir first;
    TempDir second;
    // Load minimized: the first one goes straight to the tray.
    first.put("tavrel.ini", "[Config]\r\nArranque=1\r\n");
    ProgramProcess running(first.path());
    ASSERT_TRUE(running.start());
    ASSERT_TRUE(WaitUntil([] { return FindWindows("--onlyvisible --class tavrel").size() == 1; },
                          std::chrono::seconds(20)))
        << running.output();
    ASSERT_TRUE(FindWindows("--onlyvisible --name '^Tavrel'").empty());

    ProgramProcess later(second.path());
    ASSERT_TRUE(later.start({"-platform", "xcb"}));
    EXPECT_EQ(ExitCode(later.wait(20000)), 0) << later.output();
    EXPECT_NE(later.output().find("already runs"), std::string::npos) << later.output();
    EXPECT_FALSE(std::filesystem::exists(second.file("tavrel.ini")));

    EXPECT_TRUE(WaitUntil([] { return FindWindows("--onlyvisible --name '^Tavrel'").size() == 1; }))
        << running.output();
    EXPECT_EQ(ExitCode(running.terminate()), 0) << running.output();
}

// A start with "Load minimized" saves both files; at the start after that,
// as at every login, the files already hold what it would write and are not
// touched: same bytes, same inode, same modification time.
class StartUpSave : public test::X11BackendTest {};

TEST_F(StartUpSave, WritesChangedFilesAndLeavesUpToDateOnesUntouched) {
    struct Stamp {
        ino_t inode = 0;
        timespec modified{};
        std::string bytes;
        bool operator==(const Stamp& o) const {
            return inode == o.inode && modified.tv_sec == o.modified.tv_sec &&
                   modified.tv_nsec == o.modified.tv_nsec && bytes == o.bytes;
        }
    };
    TempDir dir;
    const auto stamp = [&](const std::string& name) {
        struct stat st {};
        EXPECT_EQ(::stat(dir.file(name).c_str(), &st), 0) << name;
        return Stamp{st.st_ino, st.st_mtim, dir.get(name)};
    };
    const auto startAndEnd = [&] {
        ProgramProcess program(dir.path());
        ASSERT_TRUE(program.start());
        ASSERT_TRUE(
            WaitUntil([] { return FindWindows("--onlyvisible --class tavrel").size() == 1; },
                      std::chrono::seconds(20)))
            << program.output();
        EXPECT_EQ(ExitCode(program.terminate()), 0) << program.output();
    };
    // Files as a hand editor leaves them: line ends and keys the program
    // writes differently.
    dir.put("tavrel.ini", "[Config]\nArranque=1\n");
    dir.put("vorkumel.ini", "[Config]\nNumComandos=0\n");
    const Stamp handEdited = stamp("vorkumel.ini");

    startAndEnd();
    const Stamp settings = stamp("tavrel.ini");
    const Stamp commands = stamp("vorkumel.ini");
    EXPECT_NE(commands.bytes, handEdited.bytes);
    EXPECT_NE(settings.bytes, "[Config]\nArranque=1\n");

    startAndEnd();
    EXPECT_TRUE(stamp("tavrel.ini") == settings);
    EXPECT_TRUE(stamp("vorkumel.ini") == commands);
}

// SIGTERM (what a log-off sends) ends the program at once, without saving,
// whatever box is open: the port's box when the receiver is missing at a
// start, before the message loop runs, or a box opened from the menu while it
// runs.
class EndWithABoxOpen : public test::X11BackendTest {};

TEST_F(EndWithABoxOpen, SigtermEndsTheProgramAtOnce) {
    struct Case {
        const char* what;
        const char* keys;  // typed into the main window to open the box
        const char* box;   // its title
    };
    const Case cases[] = {
        {"the port box at start-up", "", "Serial port conflict"},  // editing mode
        {"the about box", "alt+h a", "About Tavrel"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const bool portBox = *c.keys == '\0';
        // COM2 on a device that is not there; a file with entries opens the
        // port when it is loaded, and the failure is reported.
        dir.put("tavrel.ini", std::string("[Config]\r\nArranque=0\r\n[Ports]\r\nCOM2=") +
                                  dir.file("gone") + "\r\n");
        dir.put("vorkumel.ini", portBox ? "[Config]\r\nPuerto=2\r\nNumComandos=1\r\n"
                                          "[Comandos]\r\n1=TV\r\n[1]\r\nLevel=0\r\n"
                                        : "[Config]\r\nNumComandos=0\r\n");
        const std::string settings = dir.get("tavrel.ini");
        const std::string commands = dir.get("vorkumel.ini");
        ProgramProcess program(dir.path());
        ASSERT_TRUE(program.start());
        if (!portBox) {
            std::vector<std::string> main;
            ASSERT_TRUE(WaitUntil(
                [&] { return !(main = FindWindows("--onlyvisible --name '^Tavrel'")).empty(); },
                std::chrono::seconds(20)))
                << program.output();
            RunCommand("xdotool windowactivate --sync " + main[0] + " key --delay 100 " + c.keys);
        }
        ASSERT_TRUE(WaitUntil(
            [&] {
                return !FindWindows(std::string("--onlyvisible --name '^") + c.box + "'").empty();
            },
            std::chrono::seconds(20)))
            << program.output();
        EXPECT_EQ(ExitCode(program.terminate(5000)), 0) << program.output();
        // Ended, not saved.
        EXPECT_EQ(dir.get("tavrel.ini"), settings);
        EXPECT_EQ(dir.get("vorkumel.ini"), commands);
    }
}

// What the desktop does not allow is said at a start with Load minimized
// without holding it up: the receiver opens (and commands would run) while
// it is shown, nowhere that takes the focus, and SIGTERM ends the program as
// at any other time.
TEST(ProgramStart, TheDesktopsLimitsHoldUpNothing) {
    TempDir dir;
    DaemonStandIn daemon(dir.file("lircd"), DaemonStandIn::Behaviour::Silent);
    PutDaemonPrograms(dir, "lircd:" + dir.file("lircd"), true);
    ProgramProcess program(dir.path());
    ASSERT_TRUE(program.start({}, {"TAVREL_TRACE=1", "TAVREL_INPUT=nothing"}));
    EXPECT_TRUE(WaitUntil([&] { return daemon.connections() > 0; }, std::chrono::seconds(20)))
        << program.output();
    EXPECT_TRUE(FindWindows("--onlyvisible --name '^Tavrel$'").empty());
    EXPECT_EQ(ExitCode(program.terminate(5000)), 0) << program.output();
}

}  // namespace
}  // namespace tavrel::testing
