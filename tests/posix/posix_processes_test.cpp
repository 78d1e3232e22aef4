// Command-line splitting and real program starts: arguments, sessions,
// failures and the reaping of exited children.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/posix/posix_processes.h"
#include "temp_dir.h"

namespace tavrel {
namespace {

using Words = std::vector<std::string>;

TEST(SplitCommandLine, QuotesAndEscapes) {
    EXPECT_EQ(SplitCommandLine("  prog  a\tb "), (Words{"prog", "a", "b"}));
    EXPECT_EQ(SplitCommandLine("prog 'a  b' \"c d\" e\\ f"), (Words{"prog", "a  b", "c d", "e f"}));
    EXPECT_EQ(SplitCommandLine("prog 'it\"s' \"it's\" x'y'\"z\""),
              (Words{"prog", "it\"s", "it's", "xyz"}));
    EXPECT_EQ(SplitCommandLine(R"(prog "a\"b\\c\d" 'e\f')"),
              (Words{"prog", R"(a"b\c\d)", R"(e\f)"}));
    EXPECT_EQ(SplitCommandLine("prog '' \"\""), (Words{"prog", "", ""}));
    EXPECT_EQ(SplitCommandLine("prog $HOME * `ls` $(ls)"),
              (Words{"prog", "$HOME", "*", "`ls`", "$(ls)"}));
    EXPECT_EQ(SplitCommandLine(""), Words{});
    EXPECT_EQ(SplitCommandLine("prog 'open"), std::nullopt);
    EXPECT_EQ(SplitCommandLine("prog \"open"), std::nullopt);
}

class PosixProcessesTest : public ::testing::Test {
protected:
    // The contents of a file a started program writes, once it is complete.
    std::string WaitForFile(const std::filesystem::path& path) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            std::ifstream in(path);
            std::stringstream contents;
            contents << in.rdbuf();
            if (contents.str().ends_with("END\n")) {
                return contents.str();
            }
            poll(nullptr, 0, 5);  // poll interval
        }
        return "(never written)";
    }

    testing::TempDir scratch_;
    std::filesystem::path directory_{scratch_.path()};
    PosixProcesses processes_;
};

TEST_F(PosixProcessesTest, ArgumentsArriveAsQuotedInUtf8InANewSession) {
    // A program whose path has a blank; it reports its arguments, session and pid.
    const auto script = directory_ / "show args";
    const auto out = directory_ / "out";
    std::ofstream(script) << "#!/bin/sh\n"
                             "{ printf '%s|' \"$@\"; echo; cut -d' ' -f6 /proc/$$/stat; echo $$;"
                             " echo END; } > \"$TAVREL_TEST_OUT\"\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    setenv("TAVREL_TEST_OUT", out.c_str(), 1);
    int started = 0;
    processes_.onStarted = [&] { ++started; };
    // 0xE9 is e acute in Windows-1252; nothing is expanded, nothing redirected.
    ASSERT_TRUE(
        processes_.Start("'" + script.string() + "' \"two words\" it\\'s caf\xE9 '$HOME' > x"));
    std::istringstream lines(WaitForFile(out));
    std::string arguments, session, pid;
    std::getline(lines, arguments);
    std::getline(lines, session);
    std::getline(lines, pid);
    EXPECT_EQ(arguments, "two words|it's|caf\xC3\xA9|$HOME|>|x|");
    EXPECT_EQ(session, pid) << "not the leader of a session of its own";
    EXPECT_EQ(started, 1);
}

TEST_F(PosixProcessesTest, NothingStartsForMissingProgramsAndBadLines) {
    processes_.onStarted = [] { ADD_FAILURE() << "told of a start that failed"; };
    EXPECT_FALSE(processes_.Start("tavrel-no-such-program-anywhere --flag"));
    EXPECT_FALSE(processes_.Start((directory_ / "missing").string()));
    EXPECT_FALSE(processes_.Start(""));
    EXPECT_FALSE(processes_.Start("   "));
    EXPECT_FALSE(processes_.Start("true 'unclosed"));
    EXPECT_EQ(processes_.ReapExited(), 0u);
}

bool HasZombieChildren() {
    const std::string parent = std::to_string(getpid());
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line)) {
            continue;
        }
        // pid (comm) state ppid ...; comm may contain blanks.
        std::istringstream rest(line.substr(line.rfind(')') + 1));
        std::string state, ppid;
        rest >> state >> ppid;
        if (state == "Z" && ppid == parent) {
            return true;
        }
    }
    return false;
}

TEST_F(PosixProcessesTest, ThousandsOfStartsLeaveNoZombies) {
    {
        // Its child may still run when it is gone: somebody must collect it.
        PosixProcesses shortLived;
        ASSERT_TRUE(shortLived.Start("sleep 0.1"));
    }
    for (int i = 0; i < 2000; ++i) {
        ASSERT_TRUE(processes_.Start("true")) << i;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (processes_.ReapExited() > 0 && std::chrono::steady_clock::now() < deadline) {
        poll(nullptr, 0, 5);  // poll interval
    }
    EXPECT_EQ(processes_.ReapExited(), 0u);
    EXPECT_FALSE(HasZombieChildren());
}

}  // namespace
}  // namespace tavrel
