// The program settings file on a real directory: defaults, the Ports section,
// writing in place in the documented order, and a write that cannot happen.
#include "commands/program_settings.h"

#include <sys/stat.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/posix/posix_file_system.h"
#include "temp_dir.h"

namespace tavrel {
namespace {

class ProgramSettingsTest : public ::testing::Test {
protected:
    testing::TempDir dir;
    PosixFileSystem files;
    ProgramSettingsFile settings{files, dir.path()};
};

TEST_F(ProgramSettingsTest, AMissingFileGivesTheDefaults) {
    const ProgramSettings s = settings.read();
    EXPECT_EQ(s.Settings, dir.file("vorkumel.ini"));
    EXPECT_EQ(s.Language, "");
    EXPECT_EQ(s.LogFile, "");
    EXPECT_TRUE(s.Sonido);
    EXPECT_TRUE(s.AdvancedKeyPress);
    EXPECT_FALSE(s.Arranque);
    EXPECT_FALSE(s.ShowCommands);
    EXPECT_EQ(s.Ports[0], "/dev/ttyS0");
    EXPECT_EQ(s.Ports[7], "/dev/ttyS7");
}

TEST_F(ProgramSettingsTest, ReadsEveryKeyAndAnEmptySettingsFallsBackToTheDefault) {
    dir.put("tavrel.ini",
            "[FILES]\r\nsettings=\r\nLanguage=/x/es.txt\r\nLogFile=log.txt\r\n"
            "[Config]\r\nArranque=1\r\nAdvancedKeyPress=0\r\nSonido=0\r\nShowCommands=1\r\n"
            "[Ports]\r\nCOM2=/dev/ttyUSB0\r\nCOM3=\r\n");
    const ProgramSettings s = settings.read();
    EXPECT_EQ(s.Settings, dir.file("vorkumel.ini"));
    EXPECT_EQ(settings.readCommandsFilePath(), dir.file("vorkumel.ini"));
    EXPECT_EQ(s.Language, "/x/es.txt");
    EXPECT_EQ(s.LogFile, "log.txt");
    EXPECT_TRUE(s.Arranque);
    EXPECT_FALSE(s.AdvancedKeyPress);
    EXPECT_FALSE(s.Sonido);
    EXPECT_TRUE(s.ShowCommands);
    EXPECT_EQ(s.Ports[1], "/dev/ttyUSB0");
    EXPECT_EQ(s.Ports[2], "/dev/ttyS2");
}

TEST_F(ProgramSettingsTest, WritesItsKeysInOrderAndKeepsEverythingElse) {
    ProgramSettings s;
    s.Settings = "/data/\xA1mine.ini";
    s.Sonido = false;
    ASSERT_FALSE(settings.write(s));
    EXPECT_EQ(dir.get("tavrel.ini"),
              "[Files]\r\nSettings=/data/\xA1mine.ini\r\nLanguage=\r\nLogFile=\r\n\r\n"
              "[Config]\r\nSonido=0\r\nAdvancedKeyPress=1\r\nArranque=0\r\nShowCommands=0\r\n");

    dir.put("tavrel.ini",
            "[Ports]\nCOM1=/dev/ttyACM0\n; my remark\n[Config]\nArranque=1\nExtra=x\n");
    s.Arranque = false;
    ASSERT_FALSE(settings.write(s));
    EXPECT_EQ(dir.get("tavrel.ini"),
              "[Ports]\r\nCOM1=/dev/ttyACM0\r\n; my remark\r\n"
              "[Config]\r\nArranque=0\r\nExtra=x\r\nSonido=0\r\nAdvancedKeyPress=1\r\n"
              "ShowCommands=0\r\n\r\n"
              "[Files]\r\nSettings=/data/\xA1mine.ini\r\nLanguage=\r\nLogFile=\r\n");
    EXPECT_EQ(settings.read().Ports[0], "/dev/ttyACM0");
    EXPECT_TRUE(dir.scratchFiles().empty());
}

TEST_F(ProgramSettingsTest, AFailedWriteIsReportedWithTheFileName) {
    std::filesystem::create_directory(dir.file("tavrel.ini"));
    const auto failure = settings.write(ProgramSettings{});
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message(),
              "Unable to write to " + dir.file("tavrel.ini") + "\nIs a directory");
    EXPECT_FALSE(failure->reason.empty());
    EXPECT_TRUE(dir.scratchFiles().empty());
}

// A settings file saved as UTF-16, or some other text put in its place, holds
// what a user wrote: neither write keeps its lines, so both refuse.
TEST_F(ProgramSettingsTest, AGarbledFileIsNeverWrittenOver) {
    using namespace std::string_literals;
    const struct {
        std::string bytes;
        std::string reason;
    } cases[] = {
        {"\xFF\xFE[\0F\0i\0l\0e\0s\0]\0\r\0\n\0"s, "Not a text file"},
        {"Settings=x\r\nSonido=0\r\n", "No [section] line found"},
    };
    for (const auto& c : cases) {
        dir.put("tavrel.ini", c.bytes);
        for (const auto& failure :
             {settings.write(ProgramSettings{}), settings.writePortDevice(2, "/dev/ttyUSB0")}) {
            ASSERT_TRUE(failure);
            EXPECT_EQ(failure->fileName, dir.file("tavrel.ini"));
            EXPECT_EQ(failure->reason, c.reason);
        }
        EXPECT_EQ(dir.get("tavrel.ini"), c.bytes);
        EXPECT_TRUE(dir.scratchFiles().empty());
    }
}

TEST_F(ProgramSettingsTest, AnUnreadableOrGarbledFileGivesTheDefaultsAndSaysWhy) {
    using namespace std::string_literals;
    EXPECT_EQ(settings.read().ReadProblem, "");
    const struct {
        std::string bytes;
        std::string reason;
    } cases[] = {
        {"", ""},
        {"\r\n\r\n", ""},
        {"[Files]\r\nLogFile=x\r\n", ""},
        {"[\0F\0i\0l\0e\0s\0]\0\r\0\n\0"s, "Not a text file"},
        {"Settings=x\r\nSonido=0\r\n", "No [section] line found"},
    };
    for (const auto& c : cases) {
        dir.put("tavrel.ini", c.bytes);
        const ProgramSettings s = settings.read();
        EXPECT_EQ(
            s.ReadProblem,
            c.reason.empty() ? "" : "Unable to read " + dir.file("tavrel.ini") + "\n" + c.reason);
        if (!c.reason.empty()) {
            EXPECT_EQ(s.Settings, dir.file("vorkumel.ini"));
        }
    }
    std::filesystem::remove(dir.file("tavrel.ini"));
    ASSERT_EQ(::mkfifo(dir.file("tavrel.ini").c_str(), 0644), 0);
    EXPECT_EQ(settings.read().ReadProblem,
              "Unable to read " + dir.file("tavrel.ini") + "\nNot a regular file");
}

}  // namespace
}  // namespace tavrel
