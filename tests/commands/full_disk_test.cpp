// Save/Run on a disk that is full: the message says why, and both files keep
// what they held. The disk is a small tmpfs, mounted where only a child
// process sees it.
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "commands/commands_file.h"
#include "platform/posix/posix_file_system.h"
#include "run_as_nobody.h"
#include "silent_host.h"
#include "temp_dir.h"

namespace tavrel {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Mounts a 64 KiB file system at disk, fills it, and saves there.
std::string SaveOnAFullDisk(const std::string& disk) {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0) {
        return std::string("skip: no file system of its own (") + std::strerror(errno) + ")";
    }
    const std::string settingsBefore = "[Config]\r\nSonido=1\r\n";
    const std::string commandsBefore = "[Config]\r\nNumComandos=0\r\n";
    std::ofstream(disk + "/tavrel.ini", std::ios::binary) << settingsBefore;
    std::ofstream(disk + "/vorkumel.ini", std::ios::binary) << commandsBefore;
    {
        std::ofstream filler(disk + "/filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size())) &&
               filler.flush()) {
        }
    }
    PosixFileSystem files;
    ProgramSettingsFile settingsFile(files, disk);
    CommandTable table;
    table.appendRemote("TV");
    SequenceSettings sequence;
    testing::SilentHost host;
    CommandsFile commands(table, sequence, host, files, settingsFile);
    ProgramSettings settings;
    settings.Sonido = false;
    settings.LogFile = std::string(600, 'l');
    const auto failure = commands.SaveRun(settings);
    if (ReadFile(disk + "/tavrel.ini") != settingsBefore ||
        ReadFile(disk + "/vorkumel.ini") != commandsBefore) {
        return "a file changed";
    }
    return failure ? failure->message() : "saved";
}

TEST(FullDisk, TheMessageSaysTheDiskIsFullAndTheFilesStayAsTheyWere) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "mounting a small file system needs root";
    }
    const testing::TempDir dir;
    const std::string disk = dir.file("disk");
    ASSERT_EQ(::mkdir(disk.c_str(), 0755), 0);
    const std::string outcome = testing::ChildBody([&] { return SaveOnAFullDisk(disk); }).result();
    if (outcome.rfind("skip: ", 0) == 0) {
        GTEST_SKIP() << outcome;
    }
    EXPECT_EQ(outcome, "Unable to write to " + disk + "/tavrel.ini\n" + std::strerror(ENOSPC));
}

}  // namespace
}  // namespace tavrel
