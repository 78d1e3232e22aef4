// The wired program on the offscreen platform: real files in a scratch
// directory, a real pseudo-terminal as the serial port, the recording desktop.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/tray_icon.h"
#include "platform/fake/fake_platform.h"
#include "platform/file_system.h"
#include "program_fixture.h"
#include "ui/acerca_de.h"
#include "ui/ficha.h"
#include "ui/fit_text.h"
#include "ui/sel_puerto.h"
#include "ui_fakes.h"

namespace tavrel {
namespace {

using testing::kOneCommand;
using testing::Log;
using testing::ProgramTest;
using testing::Pty;
using testing::ReadFile;

TEST_F(ProgramTest, MissingCommandsFileLeavesTableEmptyAndPortClosed) {
    ASSERT_TRUE(pty.ok());
    writeSettings();
    start();
    EXPECT_TRUE(program->Table().empty());
    EXPECT_FALSE(program->CommPort().IsOpen());
    // The port's state shows from the first start, also before any open.
    EXPECT_EQ(ficha().windowTitle(), "Tavrel 3.0 (Inactive)");
    EXPECT_EQ(program->state().commandsPath(), file("vorkumel.ini").toStdString());
    EXPECT_EQ(program->Tray().Hint(), "Tavrel 3.0 (Inactive)");
    EXPECT_TRUE(program->state().EditMode());
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(program->Sequence().ShortestCodeLength, 100000);
}

TEST_F(ProgramTest, FileWithoutEntriesKeepsPortClosedUntilActivated) {
    ASSERT_TRUE(pty.ok());
    writeSettings();
    write("vorkumel.ini", "[Config]\r\nPuerto=2\r\nNumComandos=0\r\n");
    start();
    EXPECT_FALSE(program->CommPort().IsOpen());
    EXPECT_EQ(ficha().windowTitle(), "Tavrel 3.0 (Inactive)");

    action("Activar")->trigger();
    EXPECT_TRUE(program->CommPort().IsOpen());
    EXPECT_EQ(ficha().windowTitle(), "Tavrel 3.0 (Activated - COM2)");
    EXPECT_EQ(program->Tray().Hint(), "Tavrel 3.0 (Activated - COM2)");
    EXPECT_FALSE(action("Activar")->isEnabled());
    EXPECT_TRUE(action("Desactivar")->isEnabled());
    EXPECT_EQ(action("PPuerto")->text(), "Deactivate port");
    // The receiver gets its start-up bytes from the Qt timers.
    EXPECT_TRUE(QTest::qWaitFor([this] { return pty.received() == "IR"; }, 5000)) << pty.received();

    action("PPuerto")->trigger();
    EXPECT_FALSE(program->CommPort().IsOpen());
    EXPECT_EQ(ficha().windowTitle(), "Tavrel 3.0 (Inactive)");
    EXPECT_EQ(action("PPuerto")->text(), "Activate port");
    EXPECT_TRUE(action("Activar")->isEnabled());
}

TEST_F(ProgramTest, PortThatCannotOpenShowsTheConflictWithTheReason) {
    ASSERT_TRUE(pty.ok());
    write("tavrel.ini", "[Ports]\r\nCOM2=" + file("missing-tty").toStdString() + "\r\n");
    write("vorkumel.ini", kOneCommand);
    start();  // the load ends with an open of the missing device
    ASSERT_EQ(boxes.captions.size(), 1u);
    EXPECT_EQ(boxes.captions[0], "Serial port conflict");
    // Only a line in use is headed as used by another application.
    EXPECT_EQ(boxes.texts[0], "The serial port selected could not be opened\n" +
                                  file("missing-tty") + ": no such device");
    EXPECT_EQ(ficha().windowTitle(), "Tavrel 3.0 (Inactive)");
    EXPECT_TRUE(action("Activar")->isEnabled());

    // A line another program holds.
    writeSettings();
    ASSERT_TRUE(pty.lockSlave());
    program.reset();
    start();
    ASSERT_EQ(boxes.texts.size(), 2u);
    EXPECT_EQ(boxes.texts[1], "The serial port selected is being used by another application\n" +
                                  QString::fromStdString(pty.path()) +
                                  ": in use by another program");

    // No port at all in the file.
    write("vorkumel.ini", "[Config]\r\nNumComandos=0\r\n");
    program.reset();
    start();
    action("Activar")->trigger();
    ASSERT_EQ(boxes.texts.size(), 3u);
    EXPECT_EQ(boxes.texts[2],
              "The serial port selected could not be opened\n"
              "No serial port is selected (COM1 to COM8).");
    EXPECT_EQ(ficha().windowTitle(), "Tavrel 3.0 (Inactive)");
}

TEST_F(ProgramTest, EditingSelectsThePressedCommandAndRunningRunsIt) {
    ASSERT_TRUE(pty.ok());
    writeSettings("[Files]\r\nLogFile=" + file("tavrel.log").toStdString() + "\r\n");
    write("vorkumel.ini", kOneCommand);
    start();
    ASSERT_TRUE(program->CommPort().IsOpen());
    EXPECT_EQ(ficha().windowTitle(), "Tavrel 3.0 (Activated - COM2)");
    EXPECT_EQ(program->Sequence().ShortestCodeLength, 6);
    ASSERT_TRUE(QTest::qWaitFor([this] { return pty.received() == "IR"; }, 5000));

    // Editing: the press selects the command in the tree, nothing runs or is logged.
    press();
    ASSERT_TRUE(QTest::qWaitFor([this] { return tree()->currentItem() != nullptr; }, 5000));
    EXPECT_EQ(tree()->currentItem()->text(0), "Power");
    EXPECT_EQ(program->Table().current(), &program->Table().record(1));
    EXPECT_EQ(keyEvents(), 0u);
    EXPECT_FALSE(QFile::exists(file("tavrel.log")));

    // Running (Cancel): the next press, after the burst's end, types and is logged.
    ficha().show();
    ficha().findChild<QAbstractButton*>(QStringLiteral("BotonCancelar"))->click();
    EXPECT_FALSE(program->state().EditMode());
    QTest::qWait(0);
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return !program->Capture().temporizador().enabled(); }, 5000));
    press();
    ASSERT_TRUE(QTest::qWaitFor([this] { return keyEvents() >= 4; }, 5000));
    EXPECT_EQ(ReadFile(file("tavrel.log")), "TV,Power\r\n");
}

// Said once, after the press's actions ran, and in running mode as a notice,
// never in a box that would take the keyboard focus.
TEST_F(ProgramTest, LogFileThatCannotBeWrittenReachesTheErrorReport) {
    ASSERT_TRUE(pty.ok());
    QDir(dir.path()).mkdir(QStringLiteral("log-is-a-directory"));
    writeSettings("[Files]\r\nLogFile=" + file("log-is-a-directory").toStdString() + "\r\n");
    write("vorkumel.ini", kOneCommand);
    start();
    ficha().BotonCancelarClick();
    press();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !noticeText().isEmpty(); }, 5000));
    const std::size_t keys = keyEvents();
    EXPECT_GT(keys, 0u);
    QTest::qWait(300);  // the end of the burst
    press();
    ASSERT_TRUE(QTest::qWaitFor([&] { return keyEvents() > keys; }, 5000));
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(noticeText(), "<b>Tavrel</b><br>Unable to write to " + file("log-is-a-directory") +
                                "<br>Not a regular file");
}

TEST_F(ProgramTest, SettingsFileSetsChecksAndTheRunnerFollowsTheMenu) {
    ASSERT_TRUE(pty.ok());
    writeSettings("[Config]\r\nSonido=0\r\nAdvancedKeyPress=0\r\nArranque=0\r\n");
    start();
    EXPECT_FALSE(program->state().Sonido());
    EXPECT_FALSE(action("Sound")->isChecked());
    EXPECT_FALSE(action("AdvancedKeyPress")->isChecked());
    EXPECT_FALSE(program->state().AdvancedKeyPress());
    EXPECT_FALSE(action("Startminimized")->isChecked());
    EXPECT_TRUE(program->state().EditMode());

    action("AdvancedKeyPress")->trigger();
    EXPECT_TRUE(program->state().AdvancedKeyPress());
    action("Sound")->trigger();
    EXPECT_TRUE(program->state().Sonido());
    EXPECT_TRUE(action("Sound")->isChecked());
}

TEST_F(ProgramTest, ModesSaveRunCancelAndProperties) {
    ASSERT_TRUE(pty.ok());
    writeSettings();
    write("vorkumel.ini", kOneCommand);
    start();
    ficha().show();

    // Cancel: running mode, nothing written.
    const std::string before = ReadFile(file("vorkumel.ini"));
    program->Table().setLabel(1, "Power off");
    ficha().BotonCancelarClick();
    EXPECT_FALSE(program->state().EditMode());
    EXPECT_TRUE(ficha().Running());
    EXPECT_EQ(ReadFile(file("vorkumel.ini")), before);
    EXPECT_EQ(program->Table().label(1), "Power off");

    // Properties: editing again, the window shown.
    action("Configurar")->trigger();
    EXPECT_TRUE(program->state().EditMode());
    EXPECT_FALSE(ficha().Running());
    EXPECT_TRUE(ficha().isVisible());
    EXPECT_FALSE(ficha().isMinimized());

    // Save/Run: both files written, the table reloaded from them, running mode.
    program->Runner().setPendingNumber(7);
    ficha().findChild<QAbstractButton*>(QStringLiteral("BotonAceptar"))->click();
    EXPECT_FALSE(program->state().EditMode());
    EXPECT_TRUE(ficha().Running());
    EXPECT_EQ(program->Runner().PendingNumber(), 0);
    EXPECT_NE(ReadFile(file("vorkumel.ini")).find("2=Power off\r\n"), std::string::npos);
    EXPECT_NE(ReadFile(file("tavrel.ini")).find("Arranque=0"), std::string::npos);
    EXPECT_EQ(program->Table().label(1), "Power off");
    EXPECT_TRUE(program->CommPort().IsOpen());
    EXPECT_TRUE(boxes.texts.empty());
}

TEST_F(ProgramTest, SaveRunThatCannotWriteChangesNothing) {
    ASSERT_TRUE(pty.ok());
    write("vorkumel.ini", kOneCommand);
    // A directory where the settings file belongs cannot be replaced.
    QDir(dir.path()).mkdir(QStringLiteral("tavrel.ini"));
    start();
    ficha().show();
    ficha().BotonAceptarClick();
    ASSERT_EQ(boxes.texts.size(), 2u);  // the port conflict (no [Ports]) came first
    EXPECT_EQ(boxes.texts[1], "Unable to write to " + file("tavrel.ini") + "\nIs a directory");
    EXPECT_TRUE(program->state().EditMode());
    EXPECT_FALSE(ficha().Running());
    EXPECT_EQ(ReadFile(file("vorkumel.ini")), kOneCommand);
}

// "Load minimized" cannot save over a file that is no commands file: the
// window it then shows is in editing mode, where a press only selects.
TEST_F(ProgramTest, AStartUpSaveRunThatFailsLeavesTheProgramInEditingMode) {
    ASSERT_TRUE(pty.ok());
    writeSettings("[Config]\r\nArranque=1\r\n");
    write("vorkumel.ini", "Remote notes\r\n");
    start();
    EXPECT_TRUE(program->state().EditMode());
    EXPECT_FALSE(ficha().Running());
    ASSERT_FALSE(boxes.texts.empty());
    EXPECT_EQ(boxes.texts.back(),
              "Unable to write to " + file("vorkumel.ini") + "\nNo [section] line found");
    EXPECT_EQ(ReadFile(file("vorkumel.ini")), "Remote notes\r\n");
}

TEST_F(ProgramTest, LoadMinimizedEndsStartUpInRunningModeWithBothFilesWritten) {
    ASSERT_TRUE(pty.ok());
    writeSettings("[Config]\r\nArranque=1\r\n");
    write("vorkumel.ini", kOneCommand);
    start();
    EXPECT_FALSE(program->state().EditMode());
    EXPECT_TRUE(ficha().Running());
    EXPECT_TRUE(action("Startminimized")->isChecked());
    EXPECT_NE(ReadFile(file("vorkumel.ini")), kOneCommand);
    EXPECT_NE(ReadFile(file("tavrel.ini")).find("Settings=" + file("vorkumel.ini").toStdString()),
              std::string::npos);
    EXPECT_TRUE(program->CommPort().IsOpen());
    EXPECT_EQ(program->Table().count(), 2);
    EXPECT_TRUE(QDir(dir.path())
                    .entryList({QStringLiteral("temporal*.tmp")}, QDir::Files | QDir::Hidden)
                    .isEmpty());
}

// A count below the entries the file holds is a slip of a hand edit: the
// entries are all loaded, and the start-up Save/Run writes them all back.
TEST_F(ProgramTest, ACountBelowTheEntriesHeldLosesNoneAtStartUp) {
    ASSERT_TRUE(pty.ok());
    writeSettings("[Config]\r\nArranque=1\r\n");
    std::string commands = "[Config]\r\nPuerto=2\r\nNumComandos=-5\r\n[Comandos]\r\n";
    const char* const names[] = {"TV", "Power", "Mute", "Radio", "Play", "Stop"};
    for (int i = 0; i < 6; ++i) {
        commands += std::to_string(i + 1) + "=" + names[i] + "\r\n";
    }
    for (int i = 1; i <= 6; ++i) {
        commands +=
            "[" + std::to_string(i) + "]\r\nLevel=" + (i == 1 || i == 4 ? "0" : "1") + "\r\n";
    }
    write("vorkumel.ini", commands);
    start();
    EXPECT_TRUE(ficha().Running());
    ASSERT_EQ(program->Table().count(), 6);
    EXPECT_EQ(program->Table().label(5), "Stop");
    const std::string saved = ReadFile(file("vorkumel.ini"));
    EXPECT_NE(saved.find("NumComandos=6\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("6=Stop\r\n"), std::string::npos) << saved;
}

// A command deleted by the user: the copy of the file as it was, and a word.
TEST_F(ProgramTest, ASaveRunThatDropsACommandKeepsACopyAndSaysSo) {
    ASSERT_TRUE(pty.ok());
    writeSettings();
    write("vorkumel.ini", kOneCommand);
    start();
    program->Table().remove(1);
    ficha().BotonAceptarClick();
    EXPECT_TRUE(ficha().Running());
    EXPECT_EQ(ReadFile(file("vorkumel.ini.bak")), kOneCommand);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.icons, std::vector<BoxIcon>{BoxIcon::Information});
    EXPECT_TRUE(boxes.texts[0].endsWith(" is kept in " + file("vorkumel.ini.bak") + "."))
        << boxes.texts[0].toStdString();
}

TEST_F(ProgramTest, ExitClosesThePortAndDestinationWindowsAreListed) {
    ASSERT_TRUE(pty.ok());
    platform.desktop.addWindow("xterm");
    platform.desktop.addWindow("Editor");
    writeSettings();
    write("vorkumel.ini", kOneCommand);
    start();
    auto* targets = ficha().findChild<QComboBox*>(QStringLiteral("CBTargetWin"));
    ASSERT_EQ(targets->count(), 2);
    EXPECT_EQ(targets->itemText(0), "Editor");

    ficha().show();
    ASSERT_TRUE(program->CommPort().IsOpen());
    action("MenuSalir")->trigger();
    EXPECT_FALSE(program->CommPort().IsOpen());
    EXPECT_FALSE(ficha().isVisible());
}

TEST_F(ProgramTest, FilesThatCannotBeReadAreNamedOnceAndNeverWrittenOver) {
    ASSERT_TRUE(pty.ok());
    const std::string fifo = file("commands.fifo").toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    writeSettings("[Config]\r\nArranque=1\r\n[Files]\r\nSettings=" + fifo + "\r\n");
    start();
    // Read in running mode (Load minimized): a notice; the failed Save/Run
    // brings the window back in editing mode, with its box.
    EXPECT_EQ(noticeText().toStdString(),
              "<b>Tavrel</b><br>Unable to read " + fifo + "<br>Not a regular file");
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts.back().toStdString(),
              "Unable to write to " + fifo + "\nNot a regular file");
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));

    program.reset();
    boxes.texts.clear();
    write("tavrel.ini", "Settings=lost.ini\r\n");
    start();
    ficha().FormActivate();
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts.front(),
              "Unable to read " + file("tavrel.ini") + "\nNo [section] line found");
}

// Selecting a command and recognising it while editing only show its action:
// another commands file then loads without a question.
TEST_F(ProgramTest, ShowingACommandLeavesNothingUnsaved) {
    ASSERT_TRUE(pty.ok());
    writeSettings();
    write("vorkumel.ini", kOneCommand);
    write("other.ini", "[Config]\r\nPuerto=2\r\nNumComandos=0\r\n");
    start();
    tree()->setCurrentItem(tree()->topLevelItem(0)->child(0));
    ASSERT_EQ(program->Table().current(), &program->Table().record(1));
    tree()->setCurrentItem(tree()->topLevelItem(0));
    ASSERT_TRUE(QTest::qWaitFor([this] { return pty.received() == "IR"; }, 5000));
    press();
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return program->Table().current() == &program->Table().record(1); }, 5000));
    EXPECT_FALSE(program->commandsModified());

    auto* field = program->SelPuerto().findChild<QLineEdit*>(QStringLiteral("EFichConfig"));
    field->setText(file("other.ini"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(boxes.captions.empty());
    EXPECT_TRUE(program->Table().empty());
}

// A translation that cannot be read is read once and named once.
TEST_F(ProgramTest, AnUnreadableTranslationIsNamedOnce) {
    ASSERT_TRUE(pty.ok());
    writeSettings();
    start();
    QFile big(file("big.lng"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(static_cast<qint64>(kLargestReadableFile) + 1));
    big.close();
    TSelPuerto& dialog = program->SelPuerto();
    dialog.chooseFile = [this](const QString&) { return file("big.lng"); };
    dialog.findChild<QAbstractButton*>(QStringLiteral("BExaminarFichLenguaje"))->click();
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_TRUE(boxes.texts[0].startsWith("Unable to read " + file("big.lng")));
}

// With no commands file the dialog shows the port and sequence settings in force.
TEST_F(ProgramTest, TheConfigurationDialogShowsTheSettingsInForce) {
    ASSERT_TRUE(pty.ok());
    writeSettings();
    start();
    const TSelPuerto& dialog = program->SelPuerto();
    const auto list = [&dialog](const char* name) {
        return dialog.findChild<QComboBox*>(QString::fromLatin1(name))->currentText();
    };
    const auto field = [&dialog](const char* name) {
        return dialog.findChild<QLineEdit*>(QString::fromLatin1(name))->text();
    };
    EXPECT_EQ(list("CBPortNumber"), "COM2");
    EXPECT_EQ(list("CBVelocidad"), "19200");
    EXPECT_EQ(list("CBDataBits"), "8");
    EXPECT_EQ(field("ESkip"), QString::number(program->Sequence().SkipFirst));
    EXPECT_EQ(field("ETolera"), QString::number(program->Sequence().Tolerance));
    EXPECT_EQ(field("ESize"), QString::number(program->Sequence().ValueSize));
}

// Start at login under a configuration folder whose name is not ASCII: the
// entry lands in that folder; a name Windows-1252 cannot hold is reported and
// nothing is written anywhere.
TEST_F(ProgramTest, StartAtLoginWritesUnderTheConfigurationFolderAsNamed) {
    ASSERT_TRUE(pty.ok());
    const char* const saved = std::getenv("XDG_CONFIG_HOME");
    const std::string kept = saved != nullptr ? saved : "";
    writeSettings();
    const struct {
        const char* folder;
        bool written;
    } cases[] = {{"Konfigur\u00e4tion", true}, {"konfiguracja \u0142", false}};
    for (const auto& c : cases) {
        const std::string home = dir.path().toStdString() + "/" + c.folder;
        ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
        program.reset();
        boxes.texts.clear();
        start();
        const auto folders = [this] {
            return QDir(dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
        };
        const auto before = folders();
        action("StartAtLogin")->trigger();
        EXPECT_EQ(std::filesystem::exists(home + "/autostart/tavrel.desktop"), c.written) << home;
        EXPECT_EQ(folders(), before + (c.written ? 1 : 0)) << home;
        EXPECT_EQ(action("StartAtLogin")->isChecked(), c.written) << home;
        EXPECT_EQ(boxes.texts.size(), c.written ? 0u : 1u) << home;
    }
    if (saved != nullptr) {
        ::setenv("XDG_CONFIG_HOME", kept.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
}

// The receiver picker on real lines: the device the user picks is written for
// the chosen COM port, every other byte of tavrel.ini stays, and the next open
// of the port (not the one in force) uses it; so does a hand edit.
TEST_F(ProgramTest, APickedDeviceIsWrittenToPortsAndUsedFromTheNextOpen) {
    Pty receiver;
    ASSERT_TRUE(pty.ok() && receiver.ok());
    const std::string before = "; kept as it is\r\n[Files]\r\nLogFile=\r\n\r\n[Other]\r\nx = 1\r\n";
    writeSettings(before);
    write("vorkumel.ini", kOneCommand);
    QDir(dir.path()).mkdir(QStringLiteral("by-id"));
    const std::string link = file("by-id").toStdString() + "/usb-Test_IR_Receiver_01-if00-port0";
    ASSERT_EQ(::symlink(receiver.path().c_str(), link.c_str()), 0);
    start();
    program->deviceSearch = {file("by-id").toStdString(), {}};
    ASSERT_TRUE(QTest::qWaitFor([this] { return pty.received() == "IR"; }, 5000));

    TSelPuerto& dialog = program->SelPuerto();
    dialog.FormActivate();
    auto* devices = dialog.findChild<QComboBox*>(QStringLiteral("CBDevice"));
    ASSERT_EQ(devices->count(), 2);
    EXPECT_EQ(devices->itemText(1),
              QString::fromStdString("Test IR Receiver 01 (" + receiver.path() + ")"));
    devices->setCurrentIndex(1);
    emit devices->activated(1);
    EXPECT_EQ(ReadFile(file("tavrel.ini")), before + "[Ports]\r\nCOM2=" + link + "\r\n");
    EXPECT_TRUE(dialog.findChild<QLabel*>(QStringLiteral("LDevice"))->text().endsWith("(present)"));

    action("Desactivar")->trigger();
    action("Activar")->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&receiver] { return receiver.received() == "IR"; }, 5000));
    EXPECT_EQ(pty.received(), "IR");

    writeSettings(before);  // back to the first line by hand
    action("Desactivar")->trigger();
    action("Activar")->trigger();
    EXPECT_TRUE(QTest::qWaitFor([this] { return pty.received() == "IRIR"; }, 5000));
}

// A shipped translation chosen in the dialog, from a file whose name is not
// ASCII, reaches every window, and no caption of any shipped file is cut off;
// a name with no file behind it empties the table but keeps the captions.
TEST_F(ProgramTest, ShippedTranslationsReachEveryWindowWithoutCuttingTexts) {
    ASSERT_TRUE(pty.ok());
    writeSettings();
    start();
    TSelPuerto& dialog = program->SelPuerto();
    QString chosen;
    dialog.chooseFile = [&chosen](const QString&) { return chosen; };
    const auto choose = [&](const QString& shipped, const QString& name) {
        chosen = dir.filePath(name);
        ASSERT_TRUE(QFile::copy(QStringLiteral(TAVREL_TRANSLATIONS_DIR "/") + shipped, chosen));
        dialog.findChild<QAbstractButton*>(QStringLiteral("BExaminarFichLenguaje"))->click();
        ficha().AcercaDe().FormShow();
    };
    const auto button = [](QWidget* window, const char* name) {
        return window->findChild<QAbstractButton*>(QString::fromLatin1(name))->text();
    };
    // Every fixed-text control of the three windows with its built-in text.
    const auto controls = [this, &dialog] {
        std::vector<std::pair<QWidget*, QString>> found;
        for (QWidget* window : {static_cast<QWidget*>(&ficha()), static_cast<QWidget*>(&dialog),
                                static_cast<QWidget*>(&ficha().AcercaDe())}) {
            for (QAbstractButton* control : window->findChildren<QAbstractButton*>()) {
                found.emplace_back(control, control->text());
            }
            for (QLabel* label : window->findChildren<QLabel*>()) {
                if (!label->wordWrap()) {
                    found.emplace_back(label, label->text());
                }
            }
        }
        return found;
    };
    const auto builtIn = controls();
    const auto expectNothingCut = [&](const QString& shipped) {
        for (QWidget* window : {static_cast<QWidget*>(&ficha()), static_cast<QWidget*>(&dialog),
                                static_cast<QWidget*>(&ficha().AcercaDe())}) {
            window->show();
        }
        QCoreApplication::processEvents();
        const auto now = controls();
        for (std::size_t i = 0; i < now.size(); ++i) {
            QWidget* control = now[i].first;
            if (control->isVisible() && now[i].second != builtIn[i].second) {
                EXPECT_GE(control->width(), WidthForText(control))
                    << shipped.toStdString() << ' ' << control->objectName().toStdString();
            }
        }
    };

    choose(QStringLiteral("Espanol.lng"), QStringLiteral("es.lng"));
    expectNothingCut(QStringLiteral("Espanol.lng"));
    choose(QStringLiteral("Deutsch.lng"), QStringLiteral("\u00dcbersetzung.lng"));
    expectNothingCut(QStringLiteral("Deutsch.lng"));
    EXPECT_EQ(button(&ficha(), "BotonAceptar"), "Speichern/&Ausf\u00fchren");
    EXPECT_EQ(button(&dialog, "BotonAceptar"), "&OK");
    EXPECT_EQ(button(&ficha().AcercaDe(), "BAceptar"), "&OK");
    EXPECT_EQ(dialog.windowTitle(), "Programmeinstellungen");

    auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("EFichLenguaje"));
    QTest::keyClicks(field, "x");
    EXPECT_TRUE(program->Translation().lines().empty());
    EXPECT_EQ(button(&ficha(), "BotonAceptar"), "Speichern/&Ausf\u00fchren");
}

// Typing a path key by key keeps the table; finishing the field with edits
// not yet saved asks first, and only a yes loads the other file.
TEST_F(ProgramTest, TheCommandsFieldKeepsUnsavedEditsUntilTheUserAgrees) {
    ASSERT_TRUE(pty.ok());
    writeSettings();
    write("vorkumel.ini", kOneCommand);
    write("other.ini",
          "[Config]\r\nPuerto=2\r\nNumComandos=1\r\n[Comandos]\r\n1=Radio\r\n"
          "[1]\r\nLevel=0\r\n");
    start();
    // An action added in the action editor is an unsaved edit like a new label.
    EXPECT_FALSE(program->commandsModified());
    tree()->setCurrentItem(tree()->topLevelItem(0)->child(0));
    ASSERT_EQ(program->Table().current(), &program->Table().record(1));
    ficha().findChild<QAbstractButton*>(QStringLiteral("Banyade"))->click();
    EXPECT_TRUE(program->commandsModified());
    program->Table().setLabel(1, "Power on");
    auto* field = program->SelPuerto().findChild<QLineEdit*>(QStringLiteral("EFichConfig"));
    field->clear();
    QTest::keyClicks(field, file("other.ini"));
    EXPECT_EQ(program->Table().label(1), "Power on");

    boxes.answer = false;
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(boxes.captions.back(), "Unsaved changes");
    EXPECT_EQ(program->Table().count(), 2);
    boxes.answer = true;
    field->setText(file("other.ini"));
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_EQ(program->Table().count(), 1);
    EXPECT_EQ(program->Table().label(0), "Radio");
    EXPECT_EQ(program->state().commandsPath(), file("other.ini").toStdString());
    EXPECT_FALSE(program->commandsModified());
}

}  // namespace
}  // namespace tavrel
