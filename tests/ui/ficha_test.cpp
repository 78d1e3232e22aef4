// The main window: initial form, port activation and its captions, the two
// modes with the tray fallback, menus, translation, help and the tree display.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSystemTrayIcon>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "app/port_activation.h"
#include "app/tray_icon.h"
#include "commands/command_table.h"
#include "commands/program_state.h"
#include "ui/acerca_de.h"
#include "ui/action_editor.h"
#include "ui/command_tree_editor.h"
#include "ui/ficha.h"
#include "ui/images.h"
#include "ui/main_window_services.h"
#include "ui_fakes.h"

namespace tavrel {
namespace {

using testing::Log;

// The program behind the window as far as the window asks for it.
class RecordingServices : public MainWindowServices {
public:
    explicit RecordingServices(Log& log) : log_(log) {}
    ProgramSettings readSettings() override {
        log_.push_back("ReadSettings");
        return settings;
    }
    void loadTranslation(const std::string& path) override {
        log_.push_back("LoadTranslation " + path);
    }
    bool commandTableEmpty() const override { return tableEmpty; }
    void loadCommandsFile() override { log_.push_back("LoadCommandsFile"); }
    std::optional<std::string> SaveRun(const ProgramSettings& saved) override {
        log_.push_back("SaveRun");
        written = saved;
        if (!writeFailure.empty()) {
            return writeFailure;
        }
        return std::nullopt;
    }
    bool startsAtLogin() const override { return atLogin; }
    std::optional<std::string> setStartAtLogin(bool on) override {
        log_.push_back(on ? "StartAtLogin(1)" : "StartAtLogin(0)");
        if (!writeFailure.empty()) {
            return writeFailure;
        }
        atLogin = on;
        return std::nullopt;
    }

    ProgramSettings settings;
    ProgramSettings written;
    std::string writeFailure;
    bool tableEmpty = true;
    bool atLogin = false;

private:
    Log& log_;
};

class FichaTest : public ::testing::Test {
protected:
    FichaTest() {
        ficha.actionEditor().setDesktop(&desktop);
        stateHeard = state.changed.subscribe([this] {
            if (state.AdvancedKeyPress() != advancedKeyPress) {
                advancedKeyPress = state.AdvancedKeyPress();
                log.push_back(advancedKeyPress ? "AdvancedKeyPress(1)" : "AdvancedKeyPress(0)");
            }
        });
    }

    template <typename T>
    T* find(const char* name) {
        T* found = ficha.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QAction* action(const char* name) { return find<QAction>(name); }
    QString caption(const char* name) { return find<QAbstractButton>(name)->text(); }

    std::map<std::string, std::string> table;
    Log log;
    testing::RecordingPort port{log};
    testing::RecordingBoxes boxes{log};
    testing::RecordingHelp help;
    FakeEventLog desktopLog;
    testing::RecordingDesktop desktop{desktopLog, log};
    RecordingServices services{log};
    ProgramState state;
    bool advancedKeyPress = true;
    PortActivation activation{port, boxes, testing::TableTranslate(&table)};
    TrayIcon tray;
    TFicha ficha{services, state, activation, tray, testing::TableTranslate(&table), boxes, help};
    Notifier<>::Subscription stateHeard;
    ProgramSettings& settings = services.settings;
    ProgramSettings& written = services.written;
    std::string& writeFailure = services.writeFailure;
    bool& tableEmpty = services.tableEmpty;
};

TEST_F(FichaTest, StartsWithTheDocumentedForm) {
    EXPECT_EQ(ficha.windowTitle(), "Tavrel");
    EXPECT_EQ(find<QWidget>("Cliente")->size(), QSize(621, 394));
    EXPECT_FALSE(ficha.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(ficha.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(state.EditMode());
    EXPECT_EQ(find<QGroupBox>("GBCommands")->title(), "Assigned commands");
    EXPECT_EQ(find<QGroupBox>("GBActions")->title(), "&Associated actions");
    EXPECT_EQ(find<QGroupBox>("GBSpecialSettings")->title(), "&Especial settings");
    EXPECT_EQ(caption("BotonAceptar"), "Save/&Run");
    EXPECT_EQ(caption("BotonCancelar"), "&Cancel");
    EXPECT_NE(find<QTreeWidget>("TreeView"), nullptr);

    // Every control of the action editor starts disabled except the frames and two labels.
    const QStringList stayEnabled = {"RGCursor", "LLoop", "LTargetWin"};
    for (const char* groupName : {"GBActions", "GBSpecialSettings"}) {
        auto* group = find<QGroupBox>(groupName);
        EXPECT_TRUE(group->isEnabled());
        for (QWidget* control : group->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            EXPECT_EQ(control->isEnabled(), stayEnabled.contains(control->objectName()))
                << control->objectName().toStdString();
        }
    }
    for (const char* name : {"CBUp", "CBDown", "CBLeft", "CBRight"}) {
        EXPECT_FALSE(find<QWidget>(name)->isEnabled()) << name;
    }
    EXPECT_EQ(caption("RadioButton1"), "&Tap key:");
    EXPECT_EQ(caption("RadioButton3"), "&Postmessage:");
    EXPECT_EQ(caption("MasAlt"), "+A&lt");
    EXPECT_EQ(find<QLineEdit>("EwParam")->text(), "0");
    EXPECT_EQ(find<QLineEdit>("ELoop")->text(), "0");
    EXPECT_EQ(find<QComboBox>("ComboBox")->maxVisibleItems(), 13);
    EXPECT_EQ(find<QComboBox>("CBMessage")->maxVisibleItems(), 15);
    EXPECT_EQ(find<QWidget>("Banyade")->toolTip(), "Add");
}

std::vector<std::string> Names(const QList<QAction*>& items) {
    std::vector<std::string> names;
    for (const QAction* item : items) {
        names.push_back(item->objectName().toStdString());
    }
    return names;
}

TEST_F(FichaTest, MenusHoldTheirItemsInOrderWithTheirStates) {
    const auto* archivo = find<QMenu>("Archivo");
    EXPECT_EQ(archivo->title(), "&File");
    EXPECT_EQ(Names(archivo->actions()),
              (std::vector<std::string>{"Configuracion", "", "Sound", "Startminimized",
                                        "AdvancedKeyPress", "StartAtLogin", "ShowCommands", "N1",
                                        "MenuSalir"}));
    EXPECT_EQ(archivo->actions()[1]->menu(), find<QMenu>("Puerto"));
    EXPECT_EQ(Names(find<QMenu>("Puerto")->actions()),
              (std::vector<std::string>{"Activar", "Desactivar"}));
    EXPECT_EQ(Names(find<QMenu>("Ayuda")->actions()),
              (std::vector<std::string>{"Help1", "N3", "Acercade"}));
    EXPECT_TRUE(action("Activar")->isEnabled());
    EXPECT_FALSE(action("Desactivar")->isEnabled());
    EXPECT_TRUE(action("Sound")->isChecked());
    EXPECT_FALSE(action("Startminimized")->isChecked());
    EXPECT_TRUE(action("AdvancedKeyPress")->isChecked());
    EXPECT_EQ(action("AdvancedKeyPress")->text(), "&Advanced key press");

    EXPECT_EQ(Names(ficha.treeEditor().PopupMenu1()->actions()),
              (std::vector<std::string>{"Activado", "Typematic", "Learn", "", "Addcommand",
                                        "Addremote", "", "Rename", "Delete"}));
    EXPECT_TRUE(action("Activado")->isChecked());
    EXPECT_EQ(action("Learn")->text(), "&Learn now...");
    EXPECT_EQ(Names(ficha.PopupMenu()->actions()),
              (std::vector<std::string>{"PPuerto", "Configurar", "N2", "Cerrar"}));
    EXPECT_EQ(ficha.PopupMenu()->defaultAction(), action("Configurar"));
    EXPECT_TRUE(action("Configurar")->font().bold());
    EXPECT_EQ(action("PPuerto")->text(), "&Activate port");
}

TEST_F(FichaTest, ActivateOpensPortRaisesLinesAndShowsOpenState) {
    ficha.ActivarClick();
    EXPECT_EQ(log, (Log{"OpenPort"}));
    EXPECT_EQ(ficha.windowTitle(), "Tavrel 3.0 (Activated - COM2)");
    EXPECT_EQ(tray.Hint(), "Tavrel 3.0 (Activated - COM2)");
    EXPECT_FALSE(action("Activar")->isEnabled());
    EXPECT_TRUE(action("Desactivar")->isEnabled());
    EXPECT_EQ(action("PPuerto")->text(), "Deactivate port");

    // Opening an open port repeats every step of a successful open.
    log.clear();
    ficha.ActivarClick();
    EXPECT_EQ(log, (Log{"OpenPort"}));
}

TEST_F(FichaTest, FailedOpenShowsConflictWithTheDriversReason) {
    port.opens = false;
    port.failure = {OpenFailure::PermissionDenied, "/dev/ttyS1", "dialout", {}, "alice"};
    ficha.ActivarClick();
    EXPECT_EQ(log, (Log{"OpenPort", "Error"}));
    ASSERT_EQ(boxes.captions.size(), 1u);
    EXPECT_EQ(boxes.captions[0], "Serial port conflict");
    EXPECT_EQ(boxes.texts[0],
              "The serial port selected could not be opened\n"
              "/dev/ttyS1: permission denied (the device belongs to the group dialout; add "
              "your user to it with \"sudo adduser alice dialout\", then log out and in again)");
    EXPECT_EQ(ficha.windowTitle(), "Tavrel 3.0 (Inactive)");
    EXPECT_EQ(tray.Hint(),
              "Tavrel 3.0 (Inactive)\n/dev/ttyS1: permission denied (the device belongs to the "
              "group dialout; add your user to it with \"sudo adduser alice dialout\", then "
              "log out and in again)");
    EXPECT_TRUE(action("Activar")->isEnabled());
    EXPECT_FALSE(action("Desactivar")->isEnabled());
    EXPECT_EQ(action("PPuerto")->text(), "Activate port");

    // The reason is translated like the rest; no group that may use the
    // device, no advice to join one.
    table = {{"permissiondenied", "Zugriff verweigert"}};
    port.failure.group.clear();
    ficha.ActivarClick();
    EXPECT_EQ(boxes.texts[1],
              "The serial port selected could not be opened\n"
              "/dev/ttyS1: Zugriff verweigert");

    port.failure = {};
    ficha.ActivarClick();
    EXPECT_EQ(boxes.texts[2], "The serial port selected could not be opened");
}

TEST_F(FichaTest, TheTrayIconShowsThePortStateAndItsHintSaysWhyItIsClosed) {
    const auto shown = [this] { return tray.systemTrayIcon()->icon().pixmap(22, 22).toImage(); };
    const QImage open = ProgramIcon().pixmap(22, 22).toImage();
    const QImage closed = InactiveIcon().pixmap(22, 22).toImage();
    EXPECT_EQ(shown(), closed);
    ficha.ActivarClick();
    EXPECT_EQ(shown(), open);
    activation.deviceGone();
    EXPECT_EQ(shown(), closed);
    EXPECT_EQ(ficha.windowTitle(), "Tavrel 3.0 (Inactive)");
    EXPECT_EQ(tray.Hint(), "Tavrel 3.0 (Inactive)\nThe receiver is gone; waiting for it.");
    ficha.ActivarClick();
    EXPECT_EQ(tray.Hint(), "Tavrel 3.0 (Activated - COM2)");
    ficha.DesactivarClick();
    EXPECT_EQ(shown(), closed);
    EXPECT_EQ(tray.Hint(), "Tavrel 3.0 (Inactive)");
}

TEST_F(FichaTest, DeactivateAndTheTrayPortItemToggle) {
    action("PPuerto")->trigger();
    EXPECT_TRUE(port.IsOpen());
    log.clear();
    action("PPuerto")->trigger();
    EXPECT_EQ(log, (Log{"ClosePort"}));  // the lines stay as they are
    EXPECT_EQ(ficha.windowTitle(), "Tavrel 3.0 (Inactive)");
    EXPECT_EQ(tray.Hint(), "Tavrel 3.0 (Inactive)");
    EXPECT_TRUE(action("Activar")->isEnabled());
    EXPECT_FALSE(action("Desactivar")->isEnabled());
    EXPECT_EQ(action("PPuerto")->text(), "Activate port");
}

TEST_F(FichaTest, TranslationRecaptionsKeyedControlsAndStatusTexts) {
    table = {{"file", "&Archivo"},
             {"activated", "Activado"},
             {"inactive", ""},
             {"ActivatePort", "&Abrir puerto"},
             {"add_hint",
              "A\xF1"
              "adir"},
             {"FLeft", "Izquierda"},
             {"serialportconflict", "Conflicto"}};
    ficha.ApplyTranslation();
    EXPECT_EQ(find<QMenu>("Archivo")->title(), "&Archivo");
    EXPECT_EQ(caption("CBLeft"), "Izquierda");
    EXPECT_EQ(caption("RGClick0"), "Left");
    EXPECT_EQ(find<QWidget>("Banyade")->toolTip(), "A\u00f1adir");
    EXPECT_EQ(action("PPuerto")->text(), "&Abrir puerto");
    EXPECT_EQ(find<QGroupBox>("GBCommands")->title(), "Assigned commands");

    ficha.ActivarClick();
    EXPECT_EQ(ficha.windowTitle(), "Tavrel 3.0 (Activado - COM2)");
    ficha.DesactivarClick();
    EXPECT_EQ(ficha.windowTitle(), "Tavrel 3.0 (Inactive)");  // an empty value keeps the default
    port.opens = false;
    ficha.ActivarClick();
    EXPECT_EQ(boxes.captions.back(), "Conflicto");

    // A key the new table lacks keeps the caption of the earlier translation.
    table.clear();
    ficha.ApplyTranslation();
    EXPECT_EQ(find<QMenu>("Archivo")->title(), "&Archivo");
}

// Qt's own texts (the buttons of a question, the file dialog) follow the
// language the translation names, where the system has Qt's translations.
TEST_F(FichaTest, QtsOwnTextsFollowTheTranslationsLocale) {
    const auto yes = [] { return QCoreApplication::translate("QPlatformTheme", "&Yes"); };
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_de.qm")) {
        GTEST_SKIP() << "Qt's German translation is not installed (qt6-translations-l10n)";
    }
    table = {{"locale", "de"}};
    ficha.ApplyTranslation();
    EXPECT_EQ(yes(), "&Ja");
    table = {{"locale", "es"}};
    ficha.ApplyTranslation();
    EXPECT_EQ(yes(), QString::fromUtf8("&S\u00ed"));
    table.clear();
    ficha.ApplyTranslation();
    EXPECT_EQ(yes(), "&Yes");
}

// With an empty table the guide says which device the receiver is on and
// whether the port is open, or why not with the advice; its links open the
// port and the help. The title shows the port state from the first start.
TEST_F(FichaTest, TheGuideShowsTheReceiverAndTheTitleThePortFromTheStart) {
    CommandTable commands;
    ficha.setCommandTable(&commands);
    ficha.FormActivate();
    EXPECT_EQ(ficha.windowTitle(), "Tavrel 3.0 (Inactive)");
    auto* receiver = find<QLabel>("LGuideReceiver");
    ASSERT_NE(receiver, nullptr);
    const auto shown = [receiver] { return receiver->text().toStdString(); };
    EXPECT_NE(shown().find("COM2 = /dev/ttyS1 (not present)"), std::string::npos) << shown();

    port.opens = false;
    port.failure = {OpenFailure::PermissionDenied, "/dev/ttyS1", "dialout", {}, "alice"};
    emit receiver->linkActivated("activate");
    EXPECT_EQ(log.back(), "Error");
    EXPECT_NE(shown().find("sudo adduser alice dialout"), std::string::npos) << shown();

    port.opens = true;
    emit receiver->linkActivated("activate");
    EXPECT_NE(shown().find("COM2 = /dev/ttyS1, open"), std::string::npos) << shown();
    EXPECT_EQ(receiver->text().indexOf("activate"), -1) << shown();

    emit find<QLabel>("LGuideHelp")->linkActivated("help");
    EXPECT_EQ(help.topics, (std::vector<QString>{"first-steps"}));
    ficha.setCommandTable(nullptr);
}

TEST_F(FichaTest, TranslationFileIsLoadedOnlyWhenItExists) {
    state.setTranslationPath("/nonexistent/espanol.lng");
    ficha.ApplyTranslation();
    EXPECT_TRUE(log.empty());
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    state.setTranslationPath(FromQt(file.fileName()));
    ficha.ApplyTranslation();
    EXPECT_EQ(log, (Log{"LoadTranslation " + state.translationPath()}));
}

TEST_F(FichaTest, FirstActivationReadsSettingsAndLoadsCommands) {
    settings.Sonido = false;
    settings.AdvancedKeyPress = false;
    settings.LogFile = "/tmp/tavrel.log";
    ficha.FormActivate();
    EXPECT_EQ(log,
              (Log{"ReadSettings", "AdvancedKeyPress(0)", "TopLevelTitles", "LoadCommandsFile"}));
    EXPECT_TRUE(state.EditMode());
    EXPECT_FALSE(state.Sonido());
    EXPECT_FALSE(action("Sound")->isChecked());
    EXPECT_FALSE(action("AdvancedKeyPress")->isChecked());
    EXPECT_EQ(state.logPath(), "/tmp/tavrel.log");
    EXPECT_FALSE(ficha.Running());

    // A table that is already filled is not loaded again.
    log.clear();
    tableEmpty = false;
    ficha.FormActivate();
    EXPECT_EQ(log, (Log{"ReadSettings", "TopLevelTitles"}));
}

TEST_F(FichaTest, LoadMinimizedEndsStartUpWithSaveRun) {
    settings.Arranque = true;
    state.setCommandsPath("/home/u/vorkumel.ini");
    ficha.show();
    ficha.FormActivate();
    EXPECT_EQ(log, (Log{"ReadSettings", "TopLevelTitles", "LoadCommandsFile", "SaveRun"}));
    EXPECT_TRUE(written.Arranque);
    EXPECT_TRUE(written.Sonido);
    EXPECT_TRUE(written.AdvancedKeyPress);
    EXPECT_EQ(written.Settings, "/home/u/vorkumel.ini");
    EXPECT_FALSE(state.EditMode());
    EXPECT_TRUE(ficha.Running());
    EXPECT_TRUE(action("Startminimized")->isChecked());
}

// Counts the times a widget is put on screen.
class ShowCounter : public QObject {
public:
    explicit ShowCounter(QWidget& widget) { widget.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        shows += event->type() == QEvent::Show ? 1 : 0;
        return false;
    }
    int shows = 0;
};

TEST_F(FichaTest, LoadMinimizedStartsStraightInTheTrayWithoutShowingTheWindow) {
    tray.SetAvailabilityProbe([] { return true; });
    settings.Arranque = true;
    ShowCounter counter(ficha);
    ficha.start();
    QCoreApplication::processEvents();
    EXPECT_TRUE(ficha.Running());
    EXPECT_TRUE(tray.Visible());
    EXPECT_EQ(counter.shows, 0);
}

TEST_F(FichaTest, StartShowsTheWindowWhenLoadMinimizedCannotSave) {
    tray.SetAvailabilityProbe([] { return true; });
    settings.Arranque = true;
    writeFailure = "Unable to write to /ro/tavrel.ini";
    ficha.start();
    EXPECT_FALSE(ficha.Running());
    EXPECT_TRUE(ficha.isVisible());
    EXPECT_EQ(boxes.texts, (std::vector<QString>{"Unable to write to /ro/tavrel.ini"}));
}

// A panel that comes after Tavrel, or goes: running mode follows it.
TEST_F(FichaTest, RunningModeMovesBetweenTrayAndMinimisedWindowAsTheTrayComesAndGoes) {
    bool area = false;
    tray.SetAvailabilityProbe([&area] { return area; });
    ficha.show();
    ficha.BotonCancelarClick();
    EXPECT_TRUE(QTest::qWaitFor([this] { return ficha.isMinimized(); }));
    area = true;
    tray.CheckAvailability();
    EXPECT_FALSE(ficha.isVisible());
    EXPECT_TRUE(tray.Visible());
    area = false;
    tray.CheckAvailability();
    EXPECT_TRUE(ficha.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([this] { return ficha.isMinimized(); }));
    EXPECT_TRUE(ficha.Running());
}

TEST_F(FichaTest, MinimisingFromTheWindowManagerIsTheApplicationsMinimise) {
    tray.SetAvailabilityProbe([] { return true; });
    ficha.show();
    ficha.setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ficha.Running());
    EXPECT_FALSE(ficha.isVisible());
    EXPECT_TRUE(tray.Visible());
    EXPECT_TRUE(state.EditMode());
}

TEST_F(FichaTest, StartAtLoginAndShowCommandsChecks) {
    services.atLogin = true;
    settings.ShowCommands = true;
    ficha.FormActivate();
    EXPECT_TRUE(action("StartAtLogin")->isChecked());
    EXPECT_TRUE(action("ShowCommands")->isChecked());
    EXPECT_TRUE(state.ShowCommands());

    log.clear();
    action("StartAtLogin")->trigger();
    EXPECT_FALSE(action("StartAtLogin")->isChecked());
    writeFailure = "Unable to write to /ro/autostart/tavrel.desktop";
    action("StartAtLogin")->trigger();
    EXPECT_FALSE(action("StartAtLogin")->isChecked());
    EXPECT_EQ(log, (Log{"StartAtLogin(0)", "StartAtLogin(1)", "Error"}));

    writeFailure.clear();
    action("ShowCommands")->trigger();
    EXPECT_FALSE(state.ShowCommands());
    ficha.BotonAceptarClick();
    EXPECT_FALSE(written.ShowCommands);
}

TEST_F(FichaTest, SaveRunStopsWhenWritingFails) {
    ficha.show();
    writeFailure = "Unable to write to /ro/tavrel.ini";
    find<QAbstractButton>("BotonAceptar")->click();
    EXPECT_EQ(log, (Log{"SaveRun", "Error"}));
    EXPECT_EQ(boxes.texts.back(), "Unable to write to /ro/tavrel.ini");
    EXPECT_TRUE(state.EditMode());
    EXPECT_FALSE(ficha.Running());
    EXPECT_TRUE(ficha.isVisible());
}

// Offscreen has no notification area: running mode minimises the window.
TEST_F(FichaTest, WithoutTrayRunningModeMinimisesAndRestoringReturnsToEditing) {
    ficha.show();
    QCoreApplication::processEvents();  // start-up runs
    log.clear();
    find<QAbstractButton>("BotonCancelar")->click();
    EXPECT_FALSE(state.EditMode());
    EXPECT_TRUE(ficha.Running());
    EXPECT_TRUE(ficha.isVisible());
    // Once the window is on screen, where a window manager can minimise it.
    EXPECT_TRUE(QTest::qWaitFor([this] { return ficha.isMinimized(); }));
    EXPECT_FALSE(tray.Visible());
    EXPECT_TRUE(log.empty());  // Cancel writes nothing

    ficha.showNormal();  // the user brings it back from the taskbar
    EXPECT_TRUE(state.EditMode());
    EXPECT_FALSE(ficha.Running());
    EXPECT_EQ(log, (Log{"TopLevelTitles"}));
}

TEST_F(FichaTest, WithTrayRunningModeHidesAndDoubleClickBringsEditingBack) {
    tray.SetAvailabilityProbe([] { return true; });
    ficha.show();
    find<QAbstractButton>("BotonCancelar")->click();
    EXPECT_FALSE(ficha.isVisible());
    EXPECT_TRUE(tray.ShowIcon());
    EXPECT_TRUE(tray.Visible());

    QSystemTrayIcon* icon = tray.systemTrayIcon();
    emit icon->activated(QSystemTrayIcon::Trigger);  // a left click does nothing
    EXPECT_FALSE(ficha.isVisible());
    EXPECT_EQ(icon->contextMenu(), ficha.PopupMenu());

    emit icon->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(ficha.isVisible());
    EXPECT_TRUE(state.EditMode());
    EXPECT_FALSE(tray.ShowIcon());
    EXPECT_FALSE(tray.Visible());
    EXPECT_EQ(ficha.focusWidget(), find<QWidget>("BotonAceptar"));

    // The keyword restore shows the window without entering editing mode.
    ficha.BotonCancelarClick();
    ficha.AppRestore();
    EXPECT_TRUE(ficha.isVisible());
    EXPECT_FALSE(state.EditMode());
}

TEST_F(FichaTest, MenuChecksFlip) {
    action("Sound")->trigger();
    EXPECT_FALSE(state.Sonido());
    EXPECT_FALSE(action("Sound")->isChecked());
    ficha.SoundClick();
    EXPECT_TRUE(state.Sonido());
    EXPECT_TRUE(action("Sound")->isChecked());
    action("Startminimized")->trigger();
    EXPECT_TRUE(ficha.StartminimizedChecked());
    action("AdvancedKeyPress")->trigger();
    EXPECT_FALSE(state.AdvancedKeyPress());
    // The runner follows the check at once; nothing is written before Save/Run.
    EXPECT_EQ(log, (Log{"AdvancedKeyPress(0)"}));
    // The checks show the state, whoever changed it.
    state.setSonido(false);
    EXPECT_FALSE(action("Sound")->isChecked());
}

TEST_F(FichaTest, ExitClosesAnOpenPortThenTheWindow) {
    ficha.show();
    ficha.ActivarClick();
    log.clear();
    action("MenuSalir")->trigger();
    EXPECT_EQ(log, (Log{"ClosePort"}));
    EXPECT_FALSE(ficha.isVisible());

    ficha.show();
    log.clear();
    EXPECT_TRUE(ficha.close());  // the close box: allowed, and the port was already closed
    EXPECT_TRUE(log.empty());
}

TEST_F(FichaTest, HelpOpensTopicsAndContextNumbers) {
    action("Help1")->trigger();
    EXPECT_EQ(help.topics, (std::vector<QString>{"introduction"}));
    EXPECT_EQ(HelpContextOf(find<QWidget>("TreeView")), 2);
    EXPECT_EQ(HelpContextOf(find<QWidget>("CBRight")), 3);
    EXPECT_EQ(HelpContextOf(find<QWidget>("EDelay")), 4);
    EXPECT_EQ(HelpContextOf(find<QWidget>("BotonAceptar")), 0);
}

TEST_F(FichaTest, AboutBoxOpensModally) {
    QTimer::singleShot(0, &ficha, [this] {
        EXPECT_TRUE(ficha.AcercaDe().isVisible());
        ficha.AcercaDe().accept();
    });
    action("Acercade")->trigger();
    EXPECT_FALSE(ficha.AcercaDe().isVisible());
    EXPECT_EQ(ficha.AcercaDe().windowTitle(), "About Tavrel 3.0");
}

TEST_F(FichaTest, TreeShowsTheTableAndFollowsItsSelection) {
    CommandTable commands;
    const int tv = commands.appendRemote("TV");
    const int power = commands.appendCommand(tv, "Power", 2);
    commands.record(power).Codigo.NumValores = 6;
    commands.applyImageRule(power);
    commands.appendCommand(tv, "Volume up", 3);
    commands.appendRemote("Radio");
    ficha.setCommandTable(&commands);

    auto* tree = find<QTreeWidget>("TreeView");
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "TV");
    ASSERT_EQ(tree->topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->child(1)->text(0), "Volume up");
    EXPECT_EQ(tree->topLevelItem(1)->text(0), "Radio");

    // Choosing a command in the tree makes it current; a remote leaves none.
    tree->setCurrentItem(tree->topLevelItem(0)->child(0));
    EXPECT_EQ(commands.selected(), power);
    EXPECT_EQ(commands.current(), &commands.record(power));
    tree->setCurrentItem(tree->topLevelItem(1));
    EXPECT_EQ(commands.current(), nullptr);
    tree->setCurrentItem(tree->topLevelItem(0)->child(0));

    // A new image keeps the items; a new shape rebuilds them.
    QTreeWidgetItem* powerItem = tree->currentItem();
    commands.setImages(power, 2, 4);
    EXPECT_EQ(tree->currentItem(), powerItem);
    EXPECT_EQ(powerItem->text(0), "Power");

    commands.select(3);
    EXPECT_EQ(tree->currentItem(), tree->topLevelItem(1));
    commands.setLabel(3, "Radio 2");
    EXPECT_EQ(tree->topLevelItem(1)->text(0), "Radio 2");
    ficha.setCommandTable(nullptr);
}

TEST_F(FichaTest, ActionEditorListsAreFilled) {
    ficha.actionEditor().setMessageNames({"WM_SETTEXT", "WM_CLOSE", "WM_KEYDOWN"});
    auto* messages = find<QComboBox>("CBMessage");
    ASSERT_EQ(messages->count(), 3);
    EXPECT_EQ(messages->itemText(0), "WM_CLOSE");
    EXPECT_EQ(messages->currentText(), "");
    ficha.actionEditor().setKeyNames({"Return", "Esc", "F1"});
    EXPECT_EQ(find<QComboBox>("ComboBox")->itemText(1), "Esc");

    // Window titles: sorted, untitled windows left out, equal titles kept,
    // and the text typed into the box survives the refill.
    auto* targets = find<QComboBox>("CBTargetWin");
    targets->setEditText("Editor");
    for (const char* title : {"xterm", "", "Caf\xE9", "editor", "xterm"}) {
        desktop.addWindow(title);
    }
    ficha.actionEditor().FillTargetWindowList();
    QStringList shown;
    for (int i = 0; i < targets->count(); ++i) {
        shown << targets->itemText(i);
    }
    EXPECT_EQ(shown, (QStringList{"Caf\u00e9", "editor", "xterm", "xterm"}));
    EXPECT_EQ(targets->currentText(), "Editor");
}

}  // namespace
}  // namespace tavrel
