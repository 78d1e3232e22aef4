// Save/Run killed at random moments: each file is always the whole old or the
// whole new version, and a scratch file left behind is never read as data.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "child_process.h"
#include "platform/posix/posix_file_system.h"
#include "save_versions.h"
#include "temp_dir.h"

namespace tavrel {
namespace {

// Starts the save loop as loop and returns its pid once it is about to save,
// -1 when it never said so (loop then kills and reaps it when it goes).
pid_t StartSaveLoop(const std::string& dir, testing::ChildProcess& loop) {
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) {
        return -1;
    }
    const bool spawned =
        loop.start({TAVREL_SAVE_LOOP_PATH, dir}, testing::ChildStreams{.output = ready[1]});
    ::close(ready[1]);
    char line[6];
    const bool started = spawned && ::read(ready[0], line, sizeof line) == sizeof line;
    ::close(ready[0]);
    return started ? loop.pid() : -1;
}

TEST(CrashConsistency, AKilledSaveLeavesEachFileWholeOldOrWholeNew) {
    const testing::TempDir dir;
    PosixFileSystem files;
    ProgramSettingsFile settingsFile(files, dir.path());
    CommandTable table;
    SequenceSettings sequence;
    testing::SilentHost host;
    CommandsFile commands(table, sequence, host, files, settingsFile);
    std::string commandsBytes[2];
    std::string settingsBytes[2];
    for (const int version : {1, 0}) {
        ASSERT_FALSE(commands.SaveRun(testing::BuildVersion(table, version)));
        commandsBytes[version] = dir.get("vorkumel.ini");
        settingsBytes[version] = dir.get("tavrel.ini");
    }
    ASSERT_NE(commandsBytes[0], commandsBytes[1]);
    ASSERT_NE(settingsBytes[0], settingsBytes[1]);

    std::mt19937 random(14);
    int scratchLeft = 0;
    for (int kill = 0; kill < 100; ++kill) {
        testing::ChildProcess loop;
        const pid_t child = StartSaveLoop(dir.path(), loop);
        ASSERT_GT(child, 0);
        // Anywhere in the first two or three saves, which take about 12 ms each.
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 30000));
        const int status = loop.stop(SIGKILL, 10000);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the save loop stopped by itself at kill " << kill;

        const std::string saved = dir.get("vorkumel.ini");
        ASSERT_TRUE(saved == commandsBytes[0] || saved == commandsBytes[1]) << "kill " << kill;
        const std::string settings = dir.get("tavrel.ini");
        ASSERT_TRUE(settings == settingsBytes[0] || settings == settingsBytes[1])
            << "kill " << kill;
        scratchLeft += dir.scratchFiles().empty() ? 0 : 1;
        table.clear();
        ASSERT_TRUE(commands.Load().readError.empty());
        EXPECT_EQ(table.label(0), saved == commandsBytes[0] ? "Remote 0" : "Remote 1");
    }
    // Kills do land inside saves (the scratch file is there for most of one,
    // while it reaches the disk); the next save clears what one left.
    EXPECT_GT(scratchLeft, 0);
    ASSERT_FALSE(commands.SaveRun(testing::BuildVersion(table, 0)));
    EXPECT_TRUE(dir.scratchFiles().empty());
    EXPECT_EQ(dir.get("vorkumel.ini"), commandsBytes[0]);
}

}  // namespace
}  // namespace tavrel
