// A command's variants in the commands file, against a real directory: the
// sections they are written in, that a file without them is untouched, that
// a reader which ignores them still sees the command as before, and that
// nothing of them is lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "commands/command_variants.h"
#include "commands/commands_file.h"
#include "commands/ini_file.h"
#include "platform/posix/posix_file_system.h"
#include "silent_host.h"
#include "temp_dir.h"

namespace tavrel {
namespace {

const std::string kHead =
    "[Config]\r\nPuerto=2\r\nVelocidad=8\r\nParidad=0\r\nDataBits=3\r\nStopBits=0\r\n"
    "SkipFirst=1\r\nTolerance=4\r\nValueSize=1\r\nNumComandos=3\r\n"
    "\r\n[Comandos]\r\n1=TV\r\n2=Play\r\n3=Stop\r\n"
    "\r\n[1]\r\nLevel=0\r\n";
const std::string kPlay =
    "\r\n[2]\r\nLoop=1\r\nLoopActual=0\r\nDeVez=0\r\nMultiKey=0\r\nLevel=1\r\nTargetWindow=\r\n"
    "Activado=1\r\nTypematic=1\r\nRetraso=0\r\nCodigo=0A1F3C\r\n0=\xA1SendKeys\xA1NNNE5\r\n";
const std::string kPlayVariants =
    "\r\n[2.1]\r\nApplication=Firefox\r\nTitle=YouTube\r\nLoop=2\r\nLoopActual=1\r\nDeVez=1\r\n"
    "MultiKey=0\r\nTargetWindow=Mozilla\r\nRetraso=3\r\n0=\xA1SendKeys\xA1NNNNk\r\n"
    "1=\xA1SendKeys\xA1NNNNj\r\n"
    "\r\n[2.2]\r\nApplication=mpv\r\nTitle=\r\nLoop=1\r\nLoopActual=0\r\nDeVez=0\r\n"
    "MultiKey=0\r\nTargetWindow=\r\nRetraso=0\r\n0=\"\xA1SendKeys\xA1NNNN \"\r\n";
const std::string kStop =
    "\r\n[3]\r\nLoop=1\r\nLoopActual=0\r\nDeVez=0\r\nMultiKey=0\r\nLevel=1\r\nTargetWindow=\r\n"
    "Activado=1\r\nTypematic=1\r\nRetraso=0\r\nCodigo=\r\n0=\r\n";
const std::string kWithoutVariants = kHead + kPlay + kStop;
const std::string kWithVariants = kHead + kPlay + kPlayVariants + kStop;

class VariantsFileTest : public ::testing::Test {
protected:
    testing::TempDir dir;
    PosixFileSystem files;
    ProgramSettingsFile settingsFile{files, dir.path()};
    CommandTable table;
    SequenceSettings sequence;
    testing::SilentHost host;
    CommandsFile commands{table, sequence, host, files, settingsFile};

    void load(const std::string& bytes) {
        table.clear();
        dir.put("vorkumel.ini", bytes);
        commands.Load();
    }
    std::string serialized() const { return CommandsFile::Serialize(table, sequence, host.ports); }
    // Each command's variants by their names, command by command.
    std::vector<std::vector<std::string>> variantNames() const {
        std::vector<std::vector<std::string>> names;
        for (int i = 0; i < table.count(); ++i) {
            if (table.isCommand(i)) {
                auto& of = names.emplace_back();
                for (const CommandVariant& v : table.record(i).Variantes) {
                    of.push_back(VariantName(v));
                }
            }
        }
        return names;
    }
};

TEST_F(VariantsFileTest, VariantsLoadInTheirOrderWithTheirOwnSettingsAndWriteBackExactly) {
    load(kWithVariants);
    const TComando& play = table.record(1);
    ASSERT_EQ(play.Variantes.size(), 2u);
    const CommandVariant& browser = play.Variantes.front();
    EXPECT_EQ(browser.Application, "Firefox");
    EXPECT_EQ(browser.Title, "YouTube");
    EXPECT_EQ(browser.Loop, 2);
    EXPECT_EQ(browser.LoopActual, 1);
    EXPECT_TRUE(browser.DeVez);
    EXPECT_EQ(browser.TargetWindow, "Mozilla");
    EXPECT_EQ(browser.Retraso, 3);
    EXPECT_EQ(*browser.Acciones,
              (ActionList{"0=\xA1SendKeys\xA1NNNNk", "1=\xA1SendKeys\xA1NNNNj"}));
    // The trailing blank of an action survives: the writer quotes it.
    EXPECT_EQ(*play.Variantes.back().Acciones, ActionList{"0=\xA1SendKeys\xA1NNNN "});
    // The command keeps its own actions, code and switches.
    EXPECT_EQ(*play.Acciones, ActionList{"0=\xA1SendKeys\xA1NNNE5"});
    EXPECT_TRUE(table.record(2).Variantes.empty());

    EXPECT_EQ(serialized(), kWithVariants);
    // Made in the editor, as a new command is: no action line until one is chosen.
    AddVariant(table.record(2), "vlc", "");
    const std::string written = serialized();
    EXPECT_NE(written.find("\r\n[3.1]\r\nApplication=vlc\r\nTitle=\r\nLoop=1\r\n"),
              std::string::npos)
        << written;
    load(written);
    EXPECT_EQ(*table.record(2).Variantes.front().Acciones, ActionList{"0="});
}

TEST_F(VariantsFileTest, AFileWithoutVariantsIsByteForByteTheSameAfterSaveRun) {
    load(kWithoutVariants);
    ASSERT_FALSE(commands.SaveRun(ProgramSettings{}));
    EXPECT_EQ(dir.get("vorkumel.ini"), kWithoutVariants);
    EXPECT_FALSE(dir.has("vorkumel.ini.bak"));
}

// A reader that knows nothing of variants (the plain INI reader, or an older
// Tavrel) finds every key of every entry as in the file without them: the
// variant sections only add sections of their own.
TEST_F(VariantsFileTest, AReaderThatIgnoresVariantsSeesTheCommandsAsBefore) {
    load(kWithVariants);
    const IniFile plain(serialized());
    const IniFile before(kWithoutVariants);
    EXPECT_EQ(plain.readInt("Config", "NumComandos", 0), 3);
    for (const char* section : {"Config", "Comandos", "1", "2", "3"}) {
        for (const std::string_view key : before.keys(section)) {
            EXPECT_EQ(plain.read(section, key), before.read(section, key)) << section << key;
        }
        EXPECT_EQ(plain.keys(section).size(), before.keys(section).size()) << section;
    }
    // Take the variant sections out, and the file is the one without them.
    std::string stripped = serialized();
    const std::size_t from = stripped.find("\r\n[2.1]");
    stripped.erase(from, stripped.find("\r\n[3]") - from);
    EXPECT_EQ(stripped, kWithoutVariants);
}

TEST_F(VariantsFileTest, HandEditedVariantSectionsLoadTheirDefaultsAndInOrderOfPlace) {
    load(kHead + kPlay +
         "[2.10]\r\nApplication=third\r\n"
         "[2.2]\r\nApplication=second\r\nLoop=abc\r\nDeVez=7\r\n0=x\r\n"
         "[2.1]\r\nTitle=  first  \r\n"
         "[2.2]\r\nApplication=repeated\r\n" +
         kStop);
    EXPECT_EQ(variantNames(),
              (std::vector<std::vector<std::string>>{{"\"first\"", "second", "third"}, {}}));
    const CommandVariant& second = *std::next(table.record(1).Variantes.begin());
    EXPECT_EQ(second.Loop, 1);
    EXPECT_TRUE(second.DeVez);
    EXPECT_EQ(*second.Acciones, ActionList{"0=x"});
}

// What the file holds of variants and the table does not is kept in the
// backup before Save/Run writes: sections a load does not take in, and
// variants the user removed.
TEST_F(VariantsFileTest, ASaveRunThatWouldLoseVariantsKeepsACopy) {
    const struct {
        const char* what;
        std::string file;
        std::function<void()> edit;
        bool kept;
    } cases[] = {
        {"a variant removed", kWithVariants, [this] { RemoveVariant(table.record(1), 0); }, true},
        {"a variant of a remote", kWithoutVariants + "[1.1]\r\nApplication=x\r\n", [] {}, true},
        {"a variant of no entry", kWithoutVariants + "[4.1]\r\nApplication=x\r\n", [] {}, true},
        {"a place that is no number", kWithoutVariants + "[2.a]\r\nApplication=x\r\n", [] {}, true},
        {"variants moved and one added", kWithVariants,
         [this] {
             MoveVariant(table.record(1), 1, 0);
             AddVariant(table.record(2), "vlc", "");
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(dir.file("vorkumel.ini.bak"));
        load(c.file);
        c.edit();
        ASSERT_FALSE(commands.SaveRun(ProgramSettings{}));
        EXPECT_EQ(dir.has("vorkumel.ini.bak"), c.kept);
        if (c.kept) {
            EXPECT_EQ(dir.get("vorkumel.ini.bak"), c.file);
        }
    }
    EXPECT_EQ(variantNames(),
              (std::vector<std::vector<std::string>>{{"mpv", "Firefox \"YouTube\""}, {"vlc"}}));
}

}  // namespace
}  // namespace tavrel
