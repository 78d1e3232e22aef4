// The learning dialog through the real capture on a virtual clock: the port
// check, the three outcomes, the dialog staying open after a failure, the
// detail line, the collision warning, and every way out ending learning.
#include "ui/aprendizaje.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <map>
#include <string>
#include <vector>

#include "capture/code_capture.h"
#include "commands/command_table.h"
#include "platform/fake/virtual_clock.h"
#include "platform/posix/posix_file_system.h"
#include "translation/translation_table.h"
#include "ui_fakes.h"

namespace tavrel {
namespace {

using testing::Log;

// TV: Play (the command to learn), Stop (learned: 1 50 60).
class LearningDialogTest : public ::testing::Test {
protected:
    LearningDialogTest() {
        const int tv = table.appendRemote("TV");
        play = &table.record(table.appendCommand(tv, "Play", 2));
        TComando& stop = table.record(table.appendCommand(tv, "Stop", 3));
        stop.Codigo.Valores[0] = 1;
        stop.Codigo.Valores[1] = 50;
        stop.Codigo.Valores[2] = 60;
        stop.Codigo.NumValores = 3;
        sequence.ShortestCodeLength = 3;
        table.setCurrent(play);
        capture.reconocer = [this](const TSecuencia&) { ++recognised; };
        capture.PortActivated();
        QObject::connect(&dialog, &TAprendizaje::learned, &dialog, [this] { ++learned; });
    }

    // One button press: a burst after silence, ended by 150 ms without data.
    void press(std::vector<std::uint8_t> burst) {
        capture.CommPortReceiveData(burst.data(), static_cast<std::int32_t>(burst.size()));
        clock.advance(200);
    }
    void open() {
        port.OpenPort();
        ASSERT_TRUE(dialog.prepareLearning());
        dialog.show();
    }
    void ok() { dialog.findChild<QPushButton*>("BotonAceptar")->click(); }
    QString detail() const { return dialog.findChild<QLabel*>("LDetail")->text(); }

    VirtualClock clock;
    CommandTable table;
    SequenceSettings sequence;  // SkipFirst 1, Tolerance 4
    CodeCapture capture{clock, table, sequence};
    Log log;
    testing::RecordingPort port{log};
    testing::RecordingBoxes boxes{log};
    TAprendizaje dialog{capture, table, sequence, port, boxes, {}};
    TComando* play = nullptr;
    int recognised = 0;
    int learned = 0;
};

TEST_F(LearningDialogTest, AClosedPortOnlySaysSo) {
    EXPECT_FALSE(dialog.prepareLearning());
    EXPECT_EQ(boxes.icons.back(), BoxIcon::Exclamation);
    EXPECT_EQ(boxes.captions.back(), "Serial port deactivated");
    EXPECT_EQ(boxes.texts.back(), "To learn, the serial port must be activated");
    EXPECT_FALSE(capture.Aprendiendo);
    open();
    EXPECT_EQ(dialog.windowTitle(), "Learning from the serial port COM2");
    EXPECT_TRUE(capture.Aprendiendo);
}

TEST_F(LearningDialogTest, ATranslatedCaptionLosesThePortAndTheTextsFollowTheirKeys) {
    const std::map<std::string, std::string> words{{"learningfromtheserialport", "Aprender"},
                                                   {"instructions2", "Pulse Ok."},
                                                   {"learningsamplesreceived", "Muestras:"}};
    TAprendizaje translated(capture, table, sequence, port, boxes, testing::TableTranslate(&words));
    port.OpenPort();
    ASSERT_TRUE(translated.prepareLearning());
    translated.show();
    EXPECT_EQ(translated.windowTitle(), "Aprender");
    EXPECT_EQ(translated.findChild<QLabel*>("Linstrucc2")->text(), "Pulse Ok.");
    EXPECT_EQ(translated.findChild<QLabel*>("LReceived")->text(), "Received values:");
    EXPECT_EQ(translated.findChild<QLabel*>("LDetail")->text(), "Muestras: 0");
}

TEST_F(LearningDialogTest, ThreeSamplesGiveTheShortestMidpointCodeAndCloseTheDialog) {
    open();
    press({1, 100, 5, 6, 7, 8, 9, 10});
    press({1, 104, 5, 6, 7, 8, 9});
    press({1, 101, 5, 6, 7, 8, 9, 10});
    EXPECT_EQ(detail(), "Samples received: 3 (lengths 8, 7, 8)");
    EXPECT_EQ(dialog.findChild<QProgressBar*>("ValorEntrada")->value(), 10);
    EXPECT_EQ(recognised, 0);
    table.markSaved();
    ok();
    EXPECT_TRUE(table.modified());
    EXPECT_EQ(boxes.icons.back(), BoxIcon::Information);
    EXPECT_EQ(boxes.texts.back(), "Sample correctly recognized.");
    EXPECT_EQ(play->Codigo.NumValores, 7);
    EXPECT_EQ(play->Codigo.Valores[1], 102);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(capture.Aprendiendo);
    EXPECT_EQ(learned, 1);
    press({1, 100, 5, 6, 7, 8, 9});
    EXPECT_EQ(recognised, 1);
}

TEST_F(LearningDialogTest, FailedChecksKeepTheDialogOpenAndExplainWhy) {
    open();
    press({1, 2, 3, 4});
    press({1, 2, 3, 4});
    ok();
    EXPECT_EQ(boxes.icons.back(), BoxIcon::Stop);
    EXPECT_EQ(boxes.texts.back(),
              "Insufficient number of samples to secure later recognition.\r\rRepeat, please.");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(capture.NumMuestras, 0);

    for (int i = 0; i < 6; ++i) {
        press({1, static_cast<std::uint8_t>(100 + 5 * (i % 3)), 7});
    }
    EXPECT_EQ(detail(), "Samples received: 5 (lengths 3, 3, 3, 3, 3)");
    ok();  // 100, 105, 110: the code holds 105, the first sample is 5 away
    EXPECT_EQ(boxes.texts.back(), "The samples received are very different.\r\rRepeat, please.");
    EXPECT_EQ(play->Codigo.NumValores, 0);
    EXPECT_EQ(detail(),
              "Sample 1, position 2: differs by -5. Tolerance that accepts every sample: 5");
    EXPECT_TRUE(dialog.isVisible() && capture.Aprendiendo);
    dialog.findChild<QPushButton*>("BotonCancelar")->click();
    EXPECT_FALSE(dialog.isVisible() || capture.Aprendiendo);
    EXPECT_EQ(play->Codigo.NumValores, 0);
    EXPECT_EQ(learned, 0);
}

// A failed check clears the code it checked: the tree shows the command as
// one without a code, also when the dialog is then cancelled.
TEST_F(LearningDialogTest, AClearedCodeShowsAsNoCodeAfterCancel) {
    const int stop = 2;
    table.applyImageRule(stop);
    ASSERT_EQ(table.image(stop), node_image::kEnabled);
    table.setCurrent(&table.record(stop));
    open();
    for (std::uint8_t value : {100, 105, 110}) {
        press({1, value, 7});
    }
    ok();
    ASSERT_EQ(table.record(stop).Codigo.NumValores, 0);
    dialog.findChild<QPushButton*>("BotonCancelar")->click();
    EXPECT_EQ(table.image(stop), node_image::kNoCode);
}

TEST_F(LearningDialogTest, TheCloseBoxEndsLearning) {
    open();
    press({1, 50, 60});
    dialog.close();
    EXPECT_FALSE(capture.Aprendiendo);
    press({1, 50, 60});
    EXPECT_EQ(recognised, 1);
}

// Commands often share a name ("New command"): the warning tells this command
// from the other one by their places, and says which of them never runs.
TEST_F(LearningDialogTest, ACodeAnotherCommandAnswersToIsStoredWithAWarning) {
    table.setLabel(1, "New command");
    table.setLabel(2, "New command");
    const struct {
        int learned;
        const char* second;
    } cases[] = {
        {1,
         "A press of it runs this command, TV, command 1 (New command); the other one never "
         "runs."},
        {2,
         "A press of it runs the other one, TV, command 1 (New command); this command, TV, "
         "command 2 (New command), never runs."},
    };
    for (const auto& c : cases) {
        table.setCurrent(&table.record(c.learned));
        open();
        for (int i = 0; i < 3; ++i) {
            press({1, 50, 60});
        }
        ok();
        EXPECT_EQ(boxes.icons.back(), BoxIcon::Exclamation);
        EXPECT_EQ(boxes.texts.back(),
                  QStringLiteral("Sample correctly recognized.\r\rWarning: this button is also "
                                 "recognised as TV, command %1 (New command).\r")
                          .arg(3 - c.learned) +
                      c.second);
        EXPECT_EQ(table.record(c.learned).Codigo.NumValores, 3);
    }
}

// Longer translated texts, on a desktop with a larger font, make the dialog
// grow: the caption is not cut, no wrapped text is cut, and the detail line
// keeps clear of the buttons.
TEST_F(LearningDialogTest, TheDialogGrowsWithTheShippedTranslation) {
    const QFont usual = QApplication::font();
    QFont larger = usual;
    larger.setPointSize(12);
    QApplication::setFont(larger);
    const auto restore = qScopeGuard([&usual] { QApplication::setFont(usual); });
    PosixFileSystem files;
    TranslationTable german;
    ASSERT_TRUE(german.loadFile(files, TAVREL_TRANSLATIONS_DIR "/Deutsch.lng").ok());
    TAprendizaje translated(
        capture, table, sequence, port, boxes,
        [&german](std::string def, std::string key) { return german.Translate(def, key); });
    port.OpenPort();
    ASSERT_TRUE(translated.prepareLearning());
    translated.show();
    for (std::uint8_t value : {100, 105, 110}) {
        press({1, value, 7});
    }
    translated.findChild<QPushButton*>("BotonAceptar")->click();  // the longest detail line
    const auto* detail = translated.findChild<QLabel*>("LDetail");
    ASSERT_TRUE(detail->text().startsWith("Muster 1"));
    EXPECT_GE(translated.width(),
              translated.fontMetrics().horizontalAdvance(translated.windowTitle()) +
                  TAprendizaje::kTitleBarAllowance);
    for (const char* name : {"LInstrucc1", "LDetail"}) {
        const auto* label = translated.findChild<QLabel*>(name);
        EXPECT_GE(label->height(), label->heightForWidth(label->width())) << name;
    }
    EXPECT_LT(detail->geometry().bottom() + 2,
              translated.findChild<QPushButton*>("BotonAceptar")->geometry().top());
    EXPECT_LE(translated.findChild<QPushButton*>("BotonCancelar")->geometry().bottom(),
              translated.height());
}

}  // namespace
}  // namespace tavrel
