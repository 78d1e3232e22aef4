// The choice between the executable's directory and the user's configuration
// directory.
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/posix/program_directory.h"
#include "temp_dir.h"

namespace tavrel {
namespace {

class ProgramDirectoryTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(base_ / "bin"); }
    testing::TempDir scratch_;
    std::filesystem::path base_{scratch_.path()};
};

TEST_F(ProgramDirectoryTest, WritableExecutableDirectoryIsUsed) {
    EXPECT_EQ(ChooseProgramDirectory(base_ / "bin", "/nonexistent", "/nonexistent"), base_ / "bin");
    EXPECT_EQ(ExecutableDirectory(), std::filesystem::canonical("/proc/self/exe").parent_path());
}

// Tests run as root, who may write anywhere: a directory that does not exist
// stands for one that is not writable.
TEST_F(ProgramDirectoryTest, OtherwiseTheConfigurationDirectoryIsCreated) {
    const auto unwritable = base_ / "gone";
    const auto fromXdg = ChooseProgramDirectory(unwritable, (base_ / "xdg").c_str(), "/nowhere");
    EXPECT_EQ(fromXdg, base_ / "xdg" / "tavrel");
    EXPECT_TRUE(std::filesystem::is_directory(fromXdg));

    for (const char* xdg : {static_cast<const char*>(nullptr), "", "relative/path"}) {
        const auto fromHome = ChooseProgramDirectory(unwritable, xdg, (base_ / "home").c_str());
        EXPECT_EQ(fromHome, base_ / "home" / ".config" / "tavrel");
        EXPECT_TRUE(std::filesystem::is_directory(fromHome));
    }
}

// Help beside the program marks a build tree; an installed copy has it in
// share/tavrel, and never keeps its files in bin, even when bin is writable.
TEST_F(ProgramDirectoryTest, AnInstalledCopyUsesItsDataAndConfigurationDirectories) {
    EXPECT_EQ(ChooseDataDirectory(base_ / "bin", "../share/tavrel"), base_ / "share" / "tavrel");
    std::filesystem::create_directories(base_ / "share" / "tavrel" / "help");
    EXPECT_EQ(ChooseProgramDirectory(base_ / "bin", (base_ / "xdg").c_str(), "/nowhere"),
              base_ / "xdg" / "tavrel");

    std::filesystem::create_directories(base_ / "bin" / "help");
    EXPECT_EQ(ChooseDataDirectory(base_ / "bin", "../share/tavrel"), base_ / "bin");
    EXPECT_EQ(ChooseProgramDirectory(base_ / "bin", (base_ / "xdg").c_str(), "/nowhere"),
              base_ / "bin");
}

}  // namespace
}  // namespace tavrel
