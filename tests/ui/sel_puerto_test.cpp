// The configuration dialog's rules: port settings in force at once, the
// loader's values shown without handlers, the digit-only sequence fields, the
// commands field that switches only when finished, the translation field.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QToolButton>

#include "app/port_activation.h"
#include "commands/program_state.h"
#include "run_as_nobody.h"
#include "ui/configuration_services.h"
#include "ui/device_state.h"
#include "ui/sel_puerto.h"
#include "ui/up_down.h"
#include "ui_fakes.h"

namespace tavrel {
namespace {

using testing::Log;

class RecordingConfiguration : public ConfigurationServices {
public:
    explicit RecordingConfiguration(Log& log) : log_(log) {}
    PortOrdinals portOrdinals() const override { return ordinals; }
    void setPortOrdinals(const PortOrdinals& o) override {
        ordinals = o;
        log_.push_back("Set COM" + std::to_string(o.ComPort + 1) + " speed " +
                       std::to_string(o.ComPortSpeed));
    }
    bool commandsModified() const override { return modified; }
    std::optional<std::string> commandsFileUnusable(const std::string&) const override {
        return {};
    }
    void switchCommandsFile(const std::string& path) override { log_.push_back("Load " + path); }
    void switchTranslationFile(const std::string& path) override {
        log_.push_back("Translation " + path);
    }
    std::string portDevice(int n) const override {
        return device.empty() ? "/dev/ttyS" + std::to_string(n - 1) : device;
    }
    std::vector<SerialDeviceEntry> serialDevices() const override { return {}; }
    std::optional<std::string> setPortDevice(int, const std::string&) override { return {}; }

    PortOrdinals ordinals{1, 8, 0, 3, 0};
    bool modified = false;
    std::string device;  // every port's, when set

private:
    Log& log_;
};

class SelPuertoTest : public ::testing::Test {
protected:
    template <typename T>
    T* find(const char* name) {
        T* found = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    // A pick by the user: activated comes also for the item already selected.
    void pick(const char* list, int position) {
        auto* combo = find<QComboBox>(list);
        combo->setCurrentIndex(position);
        emit combo->activated(position);
    }
    void openPort() {
        activation.ActivarClick();
        log.clear();
    }

    std::map<std::string, std::string> table;
    Log log;
    testing::RecordingPort port{log};
    testing::RecordingBoxes boxes{log};
    RecordingConfiguration services{log};
    ProgramState state;
    SequenceSettings sequence;
    PortActivation activation{port, boxes, testing::TableTranslate(&table)};
    testing::RecordingHelp help;
    TSelPuerto dialog{services, state, activation, sequence, testing::TableTranslate(&table),
                      boxes,    help};
};

TEST_F(SelPuertoTest, APickedPortSettingIsInForceAtOnce) {
    int opens = 0;
    const auto heard = activation.changed.subscribe([&opens](bool open) { opens += open; });
    openPort();
    pick("CBVelocidad", 11);
    EXPECT_EQ(log, (Log{"ClosePort", "Set COM2 speed 12", "OpenPort"}));
    // The same item again: closed and reopened, the start-up bytes go out again.
    pick("CBVelocidad", 11);
    EXPECT_EQ(opens, 3);

    port.ClosePort();
    log.clear();
    pick("CBPortNumber", 2);
    EXPECT_EQ(log, (Log{"Set COM3 speed 12"}));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(find<QLabel>("LDevice")->text().left(20), "COM3 = /dev/ttyS2 (n");

    // Ok and Cancel only hide: nothing is undone.
    dialog.show();
    find<QPushButton>("BotonCancelar")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(services.ordinals.ComPort, 2);
}

// Speed, parity, data and stop bits mean nothing to a kernel receiver or the
// daemon; a daemon over the network has no file to be present.
TEST_F(SelPuertoTest, LineSettingsAreGreyedForReceiversOfAnotherKind) {
    const struct {
        const char* device;
        bool lineSettings;
        const char* shown;
    } cases[] = {
        {"/nonexistent/ttyUSB0", true, "COM2 = /nonexistent/ttyUSB0 (not present)"},
        {"/nonexistent/lirc0:raw", false, "COM2 = /nonexistent/lirc0:raw (not present)"},
        {"lircd:mediapc:8765", false, "COM2 = lircd:mediapc:8765"},
    };
    for (const auto& c : cases) {
        services.device = c.device;
        dialog.FormActivate();
        EXPECT_EQ(find<QLabel>("LDevice")->text(), c.shown);
        for (const char* list : {"CBVelocidad", "CBParidad", "CBDataBits", "CBStopbits"}) {
            EXPECT_EQ(find<QComboBox>(list)->isEnabled(), c.lineSettings) << c.device << list;
        }
    }
}

TEST_F(SelPuertoTest, TheLoadersValuesAreShownWithoutRunningHandlers) {
    openPort();
    dialog.showPortOrdinals({4, 12, 2, 1, 2});
    dialog.showSequenceSettings({3, 40, 2, 6});
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(find<QComboBox>("CBPortNumber")->currentText(), "COM5");
    EXPECT_EQ(find<QComboBox>("CBVelocidad")->currentText(), "115200");
    EXPECT_EQ(find<QComboBox>("CBStopbits")->currentText(), "2");
    EXPECT_EQ(find<QLineEdit>("ETolera")->text(), "40");
    EXPECT_EQ(find<UpDown>("UDSize")->position(), 2);
    // 110 baud has no item: the list stays as it was.
    dialog.showPortOrdinals({4, 0, 2, 1, 2});
    EXPECT_EQ(find<QComboBox>("CBVelocidad")->currentText(), "115200");
}

TEST_F(SelPuertoTest, SequenceFieldsTakeDigitsAtOnceAndKeepTheValueOnBadInput) {
    auto* tolerance = find<QLineEdit>("ETolera");
    tolerance->clear();
    QTest::keyClick(tolerance, Qt::Key_1);
    EXPECT_EQ(sequence.Tolerance, 1);
    QTest::keyClick(tolerance, Qt::Key_2);
    EXPECT_EQ(sequence.Tolerance, 12);
    QTest::keyClick(tolerance, Qt::Key_A);  // refused
    EXPECT_EQ(tolerance->text(), "12");
    QTest::keyClicks(tolerance, "999");  // beyond the arrows: taken as typed
    EXPECT_EQ(sequence.Tolerance, 12999);

    auto* size = find<QLineEdit>("ESize");
    sequence.ValueSize = 2;
    size->setText(QStringLiteral("2"));
    size->selectAll();
    QTest::keyClick(size, Qt::Key_Backspace);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "'' is not a valid integer value");
    EXPECT_EQ(sequence.ValueSize, 2);
    // A size capture cannot use never reaches it.
    QTest::keyClick(size, Qt::Key_7);
    EXPECT_EQ(sequence.ValueSize, 2);
    EXPECT_EQ(size->text(), "2");
    EXPECT_EQ(boxes.texts.size(), 2u);
    find<UpDown>("UDSize")->setPosition(2);
    find<UpDown>("UDSize")->upButton()->click();
    EXPECT_EQ(sequence.ValueSize, 3);
    EXPECT_EQ(size->text(), "3");
}

TEST_F(SelPuertoTest, TheCommandsFileSwitchesOnlyWhenTheFieldIsFinished) {
    QTemporaryFile other;
    ASSERT_TRUE(other.open());
    const std::string otherPath = FromQt(other.fileName());
    state.setCommandsPath("/old/vorkumel.ini");
    auto* field = find<QLineEdit>("EFichConfig");
    field->clear();
    QTest::keyClicks(field, other.fileName());
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(state.commandsPath(), "/old/vorkumel.ini");

    // Unsaved edits: the user is asked, and a No keeps everything.
    services.modified = true;
    boxes.answer = false;
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(log, (Log{"Confirm"}));
    EXPECT_EQ(field->text(), "/old/vorkumel.ini");
    EXPECT_EQ(state.commandsPath(), "/old/vorkumel.ini");

    boxes.answer = true;
    dialog.chooseFile = [&other](const QString&) { return other.fileName(); };
    find<QPushButton>("BExaminarFichConfig")->click();
    EXPECT_EQ(log, (Log{"Confirm", "Confirm", "Load " + otherPath}));
    EXPECT_EQ(state.commandsPath(), otherPath);

    // A name the settings cannot hold is refused.
    field->setText(QStringLiteral("/new/\u0142\u00f3d\u017a.ini"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(field->text(), QString::fromStdString(otherPath));
    EXPECT_EQ(state.commandsPath(), otherPath);
    log.clear();

    // A name with no file: it is where Save/Run will write, the table stays.
    field->setText(QStringLiteral("/new/remotes.ini"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(state.commandsPath(), "/new/remotes.ini");
    EXPECT_TRUE(log.empty());
}

TEST_F(SelPuertoTest, TheTranslationFieldRetranslatesBothWindows) {
    int mainWindow = 0;
    QObject::connect(&dialog, &TSelPuerto::translationChanged, [&mainWindow] { ++mainWindow; });
    table = {{"ok", "Aceptar"}, {"portnumber", "Puerto"}};
    QTest::keyClicks(find<QLineEdit>("EFichLenguaje"), "x");
    EXPECT_EQ(log, (Log{"Translation x"}));
    EXPECT_EQ(mainWindow, 1);
    EXPECT_EQ(find<QPushButton>("BotonAceptar")->text(), "Aceptar");
    EXPECT_EQ(find<QTabWidget>("PageControl1")->tabText(0), "Puerto");
    EXPECT_EQ(find<QPushButton>("BotonCancelar")->text(), "Cancel");

    // Browse empties the table first, then loads the file chosen.
    log.clear();
    dialog.chooseFile = [](const QString&) { return QStringLiteral("x"); };
    find<QPushButton>("BExaminarFichLenguaje")->click();
    EXPECT_EQ(log, (Log{"Translation ", "Translation x"}));
}

// Texts of lists follow the language at once, and return to English with a
// table that lacks them.
TEST_F(SelPuertoTest, ListItemsFollowTheLanguageWithoutReopening) {
    dialog.FormActivate();
    const auto items = [this] {
        return std::vector<QString>{find<QComboBox>("CBDevice")->itemText(0),
                                    find<QComboBox>("CBParidad")->itemText(0),
                                    find<QComboBox>("CBParidad")->itemText(4)};
    };
    table = {{"choosedevice", "Elija un dispositivo..."},
             {"paritynone", "Ninguna"},
             {"parityspace", "Espacio"}};
    dialog.ApplyTranslation();
    EXPECT_EQ(items(), (std::vector<QString>{"Elija un dispositivo...", "Ninguna", "Espacio"}));
    table.clear();
    dialog.ApplyTranslation();
    EXPECT_EQ(items(), (std::vector<QString>{"Choose a device...", "None", "Space"}));
}

// The device line tells a device this user cannot open from one that works.
TEST(DeviceStateTest, WordsFollowWhatThisUserMayDo) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to give a device away and drop privileges";
    }
    QTemporaryDir dir;
    const QString owned = dir.filePath("owned-by-root");
    QFile file(owned);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_EQ(chmod(dir.path().toLocal8Bit().constData(), 0755), 0);
    const struct {
        QString path;
        const char* words;
    } cases[] = {{QStringLiteral("/dev/null"), "present"},
                 {owned, "present, no permission"},
                 {dir.filePath("missing"), "not present"}};
    for (const auto& c : cases) {
        EXPECT_EQ(testing::RunAsNobody([&c] { return DeviceStateWords(c.path, {}).toStdString(); }),
                  c.words)
            << c.path.toStdString();
    }
}

}  // namespace
}  // namespace tavrel
