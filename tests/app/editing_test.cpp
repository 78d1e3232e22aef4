// The editors as presses from the receiver meet them: the wired program on a
// real pseudo-terminal, the window's real widgets on the offscreen platform.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include "program_fixture.h"
#include "ui/command_tree_editor.h"
#include "ui/sel_puerto.h"

namespace tavrel {
namespace {

using testing::ProgramTest;

// TV: Power (0A 1F 3C), Mute (0B 2F 3C).
const std::string kTwoCommands =
    "[Config]\r\nPuerto=2\r\nNumComandos=3\r\n"
    "[Comandos]\r\n1=TV\r\n2=Power\r\n3=Mute\r\n"
    "[1]\r\nLevel=0\r\n"
    "[2]\r\nLevel=1\r\nCodigo=0A1F3C0A1F3C\r\n"
    "[3]\r\nLevel=1\r\nCodigo=0B2F3C0B2F3C\r\n";
const std::vector<std::uint8_t> kMute{0x0B, 0x2F, 0x3C, 0x0B, 0x2F, 0x3C};
const std::vector<std::uint8_t> kUnknown{0x55, 0x66, 0x77, 0x55, 0x66, 0x77};

class EditingTest : public ProgramTest {
protected:
    void startWith(const std::string& commands) {
        ASSERT_TRUE(pty.ok());
        writeSettings();
        write("vorkumel.ini", commands);
        start();
        ficha().show();
        ASSERT_TRUE(QTest::qWaitFor([this] { return pty.received() == "IR"; }, 5000));
    }
    QTreeWidgetItem* node(int pos) {
        return ficha().treeEditor().itemOf(&program->Table().record(pos));
    }
    QLineEdit* openLabelEditor() {
        for (QLineEdit* edit : tree()->viewport()->findChildren<QLineEdit*>()) {
            if (edit->isVisible()) {
                return edit;
            }
        }
        return nullptr;
    }
    bool enabled(const char* name) {
        return ficha().findChild<QWidget*>(QString::fromLatin1(name))->isEnabled();
    }
};

// A rename typed but not yet ended with Enter is the name: a press that moves
// the selection, to another command or to none, keeps it in the table and in
// the tree alike.
TEST_F(EditingTest, APressKeepsARenameInProgress) {
    startWith(kTwoCommands);
    const struct {
        int renamed;
        const std::vector<std::uint8_t>& burst;
        int selectedAfter;
    } cases[] = {{1, kMute, 2}, {2, kUnknown, kNoNode}};
    for (const auto& c : cases) {
        tree()->setCurrentItem(node(c.renamed));
        ficha().treeEditor().RenameClick();
        QLineEdit* editor = openLabelEditor();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, "Renamed");
        pressAfterSilence(c.burst);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return program->Table().selected() == c.selectedAfter; }, 5000))
            << c.renamed;
        QApplication::processEvents();
        EXPECT_EQ(program->Table().label(c.renamed), "Renamed") << c.renamed;
        EXPECT_EQ(node(c.renamed)->text(0), "Renamed") << c.renamed;
    }
}

// A press no command answers to clears the tree's selection: the action
// editor then edits no command either.
TEST_F(EditingTest, AnUnrecognisedPressLeavesNoCommandEditable) {
    startWith(kTwoCommands);
    tree()->setCurrentItem(node(1));
    ASSERT_TRUE(enabled("RadioButton1"));
    pressAfterSilence(kUnknown);
    ASSERT_TRUE(QTest::qWaitFor([this] { return tree()->currentItem() == nullptr; }, 5000));
    for (const char* name : {"RadioButton1", "RBMouse", "Banyade", "CBTargetWin"}) {
        EXPECT_FALSE(enabled(name)) << name;
    }
}

// A file the program cannot use is named in the user's language.
TEST_F(EditingTest, UnreadableFilesAreReportedInTheChosenLanguage) {
    ASSERT_TRUE(pty.ok());
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(TAVREL_TRANSLATIONS_DIR "/Deutsch.lng"), file("de.lng")));
    writeSettings("[Files]\r\nLanguage=" + file("de.lng").toStdString() + "\r\n");
    write("vorkumel.ini", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    start();
    ASSERT_FALSE(boxes.texts.empty());
    EXPECT_EQ(boxes.texts[0].toStdString(),
              file("vorkumel.ini").toStdString() + " kann nicht gelesen werden\nNot a text file");
}

// A file picked as the commands that is none is refused for that reason
// alone, before anything else happens: the table, the port and the path stay.
TEST_F(EditingTest, AFileThatIsNoCommandsFileIsRefusedAndNothingChanges) {
    startWith(kTwoCommands);
    write("picture.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    auto* field = program->SelPuerto().findChild<QLineEdit*>(QStringLiteral("EFichConfig"));
    const QString before = field->text();
    field->setText(file("picture.png"));
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0].toStdString(),
              "Unable to read " + file("picture.png").toStdString() + "\nNot a text file");
    EXPECT_EQ(program->Table().count(), 3);
    EXPECT_TRUE(program->CommPort().IsOpen());
    EXPECT_EQ(program->state().commandsPath(), file("vorkumel.ini").toStdString());
    EXPECT_EQ(field->text(), before);
}

// A receiver that went away is looked for on the device [Ports] names at
// each attempt, and Deactivate stops the looking.
TEST_F(EditingTest, TheReopenAfterAHangUpReadsThePortsAndDeactivateStopsIt) {
    startWith(kTwoCommands);
    const auto mapTo = [this](const testing::Pty& line) {
        write("tavrel.ini", "[Ports]\r\nCOM2=" + line.path() + "\r\n");
    };
    testing::Pty picked;
    ASSERT_TRUE(picked.ok());
    pty.hangUp();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !program->CommPort().IsOpen(); }, 5000));
    mapTo(picked);  // another receiver, picked while the first one is gone
    EXPECT_TRUE(QTest::qWaitFor([&picked] { return picked.received() == "IR"; }, 5000));

    picked.hangUp();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !program->CommPort().IsOpen(); }, 5000));
    EXPECT_TRUE(action("Desactivar")->isEnabled());
    EXPECT_EQ(action("PPuerto")->text().toStdString(), "Deactivate port");
    action("Desactivar")->trigger();
    EXPECT_FALSE(action("Desactivar")->isEnabled());
    testing::Pty third;
    ASSERT_TRUE(third.ok());
    mapTo(third);
    QTest::qWait(2500);  // two attempts' time
    EXPECT_FALSE(program->CommPort().IsOpen());
    EXPECT_EQ(third.received(), "");
}

// A first start (no commands file): the guide names the receiver's device as
// [Ports] maps it, and says when the port is open.
TEST_F(EditingTest, TheGuideOfAFirstStartNamesTheMappedDevice) {
    ASSERT_TRUE(pty.ok());
    writeSettings();
    start();
    ASSERT_TRUE(program->Table().empty());
    auto* receiver = ficha().findChild<QLabel*>(QStringLiteral("LGuideReceiver"));
    ASSERT_NE(receiver, nullptr);
    const std::string mapped = "COM2 = " + pty.path();
    EXPECT_NE(receiver->text().toStdString().find(mapped + " (present)"), std::string::npos)
        << receiver->text().toStdString();
    emit receiver->linkActivated(QStringLiteral("activate"));
    EXPECT_NE(receiver->text().toStdString().find(mapped + ", open"), std::string::npos)
        << receiver->text().toStdString();
}

}  // namespace
}  // namespace tavrel
