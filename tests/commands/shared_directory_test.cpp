// Files replaced in a directory that others write too: another user's link
// where a scratch file could go, and two writers saving at the same time.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "commands/safe_file_write.h"
#include "platform/posix/posix_file_system.h"
#include "run_as_nobody.h"
#include "temp_dir.h"

namespace tavrel {
namespace {

using testing::ChildBody;
using testing::RunAs;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Outcome(const std::optional<WriteFailure>& failure) {
    return failure ? failure->message() : "saved";
}

// A directory everyone may write to, like /tmp: sticky, so each user may
// remove only their own entries.
std::string SharedDirectory(const testing::TempDir& dir) {
    const std::string shared = dir.file("shared");
    ::mkdir(shared.c_str(), 0700);
    ::chmod(shared.c_str(), 01777);
    return shared;
}

TEST(SharedDirectory, AnotherUsersLinkAtAScratchNameIsNeverWrittenThrough) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "two users are needed, and only root can act as both";
    }
    const testing::TempDir dir;
    const std::string shared = SharedDirectory(dir);
    // The victim's own file, somewhere only the victim may write.
    const std::string home = dir.file("home");
    ::mkdir(home.c_str(), 0700);
    ASSERT_EQ(::chown(home.c_str(), testing::kNobody, testing::kNobody), 0);
    const std::string precious = home + "/notes.txt";
    ASSERT_EQ(RunAs(testing::kNobody,
                    [&] {
                        std::ofstream(precious, std::ios::binary) << "mine";
                        return std::string("ok");
                    }),
              "ok");

    // The other user plants a link where the scratch file used to go, and
    // a file of their own under a name scratch files take now.
    const std::string link = shared + "/temporal.tmp";
    const std::string theirs = shared + "/temporal-abcd1234.tmp";
    ASSERT_EQ(RunAs(testing::kOtherUser,
                    [&] {
                        std::ofstream(theirs, std::ios::binary) << "theirs";
                        return std::string(::symlink(precious.c_str(), link.c_str()) == 0
                                               ? "ok"
                                               : "cannot plant the link");
                    }),
              "ok");

    const std::string target = shared + "/tavrel.ini";
    EXPECT_EQ(RunAs(testing::kNobody,
                    [&] {
                        PosixFileSystem files;
                        return Outcome(ReplaceFileContents(files, target, "[Config]\r\n"));
                    }),
              "saved");
    EXPECT_EQ(ReadFile(precious), "mine");
    EXPECT_EQ(ReadFile(target), "[Config]\r\n");
    // Neither was the victim's to remove, nor root's, who could.
    PosixFileSystem rootFiles;
    EXPECT_EQ(Outcome(ReplaceFileContents(rootFiles, shared + "/root.ini", "[Root]\r\n")), "saved");
    struct stat st {};
    EXPECT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_EQ(ReadFile(theirs), "theirs");
}

// Each writer saves its own file again and again and checks after every save
// that the file holds what it wrote, never what the other wrote.
TEST(SharedDirectory, TwoWritersAtOnceEachKeepTheirOwnFile) {
    const testing::TempDir dir;
    const auto writer = [&dir](const std::string& name) {
        return [&dir, name] {
            PosixFileSystem files;
            const std::string path = dir.file(name);
            int wrong = 0;
            for (int i = 0; i < 200; ++i) {
                const std::string bytes = "[" + name + "]\r\nSave=" + std::to_string(i) + "\r\n";
                if (const auto failure = ReplaceFileContents(files, path, bytes)) {
                    return Outcome(failure);
                }
                wrong += ReadFile(path) == bytes ? 0 : 1;
            }
            return wrong == 0 ? std::string("right")
                              : name + " held something else " + std::to_string(wrong) + " times";
        };
    };
    ChildBody settings(writer("tavrel.ini"));
    ChildBody commands(writer("vorkumel.ini"));
    EXPECT_EQ(settings.result(), "right");
    EXPECT_EQ(commands.result(), "right");
    EXPECT_EQ(dir.get("tavrel.ini"), "[tavrel.ini]\r\nSave=199\r\n");
    EXPECT_EQ(dir.get("vorkumel.ini"), "[vorkumel.ini]\r\nSave=199\r\n");
}

}  // namespace
}  // namespace tavrel
