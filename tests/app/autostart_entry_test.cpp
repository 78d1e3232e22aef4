// The autostart entry on a real file system: written so the desktop accepts
// it (whatever the program's path holds), found, and removed.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/autostart_entry.h"
#include "platform/posix/posix_file_system.h"

namespace tavrel {
namespace {

bool DesktopFileValid(const std::string& path) {
    if (std::system("command -v desktop-file-validate >/dev/null") != 0) {
        return true;  // checked where the tool exists (scripts/test installs it)
    }
    return std::system(("desktop-file-validate '" + path + "'").c_str()) == 0;
}

TEST(AutostartEntryTest, WrittenValidFoundAndRemoved) {
    QTemporaryDir config;
    PosixFileSystem files;
    AutostartEntry entry(files, config.path().toStdString());
    EXPECT_FALSE(entry.Enabled());
    EXPECT_FALSE(entry.SetEnabled(false, "/usr/bin/tavrel"));

    for (const std::string program :
         {"/usr/bin/tavrel", "/home/me/my apps/100% \"new\" $HOME `x` back\\slash/tavrel"}) {
        ASSERT_FALSE(entry.SetEnabled(true, program));
        EXPECT_EQ(entry.path(), config.path().toStdString() + "/autostart/tavrel.desktop");
        EXPECT_TRUE(entry.Enabled());
        EXPECT_TRUE(DesktopFileValid(entry.path())) << AutostartDesktopEntry(program);
    }
    EXPECT_NE(AutostartDesktopEntry("/a b/tavrel").find("\nExec=\"/a b/tavrel\"\n"),
              std::string::npos);
    EXPECT_NE(AutostartDesktopEntry("/a b\\c/tavrel").find("\nTryExec=/a b\\\\c/tavrel\n"),
              std::string::npos);

    ASSERT_FALSE(entry.SetEnabled(false, "/usr/bin/tavrel"));
    EXPECT_FALSE(std::filesystem::exists(entry.path()));
    EXPECT_FALSE(entry.Enabled());

    // An entry the user switched off in the desktop's settings.
    std::ofstream(entry.path()) << "[Desktop Entry]\nType=Application\nHidden=true\n";
    EXPECT_FALSE(entry.Enabled());
}

TEST(AutostartEntryTest, AConfigurationDirectoryThatCannotHoldItIsReported) {
    QTemporaryDir dir;
    const std::string notADirectory = dir.filePath(QStringLiteral("file")).toStdString();
    std::ofstream(notADirectory) << "x";
    PosixFileSystem files;
    AutostartEntry entry(files, notADirectory);
    const auto failure = entry.SetEnabled(true, "/usr/bin/tavrel");
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->fileName, notADirectory + "/autostart/tavrel.desktop");
    EXPECT_FALSE(failure->reason.empty());
    EXPECT_FALSE(entry.Enabled());
}

}  // namespace
}  // namespace tavrel
