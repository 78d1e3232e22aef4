// tavrel --demo: its simulated receiver's command line, and the run
// directories a killed demo leaves behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "client_records.h"
#include "program_process.h"
#include "temp_dir.h"

namespace tavrel::testing {
namespace {

using test::WaitUntil;

// A program directory holding the program and, beside it, the simulated
// receiver the demo starts.
struct DemoProgram {
    TempDir dir;
    ProgramProcess program{dir.path()};

    // Returns once the window is up, when SIGTERM ends the demo cleanly.
    bool start(const std::string& runtime) {
        std::error_code error;
        std::filesystem::create_symlink(TAVREL_IRSIM_PATH, dir.file("tavrel-irsim"), error);
        return program.start({"--demo"}, {"XDG_RUNTIME_DIR=" + runtime}) &&
               WaitUntil(
                   [this] {
                       return !FindWindows("--onlyvisible --pid " + std::to_string(program.pid()))
                                   .empty();
                   },
                   std::chrono::seconds(20));
    }
};

std::set<std::string> DemoDirectories(const std::string& runtime) {
    std::set<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(runtime)) {
        if (entry.path().filename().string().rfind("tavrel-demo.", 0) == 0) {
            found.insert(entry.path().string());
        }
    }
    return found;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A demo killed with SIGKILL cannot remove its directory: the next demo
// does, and leaves alone the directory of a demo that still runs.
TEST(Demo, NextDemoClearsTheDirectoryOfAKilledOneButNotOfALiveOne) {
    TempDir runtime;
    chmod(runtime.path().c_str(), 0700);
    DemoProgram killed;
    ASSERT_TRUE(killed.start(runtime.path())) << killed.program.output();
    const std::set<std::string> left = DemoDirectories(runtime.path());
    ASSERT_EQ(left.size(), 1U);
    kill(killed.program.pid(), SIGKILL);
    killed.program.wait();
    ASSERT_EQ(DemoDirectories(runtime.path()), left);

    DemoProgram live;
    ASSERT_TRUE(live.start(runtime.path())) << live.program.output();
    std::set<std::string> running = DemoDirectories(runtime.path());
    ASSERT_EQ(running.size(), 1U);
    EXPECT_EQ(left.count(*running.begin()), 0U) << "the killed demo's directory is still there";

    DemoProgram beside;
    ASSERT_TRUE(beside.start(runtime.path())) << beside.program.output();
    const std::set<std::string> both = DemoDirectories(runtime.path());
    EXPECT_EQ(both.size(), 2U);
    EXPECT_EQ(both.count(*running.begin()), 1U) << "a live demo's directory was removed";

    // The receiver's script is not on its command line, which anyone may read.
    const std::string children = ReadAll("/proc/" + std::to_string(live.program.pid()) + "/task/" +
                                         std::to_string(live.program.pid()) + "/children");
    ASSERT_FALSE(children.empty());
    const std::string receiver = children.substr(0, children.find(' '));
    EXPECT_LT(ReadAll("/proc/" + receiver + "/cmdline").size(), 1024U);

    EXPECT_NE(beside.program.terminate(), -1);
    EXPECT_NE(live.program.terminate(), -1);
    EXPECT_TRUE(DemoDirectories(runtime.path()).empty());
}

}  // namespace
}  // namespace tavrel::testing
