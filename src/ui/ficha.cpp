// The main window TFicha.
#include "ui/ficha.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLayout>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "commands/program_state.h"
#include "ui/acerca_de.h"
#include "ui/action_editor.h"
#include "ui/command_tree_editor.h"
#include "ui/first_start_guide.h"
#include "ui/fit_text.h"
#include "ui/help_viewer.h"
#include "ui/images.h"
#include "ui/main_window_services.h"
#include "ui/message_boxes.h"
#include "ui/notification_icon.h"
#include "ui/port_switch.h"
#include "ui_Principal.h"

namespace tavrel {
namespace {

constexpr int kButtonGap = 6;  // between Save/Run and Cancel on the form

void NameSeparator(QWidget* menu, const char* name) {
    const auto items = menu->actions();
    auto separator = std::find_if(items.begin(), items.end(),
                                  [](const QAction* item) { return item->isSeparator(); });
    if (separator != items.end()) {
        (*separator)->setObjectName(QString::fromLatin1(name));
    }
}

}  // namespace

TFicha::TFicha(MainWindowServices& services, ProgramState& state, PortSwitch& port,
               NotificationIcon& tray, TranslateFn translate, MessageBoxes& boxes, HelpViewer& help,
               QWidget* parent)
    : QMainWindow(parent),
      ui_(std::make_unique<Ui::TFicha>()),
      services_(services),
      state_(state),
      port_(port),
      translate_(std::move(translate)),
      boxes_(boxes),
      help_(help),
      tray_(tray) {
    ui_->setupUi(this);
    // A fixed single border with the system menu and the close box only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    ui_->Cliente->setFixedSize(621, 394);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setWindowIcon(ProgramIcon());
    setWindowTitle(QStringLiteral("Tavrel"));

    buildMenus();

    tray_.SetIcon(InactiveIcon());  // the port is closed until it opens
    tray_.SetPopupMenu(popupMenu_);
    tray_.OnDblClick = [this] { ConfigurarClick(); };
    tray_.OnAvailabilityChanged = [this](bool available) { trayAvailabilityChanged(available); };

    connect(ui_->BotonAceptar, &QPushButton::clicked, this, &TFicha::BotonAceptarClick);
    connect(ui_->BotonCancelar, &QPushButton::clicked, this, &TFicha::BotonCancelarClick);
    connect(ui_->GBCommands, &CommandTreeEditor::selectionChanged, ui_->ActionEditor,
            &ActionEditor::ShowActions);
    connect(ui_->GBCommands, &CommandTreeEditor::learnRequested, this, &TFicha::learningRequested);
    connect(ui_->GBCommands, &CommandTreeEditor::nodeDeleted, ui_->ActionEditor,
            &ActionEditor::DisableActions);
    connect(ui_->GBCommands, &CommandTreeEditor::selectionCleared, ui_->ActionEditor,
            &ActionEditor::showNothingSelected);
    FirstStartGuide& guide = ui_->GBCommands->guide();
    connect(&guide, &FirstStartGuide::activateRequested, this, &TFicha::ActivarClick);
    connect(&guide, &FirstStartGuide::helpRequested, this,
            [this] { help_.OpenTopic(QStringLiteral("first-steps")); });
    portHeard_ = port_.changed.subscribe([this](bool open) { showPortState(open); });
    stateHeard_ = state_.changed.subscribe([this] { showState(); });
    showState();
    InstallHelpKey(this, help_);

    about_ = new TAcercaDe(translate_, help_, this);
    about_->setObjectName(QStringLiteral("AcercaDe"));

    // No translation file is known yet, so this keeps the built-in captions.
    ApplyTranslation();
}

TFicha::~TFicha() = default;

void TFicha::buildMenus() {
    NameSeparator(ui_->Archivo, "N1");
    NameSeparator(ui_->Ayuda, "N3");
    connect(ui_->Configuracion, &QAction::triggered, this, &TFicha::ConfiguracionClick);
    connect(ui_->Activar, &QAction::triggered, this, &TFicha::ActivarClick);
    connect(ui_->Desactivar, &QAction::triggered, this, &TFicha::DesactivarClick);
    connect(ui_->Sound, &QAction::triggered, this, &TFicha::SoundClick);
    connect(ui_->AdvancedKeyPress, &QAction::toggled, this,
            [this](bool on) { state_.setAdvancedKeyPress(on); });
    connect(ui_->StartAtLogin, &QAction::triggered, this, &TFicha::StartAtLoginClick);
    connect(ui_->ShowCommands, &QAction::toggled, this,
            [this](bool on) { state_.setShowCommands(on); });
    connect(ui_->MenuSalir, &QAction::triggered, this, &TFicha::MenuSalirClick);
    connect(ui_->Help1, &QAction::triggered, this, &TFicha::Help1Click);
    connect(ui_->Acercade, &QAction::triggered, this, &TFicha::AcercadeClick);
    // Startminimized only flips its own check mark, which its checkable
    // action does by itself.

    popupMenu_ = new QMenu(this);
    popupMenu_->setObjectName(QStringLiteral("PopupMenu"));
    popupMenu_->addActions({ui_->PPuerto, ui_->Configurar});
    popupMenu_->addSeparator()->setObjectName(QStringLiteral("N2"));
    popupMenu_->addAction(ui_->Cerrar);
    popupMenu_->setDefaultAction(ui_->Configurar);
    connect(ui_->PPuerto, &QAction::triggered, this, &TFicha::PPuertoClick);
    connect(ui_->Configurar, &QAction::triggered, this, &TFicha::ConfigurarClick);
    connect(ui_->Cerrar, &QAction::triggered, this, &TFicha::MenuSalirClick);
}

// The menu checks show the state; the state is the one copy.
void TFicha::showState() {
    ui_->Sound->setChecked(state_.Sonido());
    ui_->AdvancedKeyPress->setChecked(state_.AdvancedKeyPress());
    ui_->ShowCommands->setChecked(state_.ShowCommands());
}

bool TFicha::StartminimizedChecked() const {
    return ui_->Startminimized->isChecked();
}

// --- start-up

// Without a notification area the window goes through the screen as before:
// a window minimised before it was ever mapped is not minimised by every
// window manager, and the task bar must hold it.
void TFicha::start() {
    if (!tray_.Available() || !services_.readSettings().Arranque) {
        show();
        return;
    }
    FormActivate();
    if (!running_) {
        show();  // Save/Run failed and said so: the window is the way on
    }
}

bool TFicha::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && !activated_) {
        FormActivate();
    }
    return QMainWindow::event(event);
}

void TFicha::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!centred_) {
        centred_ = true;
        if (const QScreen* screen = this->screen()) {
            move(screen->availableGeometry().center() - rect().center());
        }
    }
    // Without a window manager the window may never become active; start-up
    // must finish all the same.
    if (!activated_) {
        QTimer::singleShot(0, this, [this] {
            if (!activated_) {
                FormActivate();
            }
        });
    }
}

// Only the first activation runs these steps: running them again when a dialog
// closes would throw away the menu checks and paths changed since the last
// Save/Run, and with "Load minimized" saved would send the window to the tray.
void TFicha::FormActivate() {
    activated_ = true;
    const ProgramSettings settings = services_.readSettings();
    state_.setEditMode(!settings.Arranque);
    ui_->Startminimized->setChecked(settings.Arranque);
    state_.setAdvancedKeyPress(settings.AdvancedKeyPress);
    state_.setSonido(settings.Sonido);
    state_.setShowCommands(settings.ShowCommands);
    ui_->StartAtLogin->setChecked(services_.startsAtLogin());
    state_.setTranslationPath(settings.Language);
    state_.setLogPath(settings.LogFile);
    ApplyTranslation();
    ui_->ActionEditor->FillTargetWindowList();
    const bool loadMinimized = ui_->Startminimized->isChecked();
    std::optional<std::string> failure;
    {
        // With "Load minimized" the table is loaded and at once saved and
        // reloaded: the tree is built once, from what the reload leaves.
        std::optional<TreeRefreshHeld> held;
        if (loadMinimized) {
            held.emplace(treeEditor());
        }
        if (services_.commandTableEmpty()) {
            services_.loadCommandsFile();
        }
        // The port's state shows from the first start, also before any open.
        showPortState(port_.IsOpen());
        if (loadMinimized) {
            failure = saveRun();
        }
    }
    if (loadMinimized) {
        enterRunningMode(failure);
    }
}

// --- the serial port

// Every open attempt and every close, whoever asked for it. While a receiver
// that went away is waited for, the port is closed but Deactivate stops the wait.
void TFicha::showPortState(bool open) {
    const bool closable = open || port_.reopening();
    const QString title = QString::fromLatin1(kProgramTitle);
    QString status;
    if (open) {
        status = title + QStringLiteral(" (") +
                 translated(QStringLiteral("Activated"), "activated") + QStringLiteral(" - COM") +
                 QString::number(port_.PortNumber()) + ')';
    } else {
        status =
            title + QStringLiteral(" (") + translated(QStringLiteral("Inactive"), "inactive") + ')';
    }
    ui_->PPuerto->setText(closable ? translated(QStringLiteral("Deactivate port"), "deactivateport")
                                   : translated(QStringLiteral("Activate port"), "activateport"));
    ui_->Activar->setEnabled(!open);
    ui_->Desactivar->setEnabled(closable);
    // The icon tells the closed port at a glance, and its hint says why.
    tray_.SetIcon(open ? ProgramIcon() : InactiveIcon());
    tray_.SetHint(port_.why().isEmpty() ? status : status + '\n' + port_.why());
    setWindowTitle(status);
    showReceiver();
}

void TFicha::showReceiver() {
    ui_->GBCommands->guide().showReceiver(
        {port_.PortNumber(), port_.device(), port_.IsOpen(), port_.why()});
}

void TFicha::ActivarClick() {
    port_.ActivarClick();
}

void TFicha::DesactivarClick() {
    port_.DesactivarClick();
}

void TFicha::PPuertoClick() {
    port_.PPuertoClick();
}

// --- menus

void TFicha::ConfiguracionClick() {
    emit configurationRequested();
    showReceiver();  // a device may have been picked
}

void TFicha::SoundClick() {
    state_.setSonido(!state_.Sonido());
}

void TFicha::StartAtLoginClick(bool on) {
    if (const std::optional<std::string> failure = services_.setStartAtLogin(on)) {
        boxes_.Error(QStringLiteral("Tavrel"), TrFileProblem(translate_, *failure));
    }
    ui_->StartAtLogin->setChecked(services_.startsAtLogin());
}

void TFicha::Help1Click() {
    help_.OpenTopic(QStringLiteral("introduction"));
}

void TFicha::AcercadeClick() {
    about_->exec();
}

void TFicha::MenuSalirClick() {
    port_.closeForExit();
    close();
}

void TFicha::closeEvent(QCloseEvent* event) {
    // Closing never sends the window to the tray: it ends the program.
    event->accept();
    tray_.SetShowIcon(false);
    QCoreApplication::quit();
}

// --- translation

void TFicha::ApplyTranslation() {
    const std::string& path = state_.translationPath();
    // The same test as the program's file system: anything but a directory
    // is read, and one that cannot be is reported.
    const QFileInfo file(ToQt(path));
    if (!path.empty() && file.exists() && !file.isDir()) {
        services_.loadTranslation(path);
    }
    Ui::TFicha& f = *ui_;
    const auto tr = [this](auto* control, const char* key) { Recaption(translate_, control, key); };

    tr(f.Archivo, "file");
    tr(f.Configuracion, "settings");
    tr(f.Puerto, "serialport");
    tr(f.Activar, "activate");
    tr(f.Desactivar, "deactivate");
    tr(f.Sound, "sound");
    tr(f.Startminimized, "loadminimized");
    tr(f.AdvancedKeyPress, "advancedkeypress");
    tr(f.StartAtLogin, "startatlogin");
    tr(f.ShowCommands, "showcommands");
    tr(f.MenuSalir, "exit");
    tr(f.Ayuda, "help");
    tr(f.Acercade, "about");
    f.GBCommands->ApplyTranslation(translate_);
    f.ActionEditor->ApplyTranslation(translate_);
    tr(f.BotonAceptar, "saverun");
    tr(f.BotonCancelar, "cancel");
    f.GBCommands->ApplyMenuTranslation(translate_);
    tr(f.Configurar, "properties");
    tr(f.Cerrar, "close");
    if (port_.IsOpen() || port_.reopening()) {
        f.PPuerto->setText(translated(QStringLiteral("Deactivate port"), "deactivateport"));
    } else {
        tr(f.PPuerto, "ActivatePort");
    }
    // Qt's own texts (Yes and No, the file dialog) in the same language.
    qtTexts_.follow(translated(QString(), "locale"));
    // The fixed form's controls grow with their texts; Save/Run and Cancel
    // keep to the right edge and grow to the left.
    FitRowRight({f.BotonAceptar, f.BotonCancelar}, kButtonGap);
    FitTexts(this);
}

// --- the parts

void TFicha::setCommandTable(CommandTable* table) {
    ui_->GBCommands->setCommandTable(table);
    ui_->ActionEditor->setCommandTable(table);
}

CommandTreeEditor& TFicha::treeEditor() const {
    return *ui_->GBCommands;
}

ActionEditor& TFicha::actionEditor() const {
    return *ui_->ActionEditor;
}

}  // namespace tavrel
