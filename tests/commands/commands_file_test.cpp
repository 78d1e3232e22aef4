// Load and Save/Run of the commands file against a real directory, with a
// recording stand-in for the main window, its serial driver and dialogs.
#include "commands/commands_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <tuple>

#include <gtest/gtest.h>

#include "commands/codigo_text.h"
#include "commands/ini_file.h"
#include "platform/posix/posix_file_system.h"
#include "run_as_nobody.h"
#include "temp_dir.h"

namespace tavrel {
namespace {

const std::string kWorkedExample =
    "[Config]\r\nPuerto=2\r\nVelocidad=8\r\nParidad=0\r\nDataBits=3\r\nStopBits=0\r\n"
    "SkipFirst=1\r\nTolerance=5\r\nValueSize=1\r\nNumComandos=4\r\n"
    "\r\n[Comandos]\r\n1=TV\r\n2=Power\r\n3=Volume up\r\n4=Radio\r\n"
    "\r\n[1]\r\nLevel=0\r\n"
    "\r\n[2]\r\nLoop=1\r\nLoopActual=0\r\nDeVez=0\r\nMultiKey=0\r\nLevel=1\r\nTargetWindow=\r\n"
    "Activado=1\r\nTypematic=1\r\nRetraso=0\r\nCodigo=0A1F3C0A1F3C\r\n0=\xA1SendKeys\xA1NNNE9\r\n"
    "\r\n[3]\r\nLoop=1\r\nLoopActual=0\r\nDeVez=0\r\nMultiKey=0\r\nLevel=1\r\nTargetWindow=\r\n"
    "Activado=1\r\nTypematic=1\r\nRetraso=0\r\nCodigo=\r\n"
    "\r\n[4]\r\nLevel=0\r\n";

class RecordingHost : public CommandsFileHost {
public:
    std::vector<std::string> calls;
    bool open = false;
    PortOrdinals ports;

    bool IsOpen() const override { return open; }
    void DesactivarClick() override {
        open = false;
        calls.push_back("DesactivarClick");
    }
    void ActivarClick() override {
        open = true;
        calls.push_back("ActivarClick");
    }
    PortOrdinals portOrdinals() const override { return ports; }
    void setPortOrdinals(const PortOrdinals& p) override {
        ports = p;
        calls.push_back("setPortOrdinals");
    }
    void setCommandsFilePath(const std::string& path) override {
        calls.push_back("setCommandsFilePath " + path);
    }
    void showPortOrdinals(const PortOrdinals&) override { calls.push_back("showPortOrdinals"); }
    void showSequenceSettings(const SequenceSettings&) override {
        calls.push_back("showSequenceSettings");
    }
    void resetCapture() override { calls.push_back("resetCapture"); }
};

class CommandsFileTest : public ::testing::Test {
protected:
    testing::TempDir dir;
    PosixFileSystem files;
    ProgramSettingsFile settingsFile{files, dir.path()};
    CommandTable table;
    SequenceSettings sequence;
    RecordingHost host;
    CommandsFile commands{table, sequence, host, files, settingsFile};

    LoadResult load(const std::string& bytes) {
        dir.put("vorkumel.ini", bytes);
        return commands.Load();
    }
    std::string config(const std::string& extra, int entries) {
        return "[Config]\nValueSize=1\nNumComandos=" + std::to_string(entries) + "\n" + extra;
    }
    // The worked example as sub/cmds.ini, loaded and changed but not saved;
    // the settings that name it.
    ProgramSettings editedInSubdirectory() {
        std::filesystem::create_directory(dir.file("sub"));
        dir.put("sub/cmds.ini", kWorkedExample);
        ProgramSettings s;
        s.Settings = dir.file("sub/cmds.ini");
        commands.LoadFrom(s.Settings);
        table.setLabel(0, "Changed");
        return s;
    }
    std::vector<std::string> labels() const {
        std::vector<std::string> out;
        for (int i = 0; i < table.count(); ++i) {
            out.push_back((table.isCommand(i) ? "  " : "") + table.label(i));
        }
        return out;
    }
    std::vector<std::int32_t> code(int pos) const {
        const TSecuencia& c = table.record(pos).Codigo;
        return {c.Valores.begin(), c.Valores.begin() + c.NumValores};
    }
};

TEST_F(CommandsFileTest, TheWorkedExampleLoadsIntoTableSettingsAndPort) {
    const LoadResult result = load(kWorkedExample);
    EXPECT_TRUE(result.found);
    EXPECT_EQ(result.readError, "");
    EXPECT_EQ(labels(), (std::vector<std::string>{"TV", "  Power", "  Volume up", "Radio"}));
    EXPECT_EQ(table.image(0), node_image::kRemote);
    EXPECT_EQ(table.image(1), node_image::kEnabled);
    EXPECT_EQ(table.selectedImage(1), node_image::kSelectedCommand);
    EXPECT_EQ(table.image(2), node_image::kNoCode);
    EXPECT_EQ(table.image(3), node_image::kRemote);
    EXPECT_EQ(code(1), (std::vector<std::int32_t>{10, 31, 60, 10, 31, 60}));
    EXPECT_EQ(*table.record(1).Acciones, ActionList{"0=\xA1SendKeys\xA1NNNE9"});
    EXPECT_EQ(*table.record(2).Acciones, ActionList{"0="});
    EXPECT_EQ(table.record(0).Numero, 1);
    EXPECT_EQ(table.record(2).Numero, 3);
    EXPECT_EQ(table.record(1).Siguiente, &table.record(2));
    EXPECT_EQ(table.record(2).Siguiente, nullptr);
    EXPECT_EQ(host.ports, (PortOrdinals{1, 8, 0, 3, 0}));
    EXPECT_EQ(sequence.Tolerance, 5);
    EXPECT_EQ(sequence.SkipFirst, 1);
    EXPECT_EQ(sequence.ValueSize, 1);
    EXPECT_EQ(sequence.ShortestCodeLength, 6);
    EXPECT_EQ(host.calls,
              (std::vector<std::string>{"setCommandsFilePath " + dir.file("vorkumel.ini"),
                                        "setPortOrdinals", "showPortOrdinals",
                                        "showSequenceSettings", "ActivarClick", "resetCapture"}));
}

TEST_F(CommandsFileTest, TheWorkedExampleIsWrittenByteForByte) {
    // As the editor makes them, a new command has one loop and no action line.
    sequence.Tolerance = 5;
    const int tv = table.appendRemote("TV");
    const int power = table.appendCommand(tv, "Power", 2);
    table.record(power).Acciones->push_back("0=\xA1SendKeys\xA1NNNE9");
    DecodeCodigo("0A1F3C0A1F3C", 1, table.record(power).Codigo);
    table.appendCommand(tv, "Volume up", 3);
    table.appendRemote("Radio");
    EXPECT_EQ(CommandsFile::Serialize(table, sequence, PortOrdinals{1, 8, 0, 3, 0}),
              kWorkedExample);
}

TEST_F(CommandsFileTest, LoadingAndWritingBackAddsOnlyTheEmptyActionOfTheUnlearnedCommand) {
    load(kWorkedExample);
    std::string expected = kWorkedExample;
    expected.insert(expected.find("Codigo=\r\n") + 9, "0=\r\n");
    const std::string written = CommandsFile::Serialize(table, sequence, host.ports);
    EXPECT_EQ(written, expected);

    table.clear();
    load(written);
    EXPECT_EQ(CommandsFile::Serialize(table, sequence, host.ports), written);
}

TEST_F(CommandsFileTest, CodigoIsCutIntoRunsOfTwiceValueSizeCharacters) {
    load(config("[Comandos]\n1=a\n2=b\n3=c\n4=d\n", 4) +
         "[1]\nCodigo=0a1f3\n[2]\nCodigo=G1\n[3]\nCodigo=" + std::string(1500, 'F') +
         "\n[4]\nCodigo=3\n");
    EXPECT_EQ(labels(), (std::vector<std::string>{"Remote", "  a", "  b", "  c", "  d"}));
    EXPECT_EQ(table.record(0).Numero, -1);
    EXPECT_EQ(code(1), (std::vector<std::int32_t>{10, 31}));
    EXPECT_EQ(code(2), (std::vector<std::int32_t>{1}));
    EXPECT_EQ(table.record(3).Codigo.NumValores, 511);
    EXPECT_EQ(table.record(3).Codigo.Valores[510], 255);
    // Too short for one value: no code, and the threshold does not drop to 0.
    EXPECT_EQ(table.record(4).Codigo.NumValores, 0);
    EXPECT_EQ(table.image(4), node_image::kNoCode);
    EXPECT_EQ(sequence.ShortestCodeLength, 1);
}

TEST(CodigoText, ValuesAreUpperCaseHexOfAtLeastTwiceValueSizeDigits) {
    TSecuencia code;
    code.Valores[0] = -1;
    code.Valores[1] = 0x1FF;
    code.Valores[2] = 10;
    code.NumValores = 3;
    EXPECT_EQ(EncodeCodigo(code, 4), "FFFFFFFF000001FF0000000A");
    EXPECT_EQ(EncodeCodigo(code, 1), "FFFFFFFF1FF0A");
    EXPECT_EQ(EncodeCodigo(code, 0), "FFFFFFFF1FF0A");
    DecodeCodigo("FFFFFFFF000001FF", 4, code);
    EXPECT_EQ(code.NumValores, 2);
    EXPECT_EQ(code.Valores[0], -1);
    EXPECT_EQ(code.Valores[1], 0x1FF);
    // A code holds its own values only: nothing of the longer one before.
    EXPECT_EQ(code.Valores.stored(), 2U);
    TSecuencia copy = code;
    code.NumValores = 1;
    copy = code;
    EXPECT_EQ(copy.Valores.stored(), 1U);
}

TEST_F(CommandsFileTest, CommandsBeforeTheFirstRemoteGoUnderADefaultRemote) {
    load(config("[Comandos]\n1=a\n2=b\n3=R\n4=c\n", 4) + "[3]\nLevel=0\n");
    EXPECT_EQ(labels(), (std::vector<std::string>{"Remote", "  a", "  b", "R", "  c"}));
    EXPECT_EQ(table.record(1).Siguiente, &table.record(2));
    EXPECT_EQ(table.record(2).Siguiente, &table.record(4));
    EXPECT_EQ(sequence.ShortestCodeLength, kShortestCodeLengthAtLoad);
}

TEST_F(CommandsFileTest, AFileOfRemotesOnlyStillActivatesThePortAndResetsCapture) {
    host.open = true;
    load(config("[Comandos]\n1=A\n2=B\n[1]\nLevel=0\n[2]\nLevel=0\n", 2));
    EXPECT_EQ(labels(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(host.calls, (std::vector<std::string>{
                              "setCommandsFilePath " + dir.file("vorkumel.ini"), "DesactivarClick",
                              "setPortOrdinals", "ActivarClick", "showPortOrdinals",
                              "showSequenceSettings", "ActivarClick", "resetCapture"}));
}

TEST_F(CommandsFileTest, NoEntriesLeaveThePortAloneAndAMissingFileChangesNothing) {
    sequence.Tolerance = 9;
    EXPECT_FALSE(commands.Load().found);
    EXPECT_EQ(sequence.Tolerance, 9);
    EXPECT_EQ(sequence.ShortestCodeLength, kShortestCodeLengthAtStart);
    EXPECT_EQ(host.calls.size(), 1u);

    host.calls.clear();
    dir.put("other.ini", "[Config]\nNumComandos=0\nPuerto=3\n");
    EXPECT_TRUE(commands.LoadFrom(dir.file("other.ini")).found);
    EXPECT_TRUE(table.empty());
    EXPECT_EQ(host.ports.ComPort, 2);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"setPortOrdinals", "showPortOrdinals",
                                                    "showSequenceSettings", "resetCapture"}));
}

TEST_F(CommandsFileTest, LoopBuildsOneLinePerActionAndEmptyForAMissingKey) {
    load(config("[Comandos]\n1=R\n2=c\n3=none\n[1]\nLevel=0\n", 3) +
         "[2]\nLevel=1\nLoop=3\n0=first\n2=third\n[3]\nLoop=0\n0=ignored\n");
    EXPECT_EQ(*table.record(1).Acciones, (ActionList{"0=first", "1=", "2=third"}));
    EXPECT_EQ(table.record(1).Loop, 3);
    EXPECT_TRUE(table.record(2).Acciones->empty());
}

TEST_F(CommandsFileTest, HandEditedOdditiesGiveDefinedResults) {
    table.setCurrent(nullptr);
    load(
        "[ config ]\n"
        "  puerto = 3 \n"
        "VELOCIDAD=\"12\"\n"
        "Velocidad=1\n"
        "ValueSize=0\n"
        "SkipFirst=-3\n"
        "Tolerance=abc\n"
        "NumComandos=0x3\n"
        "[comandos]\n"
        "1='Quoted name'\n"
        "2=  Padded  \n"
        "[2]\n"
        "level=1\n"
        "ACTIVADO=0\n"
        "Codigo=0A0B0\n"
        "DeVez=7\n"
        "Retraso=x\n"
        "[2]\n"
        "Activado=1\n");
    EXPECT_EQ(host.ports.ComPort, 2);
    EXPECT_EQ(host.ports.ComPortSpeed, 12);
    EXPECT_EQ(sequence.ValueSize, 1);
    EXPECT_EQ(sequence.SkipFirst, 0);
    EXPECT_EQ(sequence.Tolerance, 4);
    // Three entries claimed, two present: the third is an empty command.
    EXPECT_EQ(labels(), (std::vector<std::string>{"Remote", "  Quoted name", "  Padded", "  "}));
    const TComando& c = table.record(2);
    EXPECT_FALSE(c.Activado);
    EXPECT_TRUE(c.DeVez);
    EXPECT_EQ(c.Retraso, 0);
    EXPECT_EQ(code(2), (std::vector<std::int32_t>{10, 11}));
    EXPECT_EQ(table.image(2), node_image::kDisabled);
    EXPECT_EQ(*table.record(3).Acciones, ActionList{"0="});
    EXPECT_EQ(table.current(), nullptr);
}

TEST_F(CommandsFileTest, OfRepeatedKeysInACommandTheFirstCountsWhateverItsCase) {
    load(
        config("[Comandos]\n1=R\n2=C\n[1]\nLevel=0\n[2]\n"
               "LOOP=2\nloop=5\n1=b\n0=a\n00=not an action\n+1=nor this\n1=again\n"
               "MultiKey=1\nmultikey=0\nCODIGO=0102\nCodigo=0304\n",
               2));
    const TComando& c = table.record(1);
    EXPECT_EQ(c.Loop, 2);
    EXPECT_EQ(*c.Acciones, (ActionList{"0=a", "1=b"}));
    EXPECT_TRUE(c.MultiKey);
    EXPECT_EQ(code(1), (std::vector<std::int32_t>{1, 2}));
}

TEST_F(CommandsFileTest, AbsurdCountsAreCutToWhatTheFileHolds) {
    load(config("[Comandos]\n1=c\n[1]\nLoop=2000000000\n5=x\n", 2000000000));
    EXPECT_EQ(table.count(), 1 + 1001);
    EXPECT_EQ(table.record(1).Loop, 1006);
    EXPECT_EQ(table.record(1).Acciones->at(5), "5=x");

    // One far-off entry does not make the count believable.
    table.clear();
    load(config("[Comandos]\n1=c\n[1]\nLoop=2147483647\n2147483646=\n", 1));
    EXPECT_EQ(table.record(1).Loop, 1000);
    table.clear();
    load(config("[2147483647]\n", 2147483647));
    EXPECT_EQ(table.count(), 1 + 1000);
}

// A count below the entries held is a slip of a hand edit: they all load.
TEST_F(CommandsFileTest, ACountBelowTheEntriesHeldLoadsThemAll) {
    std::string entries = "[Comandos]\n1=TV\n2=Play\n3=Stop\n[1]\nLevel=0\n[2]\n[3]\n";
    for (const int count : {-5, 0, 2}) {
        table.clear();
        load(config(entries, count));
        EXPECT_EQ(labels(), (std::vector<std::string>{"TV", "  Play", "  Stop"})) << count;
    }
}

TEST_F(CommandsFileTest, AFileThatCannotBeReadLoadsTheDefaults) {
    const LoadResult result = commands.LoadFrom("/proc/self/mem");
    EXPECT_TRUE(result.found);
    EXPECT_NE(result.readError, "");
    EXPECT_TRUE(table.empty());
    EXPECT_EQ(host.ports, PortOrdinals{});
    EXPECT_EQ(sequence.ShortestCodeLength, kShortestCodeLengthAtLoad);
}

// A file saved as UTF-16 by an editor, or a text that is no commands file at
// all (a README picked by mistake), holds what a user wrote: it is reported
// and never written over.
TEST_F(CommandsFileTest, AGarbledFileIsReportedAndNeverWrittenOver) {
    using namespace std::string_literals;
    const struct {
        std::string bytes;
        std::string reason;
    } cases[] = {
        {"\xFF\xFE[\0C\0o\0n\0f\0i\0g\0]\0\r\0\n\0"s, "Not a text file"},
        {"Remote notes\r\nPower=red button\r\n", "No [section] line found"},
    };
    for (const auto& c : cases) {
        table.clear();
        const LoadResult result = load(c.bytes);
        EXPECT_EQ(result.readError, c.reason);
        EXPECT_TRUE(table.empty());
        table.appendRemote("New");
        const auto failure = commands.SaveRun(ProgramSettings{});
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->fileName, dir.file("vorkumel.ini"));
        EXPECT_EQ(failure->reason, c.reason);
        EXPECT_EQ(dir.get("vorkumel.ini"), c.bytes);
    }
}

TEST_F(CommandsFileTest, SaveRunWritesBothFilesAndReloadsTheSameTable) {
    load(kWorkedExample);
    table.record(1).LoopActual = 0;
    table.record(1).TargetWindow = "Editor \xA1";
    table.record(1).Retraso = 2;
    table.setLabel(3, "Radio \xE9t\xE9");
    const std::string before = CommandsFile::Serialize(table, sequence, host.ports);
    host.calls.clear();
    ProgramSettings s;
    s.Sonido = false;

    EXPECT_FALSE(commands.SaveRun(s));
    EXPECT_EQ(dir.get("vorkumel.ini"), before);
    EXPECT_TRUE(dir.scratchFiles().empty());
    EXPECT_FALSE(settingsFile.read().Sonido);
    EXPECT_EQ(CommandsFile::Serialize(table, sequence, host.ports), before);
    EXPECT_EQ(table.record(1).TargetWindow, "Editor \xA1");
    // The reload ends the writer's work; the window's steps are the window's.
    EXPECT_EQ(host.calls.back(), "resetCapture");
}

// A start at every login saves what was just loaded: files that already hold
// those bytes are not written (same inode, same modification time), yet the
// table is reloaded; a change writes again.
TEST_F(CommandsFileTest, ASaveRunOfWhatTheFilesHoldWritesNothingButReloads) {
    const auto stamp = [&](const std::string& name) {
        struct stat st {};
        EXPECT_EQ(::stat(dir.file(name).c_str(), &st), 0) << name;
        return std::tuple(st.st_ino, st.st_mtim.tv_sec, st.st_mtim.tv_nsec, dir.get(name));
    };
    load(kWorkedExample);
    const ProgramSettings s;
    ASSERT_FALSE(commands.SaveRun(s));
    const auto commandsFile = stamp("vorkumel.ini");
    const auto settings = stamp("tavrel.ini");

    // A scratch file a killed save left is cleared all the same.
    dir.put("temporal-abcdefgh.tmp", "half a save");
    host.calls.clear();
    EXPECT_FALSE(commands.SaveRun(s));
    EXPECT_EQ(stamp("vorkumel.ini"), commandsFile);
    EXPECT_EQ(stamp("tavrel.ini"), settings);
    EXPECT_TRUE(dir.scratchFiles().empty());
    EXPECT_EQ(host.calls.back(), "resetCapture");

    table.setLabel(1, "Changed");
    EXPECT_FALSE(commands.SaveRun(s));
    EXPECT_NE(std::get<0>(stamp("vorkumel.ini")), std::get<0>(commandsFile));
    EXPECT_NE(dir.get("vorkumel.ini").find("=Changed\r\n"), std::string::npos);
}

TEST_F(CommandsFileTest, SaveRunGoesToTheCommandsFileTheSettingsName) {
    std::filesystem::create_directory(dir.file("sub"));
    ProgramSettings s;
    s.Settings = dir.file("sub/mine.ini");
    EXPECT_FALSE(commands.SaveRun(s));
    EXPECT_EQ(dir.get("sub/mine.ini"),
              "[Config]\r\nPuerto=0\r\nVelocidad=8\r\nParidad=0\r\nDataBits=3\r\nStopBits=0\r\n"
              "SkipFirst=1\r\nTolerance=4\r\nValueSize=1\r\nNumComandos=0\r\n"
              "\r\n[Comandos]\r\n");
    EXPECT_FALSE(dir.has("vorkumel.ini"));
}

// The settings file keeps only the first 1023 characters of a value: a longer
// path must not send the write, or the reload, to the file its start names.
TEST_F(CommandsFileTest, SaveRunWritesAndReloadsTheFileItWasGivenEvenIfTheSettingsCutItsName) {
    std::string relative;
    while (dir.path().size() + relative.size() < 800) {
        relative += std::string(200, 'd') + "/";
        std::filesystem::create_directory(dir.file(relative));
    }
    relative += std::string(kIniValueReadLimit - dir.file(relative).size(), 'f');
    dir.put(relative, kWorkedExample);
    table.appendRemote("Mine");
    ProgramSettings s;
    s.Settings = dir.file(relative + ".ini");

    EXPECT_FALSE(commands.SaveRun(s));
    EXPECT_EQ(dir.get(relative), kWorkedExample);
    EXPECT_EQ(dir.get(relative + ".ini"), CommandsFile::Serialize(table, sequence, host.ports));
    EXPECT_EQ(labels(), std::vector<std::string>{"Mine"});
}

// A disk that fills up in the commands file's directory, after the settings
// file in the directory above was written.
class FullDisk : public PosixFileSystem {
public:
    ScratchFile writeScratchFile(const std::string& directory, std::string_view bytes,
                                 const std::string& model) override {
        if (directory.ends_with("/sub")) {
            return {{}, FileStatus::Failure("No space left on device")};
        }
        return PosixFileSystem::writeScratchFile(directory, bytes, model);
    }
};

// A full disk leaves no half-written file behind: the settings file was
// written, the commands file and the table are as they were.
// What the file holds and the table does not is kept in vorkumel.ini.bak
// before Save/Run writes: one copy, the latest, and only then.
TEST_F(CommandsFileTest, ASaveRunThatWouldLoseEntriesOrCutACodeKeepsACopy) {
    const std::string longCode = "Codigo=" + std::string(1030, 'A') + "\n";
    const struct {
        const char* what;
        std::string file;
        std::function<void()> edit;
        bool kept;
    } cases[] = {
        {"an entry deleted", kWorkedExample, [this] { table.remove(3); }, true},
        {"entries far beyond the others", kWorkedExample + "[5000]\r\nLevel=0\r\n", [] {}, true},
        {"a code longer than a load reads", config("[Comandos]\n1=c\n[1]\n" + longCode, 1), [] {},
         true},
        // Hand edits the table cannot hold.
        {"a second [3] holding a whole command (two files joined)",
         kWorkedExample + "\r\n[3]\r\nLevel=1\r\nCodigo=0B2F4C\r\n0=\xA1SendKeys\xA1NNNE8\r\n",
         [] {}, true},
        {"a [0] section", kWorkedExample + "\r\n[0]\r\nLevel=0\r\n", [] {}, true},
        {"an action beyond Loop",
         std::string(kWorkedExample)
             .replace(kWorkedExample.find("0=\xA1SendKeys\xA1NNNE9\r\n"), 0,
                      "1=\xA1SendKeys\xA1NNNE8\r\n"),
         [] {}, true},
        {"nothing lost", kWorkedExample, [this] { table.setLabel(0, "Renamed"); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(dir.file("vorkumel.ini.bak"));
        table.clear();
        load(c.file);
        c.edit();
        ASSERT_FALSE(commands.SaveRun(ProgramSettings{}));
        EXPECT_EQ(dir.has("vorkumel.ini.bak"), c.kept);
        EXPECT_EQ(commands.backupKept(), c.kept ? dir.file("vorkumel.ini.bak") : "");
        if (c.kept) {
            EXPECT_EQ(dir.get("vorkumel.ini.bak"), c.file);
        }
    }

    // A link at the copy's name is replaced, never written through.
    dir.put("elsewhere.txt", "mine");
    std::filesystem::create_symlink(dir.file("elsewhere.txt"), dir.file("vorkumel.ini.bak"));
    const std::string before = dir.get("vorkumel.ini");
    table.remove(0);
    ASSERT_FALSE(commands.SaveRun(ProgramSettings{}));
    EXPECT_EQ(dir.get("elsewhere.txt"), "mine");
    EXPECT_FALSE(std::filesystem::is_symlink(dir.file("vorkumel.ini.bak")));
    EXPECT_EQ(dir.get("vorkumel.ini.bak"), before);
}

TEST_F(CommandsFileTest, AFailedWriteLeavesTheOldFileAndTheTableAsTheyWere) {
    const ProgramSettings s = editedInSubdirectory();
    host.calls.clear();
    FullDisk full;
    ProgramSettingsFile fullSettings{full, dir.path()};
    CommandsFile onFullDisk{table, sequence, host, full, fullSettings};
    auto failure = onFullDisk.SaveRun(s);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message(), "Unable to write to " + s.Settings + "\nNo space left on device");
    EXPECT_EQ(settingsFile.readCommandsFilePath(), s.Settings);
    EXPECT_EQ(dir.get("sub/cmds.ini"), kWorkedExample);
    EXPECT_TRUE(dir.scratchFiles("sub").empty() && dir.scratchFiles().empty());
    EXPECT_EQ(table.label(0), "Changed");
    EXPECT_TRUE(host.calls.empty());

    // The settings file fails first: the commands file is not touched.
    std::filesystem::remove(dir.file("tavrel.ini"));
    std::filesystem::create_directory(dir.file("tavrel.ini"));
    failure = commands.SaveRun(s);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->fileName, dir.file("tavrel.ini"));
    EXPECT_EQ(dir.get("sub/cmds.ini"), kWorkedExample);
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(CommandsFileTest, OnlyARegularFileOfSaneSizeIsReadOrReplaced) {
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0644), 0);
    dir.put("huge.ini", "");
    std::filesystem::resize_file(dir.file("huge.ini"), kLargestReadableFile + 1);
    for (const std::string& path :
         {std::string("/dev/zero"), dir.file("fifo"), dir.file("huge.ini")}) {
        const LoadResult result = commands.LoadFrom(path);
        EXPECT_TRUE(result.found) << path;
        EXPECT_NE(result.readError, "") << path;
        EXPECT_TRUE(table.empty()) << path;
        ProgramSettings s;
        s.Settings = path;
        const auto failure = commands.SaveRun(s);
        ASSERT_TRUE(failure) << path;
        EXPECT_EQ(failure->fileName, path);
        EXPECT_EQ(failure->reason,
                  path == dir.file("huge.ini") ? "File too large" : "Not a regular file");
    }
    EXPECT_EQ(std::filesystem::status(dir.file("fifo")).type(), std::filesystem::file_type::fifo);
}

TEST_F(CommandsFileTest, SaveRunWritesThroughALinkAndKeepsModeAndOwner) {
    std::filesystem::create_directory(dir.file("real"));
    dir.put("real/cmds.ini", kWorkedExample);
    ASSERT_EQ(::chmod(dir.file("real/cmds.ini").c_str(), 0600), 0);
    // Only root may give a file to another owner; a user's file stays theirs.
    const uid_t owner = ::geteuid() == 0 ? 4321 : ::geteuid();
    if (owner != ::geteuid()) {
        ASSERT_EQ(::chown(dir.file("real/cmds.ini").c_str(), owner, owner), 0);
    }
    std::filesystem::create_symlink("real/cmds.ini", dir.file("link.ini"));
    ProgramSettings s;
    s.Settings = dir.file("link.ini");
    commands.LoadFrom(s.Settings);
    table.setLabel(0, "Renamed");
    const std::string expected = CommandsFile::Serialize(table, sequence, host.ports);

    ASSERT_FALSE(commands.SaveRun(s));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.ini")));
    EXPECT_EQ(dir.get("real/cmds.ini"), expected);
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("real/cmds.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(st.st_uid, owner);
    EXPECT_TRUE(dir.scratchFiles().empty() && dir.scratchFiles("real").empty());

    // A file nobody may write is refused, even for root.
    ASSERT_EQ(::chmod(dir.file("real/cmds.ini").c_str(), 0444), 0);
    table.setLabel(0, "Again");
    const auto failure = commands.SaveRun(s);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message(), "Unable to write to " + s.Settings + "\nPermission denied");
    EXPECT_EQ(dir.get("real/cmds.ini"), expected);
}

// The user's file has no read permission and Load minimized makes Save/Run
// run at once: the file must keep what it holds. Root, who may read any file,
// plays the user as nobody.
TEST_F(CommandsFileTest, AFileTheUserCannotReadIsNeverWrittenOver) {
    dir.put("vorkumel.ini", kWorkedExample);
    dir.put("tavrel.ini", "[Config]\r\nArranque=1\r\n");
    ASSERT_EQ(::chmod(dir.file("vorkumel.ini").c_str(), 0), 0);
    ASSERT_EQ(::chmod(dir.file("tavrel.ini").c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    const auto loadAndSave = [this] {
        const LoadResult result = commands.Load();
        const auto failure = commands.SaveRun(settingsFile.read());
        return result.path + ": " + result.readError + "; " +
               (failure ? failure->message() : "saved");
    };
    const std::string outcome =
        ::geteuid() == 0 ? testing::RunAsNobody(loadAndSave) : loadAndSave();
    EXPECT_EQ(outcome, dir.file("vorkumel.ini") + ": Permission denied; Unable to write to " +
                           dir.file("vorkumel.ini") + "\nPermission denied");
    ASSERT_EQ(::chmod(dir.file("vorkumel.ini").c_str(), 0644), 0);  // so the test may read it
    EXPECT_EQ(dir.get("vorkumel.ini"), kWorkedExample);
    EXPECT_EQ(dir.get("tavrel.ini"), "[Config]\r\nArranque=1\r\n");
}

// In a folder everyone writes to (sticky, like /tmp), another user's file at
// vorkumel.ini.bak cannot be replaced: the copy is kept under a fresh name
// beside it, which Save/Run names, and the save goes on.
TEST(CommandsFileShared, AnotherUsersFileAtTheCopysNameLeavesTheCopyUnderAFreshName) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "two users are needed, and only root can act as both";
    }
    const testing::TempDir dir;
    const std::string shared = dir.file("shared");
    ::mkdir(shared.c_str(), 0700);
    ::chmod(shared.c_str(), 01777);
    const std::string theirs = shared + "/vorkumel.ini.bak";
    ASSERT_EQ(testing::RunAs(testing::kOtherUser,
                             [&] {
                                 std::ofstream(theirs, std::ios::binary) << "theirs";
                                 return std::string("ok");
                             }),
              "ok");
    const std::string outcome = testing::RunAs(testing::kNobody, [&] {
        PosixFileSystem files;
        ProgramSettingsFile settingsFile{files, shared};
        CommandTable table;
        SequenceSettings sequence;
        RecordingHost host;
        CommandsFile commands{table, sequence, host, files, settingsFile};
        std::ofstream(shared + "/vorkumel.ini", std::ios::binary) << kWorkedExample;
        commands.Load();
        table.remove(3);
        if (const auto failure = commands.SaveRun(ProgramSettings{})) {
            return failure->message();
        }
        return commands.backupKept();
    });
    EXPECT_EQ(outcome, shared + "/vorkumel.ini.bak.1");
    EXPECT_EQ(dir.get("shared/vorkumel.ini.bak.1"), kWorkedExample);
    EXPECT_EQ(dir.get("shared/vorkumel.ini.bak"), "theirs");
}

}  // namespace
}  // namespace tavrel
