// Starting the real program: the options answered before any X connection, a
// start without an X display, and a second start on the same display.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

#include "program_process.h"
#include "temp_dir.h"
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
         "tavrel: Tavrel needs an X display, and none could be opened (DISPLAY is not set)"},
        {{},
         {"DISPLAY=:9876"},
         1,
         "tavrel: Tavrel needs an X display, and none could be opened (DISPLAY is \":9876\")"},
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

}  // namespace
}  // namespace tavrel::testing
