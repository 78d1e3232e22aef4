// The main window TFicha.
#include "ficha.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLayout>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "acerca_de.h"
#include "commands/command_table.h"
#include "help_viewer.h"
#include "images.h"
#include "message_boxes.h"
#include "port_control.h"
#include "tray_icon.h"
#include "ui_Principal.h"

namespace tavrel {
namespace {

template <typename Hook, typename... Args>
void Call(const Hook& hook, Args&&... args) {
    if (hook) {
        hook(std::forward<Args>(args)...);
    }
}

void NameSeparator(QWidget* menu, const char* name) {
    const auto items = menu->actions();
    auto separator = std::find_if(items.begin(), items.end(),
                                  [](const QAction* item) { return item->isSeparator(); });
    if (separator != items.end()) {
        (*separator)->setObjectName(QString::fromLatin1(name));
    }
}

}  // namespace

TFicha::TFicha(PortControl& port, TranslateFn translate, MessageBoxes& boxes, HelpViewer& help,
               QWidget* parent)
    : QMainWindow(parent),
      ui_(std::make_unique<Ui::TFicha>()),
      port_(port),
      translate_(std::move(translate)),
      boxes_(boxes),
      help_(help),
      tray_(new TrayIcon(this)) {
    ui_->setupUi(this);
    // A fixed single border with the system menu and the close box only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    ui_->Cliente->setFixedSize(621, 366);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setWindowIcon(ProgramIcon());
    setWindowTitle(QStringLiteral("Tavrel"));

    ui_->UDLoop->setBuddy(ui_->ELoop);
    ui_->UDDelay->setBuddy(ui_->EDelay);
    BuildMenus();

    tray_->setObjectName(QStringLiteral("TrayIcon1"));
    tray_->SetIcon(ProgramIcon());
    tray_->SetPopupMenu(popupMenu_);
    tray_->OnDblClick = [this] { ConfigurarClick(); };

    connect(ui_->BotonAceptar, &QPushButton::clicked, this, &TFicha::BotonAceptarClick);
    connect(ui_->BotonCancelar, &QPushButton::clicked, this, &TFicha::BotonCancelarClick);
    connect(ui_->TreeView, &QTreeWidget::currentItemChanged, this, &TFicha::OnTreeSelection);
    connect(ui_->TreeView, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        popupMenu1_->popup(ui_->TreeView->viewport()->mapToGlobal(at));
    });
    InstallHelpKey(this, help_);

    about_ = new TAcercaDe(translate_, help_, this);
    about_->setObjectName(QStringLiteral("AcercaDe"));

    // No translation file is known yet, so this keeps the built-in captions.
    ApplyTranslation();
}

TFicha::~TFicha() {
    if (table_ != nullptr) {
        table_->onChanged = nullptr;
        table_->onSelectionChanged = nullptr;
    }
}

void TFicha::BuildMenus() {
    NameSeparator(ui_->Archivo, "N1");
    NameSeparator(ui_->Ayuda, "N3");
    connect(ui_->Configuracion, &QAction::triggered, this, &TFicha::ConfiguracionClick);
    connect(ui_->Activar, &QAction::triggered, this, &TFicha::ActivarClick);
    connect(ui_->Desactivar, &QAction::triggered, this, &TFicha::DesactivarClick);
    connect(ui_->Sound, &QAction::triggered, this, &TFicha::SoundClick);
    connect(ui_->AdvancedKeyPress, &QAction::toggled, this,
            [this](bool on) { Call(hooks.AdvancedKeyPressChanged, on); });
    connect(ui_->MenuSalir, &QAction::triggered, this, &TFicha::MenuSalirClick);
    connect(ui_->Help1, &QAction::triggered, this, &TFicha::Help1Click);
    connect(ui_->Acercade, &QAction::triggered, this, &TFicha::AcercadeClick);
    // Startminimized and AdvancedKeyPress only flip their own check marks,
    // which their checkable actions do by themselves.

    popupMenu1_ = new QMenu(this);
    popupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
    popupMenu1_->addActions({ui_->Activado, ui_->Typematic, ui_->Learn});
    popupMenu1_->addSeparator();
    popupMenu1_->addActions({ui_->Addcommand, ui_->Addremote});
    popupMenu1_->addSeparator();
    popupMenu1_->addActions({ui_->Rename, ui_->Delete});

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

void TFicha::ShareState(const ModeState& state) {
    *state.EditMode = EditMode();
    *state.Sonido = Sonido();
    *state.LogFile = LogPath();
    state_ = state;
}

bool TFicha::AdvancedKeyPressChecked() const {
    return ui_->AdvancedKeyPress->isChecked();
}

bool TFicha::StartminimizedChecked() const {
    return ui_->Startminimized->isChecked();
}

// --- start-up

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
    const ProgramSettings settings = hooks.ReadSettings ? hooks.ReadSettings() : ProgramSettings{};
    SetEditMode(!settings.Arranque);
    ui_->Startminimized->setChecked(settings.Arranque);
    ui_->AdvancedKeyPress->setChecked(settings.AdvancedKeyPress);
    *state_.Sonido = settings.Sonido;
    ui_->Sound->setChecked(settings.Sonido);
    TranslationPath = settings.Language;
    SetLogPath(settings.LogFile);
    ApplyTranslation();
    FillTargetWindowList();
    if (!hooks.CommandTableEmpty || hooks.CommandTableEmpty()) {
        Call(hooks.LoadCommandsFile);
    }
    if (ui_->Startminimized->isChecked()) {
        BotonAceptarClick();
    }
}

// --- the serial port

void TFicha::ShowPortState(bool open) {
    const QString title = QString::fromLatin1(kProgramTitle);
    if (open) {
        status_ = title + QStringLiteral(" (") +
                  Translated(QStringLiteral("Activated"), "activated") + QStringLiteral(" - COM") +
                  QString::number(port_.PortNumber()) + ')';
        ui_->PPuerto->setText(Translated(QStringLiteral("Deactivate port"), "deactivateport"));
    } else {
        status_ =
            title + QStringLiteral(" (") + Translated(QStringLiteral("Inactive"), "inactive") + ')';
        ui_->PPuerto->setText(Translated(QStringLiteral("Activate port"), "activateport"));
    }
    ui_->Activar->setEnabled(!open);
    ui_->Desactivar->setEnabled(open);
}

void TFicha::ActivarClick() {
    if (port_.OpenPort()) {
        ShowPortState(true);
        Call(hooks.PortActivated);
    } else {
        QString text = Translated(
            QStringLiteral("The serial port selected is being used by another application"),
            "theserialportselectedisbeingusedbyanotherapplication");
        // The driver's reason tells the user what to change (device, permissions).
        const std::string reason = port_.LastError();
        if (!reason.empty()) {
            text += '\n' + ToQt(reason);
        }
        boxes_.Error(Translated(QStringLiteral("Serial port conflict"), "serialportconflict"),
                     text);
        ShowPortState(false);
    }
    tray_->SetHint(status_);
    setWindowTitle(status_);
}

void TFicha::DesactivarClick() {
    port_.ClosePort();
    ShowPortState(false);
    setWindowTitle(status_);
    tray_->SetHint(status_);
}

void TFicha::PPuertoClick() {
    if (port_.IsOpen()) {
        DesactivarClick();
    } else {
        ActivarClick();
    }
}

// --- modes

void TFicha::AppMinimize() {
    running_ = true;
    tray_->SetShowIcon(true);
    if (tray_->Available()) {
        hide();
    } else {
        // Without a notification area a hidden window could never come back.
        showMinimized();
    }
}

void TFicha::AppRestore() {
    running_ = false;
    tray_->SetShowIcon(false);
    showNormal();
    raise();
    activateWindow();
    FillTargetWindowList();
    ShowActions();
}

void TFicha::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Without a tray, bringing the minimised window back from the taskbar is
    // the way back to editing, like the icon's double click.
    if (event->type() == QEvent::WindowStateChange && running_ && !tray_->Available() &&
        !isMinimized() && isVisible()) {
        ConfigurarClick();
    }
}

void TFicha::ConfigurarClick() {
    AppRestore();
    ui_->BotonAceptar->setFocus();
    SetEditMode(true);
}

// Minimising, reloading and leaving editing mode happen inside SaveRun, in the
// order the commands file's writer keeps.
void TFicha::BotonAceptarClick() {
    ProgramSettings settings;
    settings.Settings = CommandsPath;
    settings.Language = TranslationPath;
    settings.LogFile = LogPath();
    settings.Sonido = Sonido();
    settings.AdvancedKeyPress = ui_->AdvancedKeyPress->isChecked();
    settings.Arranque = ui_->Startminimized->isChecked();
    if (!hooks.SaveRun) {
        return;
    }
    if (const std::optional<std::string> failure = hooks.SaveRun(settings)) {
        boxes_.Error(QStringLiteral("Tavrel"), ToQt(*failure));
    }
}

void TFicha::BotonCancelarClick() {
    SetEditMode(false);
    AppMinimize();
}

// --- menus

void TFicha::ConfiguracionClick() {
    Call(hooks.ShowConfiguration);
}

void TFicha::SoundClick() {
    *state_.Sonido = !Sonido();
    ui_->Sound->setChecked(Sonido());
}

void TFicha::Help1Click() {
    help_.OpenTopic(QStringLiteral("introduction"));
}

void TFicha::AcercadeClick() {
    about_->exec();
}

void TFicha::MenuSalirClick() {
    if (port_.IsOpen()) {
        port_.ClosePort();
    }
    close();
}

void TFicha::closeEvent(QCloseEvent* event) {
    // Closing never sends the window to the tray: it ends the program.
    event->accept();
    tray_->SetShowIcon(false);
    QCoreApplication::quit();
}

// --- translation

void TFicha::ApplyTranslation() {
    if (!TranslationPath.empty() && QFileInfo(ToQt(TranslationPath)).isFile()) {
        Call(hooks.LoadTranslation, TranslationPath);
    }
    Ui::TFicha& f = *ui_;
    const auto menu = [this](QMenu* item, const char* key) {
        item->setTitle(Translated(item->title(), key));
    };
    const auto action = [this](QAction* item, const char* key) {
        item->setText(Translated(item->text(), key));
    };
    const auto group = [this](QGroupBox* item, const char* key) {
        item->setTitle(Translated(item->title(), key));
    };
    const auto button = [this](QAbstractButton* item, const char* key) {
        item->setText(Translated(item->text(), key));
    };
    const auto label = [this](QLabel* item, const char* key) {
        item->setText(Translated(item->text(), key));
    };

    menu(f.Archivo, "file");
    action(f.Configuracion, "settings");
    menu(f.Puerto, "serialport");
    action(f.Activar, "activate");
    action(f.Desactivar, "deactivate");
    action(f.Sound, "sound");
    action(f.Startminimized, "loadminimized");
    action(f.AdvancedKeyPress, "advancedkeypress");
    action(f.MenuSalir, "exit");
    menu(f.Ayuda, "help");
    action(f.Acercade, "about");
    group(f.GBCommands, "assignedcommands");
    group(f.GBActions, "associatedactions");
    button(f.RadioButton1, "tapkey");
    button(f.RBMouse, "mousecontrol");
    group(f.RGClick, "Click");
    button(f.RGClick0, "MLeft");
    button(f.RGClick1, "Middle");
    button(f.RGClick2, "MRight");
    group(f.RGCursor, "Cursor");
    button(f.CBUp, "Up");
    button(f.CBDown, "Down");
    button(f.CBLeft, "FLeft");
    button(f.CBRight, "FRight");
    button(f.RadioButton2, "runprogram");
    button(f.BotonExaminar, "browse");
    label(f.LLoop, "loopofmultipleactions");
    f.Banyade->setToolTip(Translated(QStringLiteral("Add"), "add_hint"));
    f.BBorra->setToolTip(Translated(QStringLiteral("Delete"), "delete_hint"));
    button(f.CBoxAll, "runallatonce");
    button(f.CBoxMultiKey, "keymultiplying");
    group(f.GBSpecialSettings, "SpecialSettings");
    label(f.LDelay, "Delay");
    label(f.LTargetWin, "PreferredDestinationWindow");
    button(f.BotonAceptar, "saverun");
    button(f.BotonCancelar, "cancel");
    action(f.Activado, "Enabled");
    action(f.Typematic, "Typematic");
    action(f.Learn, "LearnNow");
    action(f.Addcommand, "InsertCommand");
    action(f.Addremote, "InsertRemote");
    action(f.Rename, "Rename");
    action(f.Delete, "Delete");
    action(f.Configurar, "properties");
    action(f.Cerrar, "close");
    if (port_.IsOpen()) {
        f.PPuerto->setText(Translated(QStringLiteral("Deactivate port"), "deactivateport"));
    } else {
        action(f.PPuerto, "ActivatePort");
    }
}

// --- lists of the action editor

void TFicha::SetKeyNames(const std::vector<std::string>& names) {
    ui_->ComboBox->clear();
    for (const std::string& name : names) {
        ui_->ComboBox->addItem(ToQt(name));
    }
    ui_->ComboBox->setCurrentIndex(-1);
}

void TFicha::SetMessageNames(const std::vector<std::string>& names) {
    QStringList items;
    for (const std::string& name : names) {
        items << ToQt(name);
    }
    items.sort(Qt::CaseInsensitive);
    ui_->CBMessage->clear();
    ui_->CBMessage->addItems(items);
    ui_->CBMessage->setCurrentIndex(-1);
}

// --- the command tree

void TFicha::SetCommandTable(CommandTable* table) {
    if (table_ != nullptr) {
        table_->onChanged = nullptr;
        table_->onSelectionChanged = nullptr;
    }
    table_ = table;
    if (table_ != nullptr) {
        table_->onChanged = [this] { RefreshTree(); };
        table_->onSelectionChanged = [this] { SelectInTree(); };
    }
    RefreshTree();
}

namespace {

void ShowNode(QTreeWidgetItem* item, const CommandTable& table, int pos) {
    item->setText(0, ToQt(table.label(pos)));
    item->setData(0, Qt::UserRole, pos);
    QIcon icon(NodeImage(table.image(pos)));
    icon.addPixmap(NodeImage(table.selectedImage(pos)), QIcon::Selected);
    item->setIcon(0, icon);
}

// The tree's items in display order, when they have the table's shape.
std::vector<QTreeWidgetItem*> ItemsOfSameShape(QTreeWidget* tree, const CommandTable& table) {
    std::vector<QTreeWidgetItem*> items;
    int pos = 0;
    for (int r = 0; r < tree->topLevelItemCount(); ++r) {
        QTreeWidgetItem* remote = tree->topLevelItem(r);
        if (pos >= table.count() || table.level(pos) != 0) {
            return {};
        }
        items.push_back(remote);
        ++pos;
        for (int c = 0; c < remote->childCount(); ++c, ++pos) {
            if (pos >= table.count() || table.level(pos) == 0) {
                return {};
            }
            items.push_back(remote->child(c));
        }
    }
    if (pos != table.count()) {
        return {};
    }
    return items;
}

}  // namespace

// A change of label or image keeps the items, so the tree's current item and
// scroll position survive (and no item disappears under a selection signal);
// a change of shape rebuilds the tree.
void TFicha::ResumeTreeRefresh() {
    treeSuspended_ = false;
    if (treeOutdated_) {
        RefreshTree();
    }
}

void TFicha::RefreshTree() {
    if (treeSuspended_) {
        treeOutdated_ = true;
        return;
    }
    treeOutdated_ = false;
    QTreeWidget* tree = ui_->TreeView;
    syncingTree_ = true;
    if (table_ == nullptr) {
        tree->clear();
    } else if (const auto items = ItemsOfSameShape(tree, *table_);
               !items.empty() || table_->empty()) {
        for (int pos = 0; pos < table_->count(); ++pos) {
            ShowNode(items[static_cast<std::size_t>(pos)], *table_, pos);
        }
        if (table_->empty()) {
            tree->clear();
        }
    } else {
        tree->clear();
        QTreeWidgetItem* remote = nullptr;
        for (int pos = 0; pos < table_->count(); ++pos) {
            QTreeWidgetItem* item = nullptr;
            if (table_->level(pos) == 0 || remote == nullptr) {
                item = new QTreeWidgetItem(tree);
                remote = item;
            } else {
                item = new QTreeWidgetItem(remote);
            }
            ShowNode(item, *table_, pos);
        }
        tree->expandAll();
    }
    syncingTree_ = false;
    SelectInTree();
}

void TFicha::SelectInTree() {
    if (table_ == nullptr) {
        return;
    }
    if (treeSuspended_) {
        treeOutdated_ = true;  // the refresh selects as well
        return;
    }
    const int selected = table_->selected();
    syncingTree_ = true;
    QTreeWidgetItem* match = nullptr;
    for (QTreeWidgetItemIterator it(ui_->TreeView); *it != nullptr; ++it) {
        if ((*it)->data(0, Qt::UserRole).toInt() == selected) {
            match = *it;
            break;
        }
    }
    ui_->TreeView->setCurrentItem(match);
    syncingTree_ = false;
}

void TFicha::OnTreeSelection() {
    if (syncingTree_ || table_ == nullptr) {
        return;
    }
    const QTreeWidgetItem* item = ui_->TreeView->currentItem();
    table_->select(item != nullptr ? item->data(0, Qt::UserRole).toInt() : kNoNode);
    ShowActions();
}

void TFicha::ShowActions() {
    if (table_ == nullptr) {
        return;
    }
    const int selected = table_->selected();
    if (selected == kNoNode || !table_->isCommand(selected)) {
        table_->setCurrent(nullptr);
        return;
    }
    table_->setCurrent(&table_->record(selected));
    table_->applyImageRule(selected);
}

void TFicha::FillTargetWindowList() {
    if (!hooks.TopLevelTitles) {
        return;
    }
    // Titles are read into a buffer of 201 characters; equal titles stay, one per window.
    constexpr std::size_t kTitleLimit = 200;
    QStringList titles;
    for (const std::string& title : hooks.TopLevelTitles()) {
        if (!title.empty()) {
            titles << ToQt(title.substr(0, kTitleLimit));
        }
    }
    titles.sort(Qt::CaseInsensitive);
    QComboBox* box = ui_->CBTargetWin;
    const QString text = box->currentText();  // emptying the list keeps the text
    box->clear();
    box->addItems(titles);
    box->setCurrentIndex(-1);
    box->setEditText(text);
}

}  // namespace tavrel
