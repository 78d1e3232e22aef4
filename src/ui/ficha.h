// The main window TFicha: menus, the port's captions, the two modes (editing
// with the window shown, running with only the tray icon), Save/Run and
// Cancel, help and the about box. The command tree editor and the action
// editor are parts of their own inside it; the window routes between them.
// The learning and configuration dialogs are reached through its signals.
#pragma once

#include <QMainWindow>
#include <memory>
#include <optional>
#include <string>

#include "commands/notifier.h"
#include "ui/qt_texts.h"
#include "ui/text_edge.h"

class QMenu;
namespace Ui {
class TFicha;
}

namespace tavrel {

class ActionEditor;
class CommandTable;
class CommandTreeEditor;
class HelpViewer;
class MainWindowServices;
class MessageBoxes;
class NotificationIcon;
class PortSwitch;
class ProgramState;
class TAcercaDe;

class TFicha : public QMainWindow {
    Q_OBJECT
public:
    // All are referenced and must outlive the window. state holds EditMode,
    // Sonido, AdvancedKeyPress and the paths; the window's menu checks follow it.
    // tray is the icon of running mode, which the window takes over.
    TFicha(MainWindowServices& services, ProgramState& state, PortSwitch& port,
           NotificationIcon& tray, TranslateFn translate, MessageBoxes& boxes, HelpViewer& help,
           QWidget* parent = nullptr);
    ~TFicha() override;

    // Start-up: shows the window, or with "Load minimized" saved goes straight
    // to running mode without ever showing it.
    void start();
    bool StartminimizedChecked() const;
    // Running mode: the window is in the tray (or minimised when there is no tray).
    bool Running() const { return running_; }

    // Handlers, named after their controls and events.
    void FormActivate();
    void ActivarClick();
    void DesactivarClick();
    void PPuertoClick();
    void ConfigurarClick();
    void BotonAceptarClick();
    void BotonCancelarClick();
    void ConfiguracionClick();
    void SoundClick();
    void Help1Click();
    void AcercadeClick();
    void MenuSalirClick();
    void AppMinimize();
    void AppRestore();
    void ApplyTranslation();

    // The parts show this table; its selection is the tree's.
    void setCommandTable(CommandTable* table);
    CommandTreeEditor& treeEditor() const;
    ActionEditor& actionEditor() const;
    NotificationIcon& TrayIcon1() const { return tray_; }
    TAcercaDe& AcercaDe() const { return *about_; }
    QMenu* PopupMenu() const { return popupMenu_; }

signals:
    // File > Settings...: the configuration dialog (TSelPuerto) opens modally.
    void configurationRequested();
    // "Learn now..." in the tree's menu: the learning dialog (TAprendizaje)
    // opens for the selected command.
    void learningRequested();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QString translated(const QString& def, const char* key) const {
        return Tr(translate_, def, key);
    }
    void showPortState(bool open);
    // BotonAceptarClick in two steps: the files written and the table
    // reloaded, then running mode or, on a failure, editing mode and why.
    std::optional<std::string> saveRun();
    void enterRunningMode(const std::optional<std::string>& failure);
    // The guide of an empty table says where the receiver is and how it is.
    void showReceiver();
    void showState();
    void StartAtLoginClick(bool on);
    // Without a tray: minimised, once the window manager has it on screen.
    void minimiseOnScreen();
    // A notification area arrived or left while in running mode.
    void trayAvailabilityChanged(bool available);
    void buildMenus();

    std::unique_ptr<Ui::TFicha> ui_;
    MainWindowServices& services_;
    ProgramState& state_;
    PortSwitch& port_;
    TranslateFn translate_;
    MessageBoxes& boxes_;
    HelpViewer& help_;
    NotificationIcon& tray_;
    TAcercaDe* about_;
    QMenu* popupMenu_ = nullptr;
    QtTexts qtTexts_;
    bool activated_ = false;
    bool running_ = false;
    // On Wayland a window learns nothing of being minimised or restored:
    // running mode without a tray ends when the window, having been left
    // since it was minimised, is activated again.
    bool leftSinceMinimise_ = false;
    bool centred_ = false;
    Notifier<bool>::Subscription portHeard_;
    Notifier<>::Subscription stateHeard_;
};

}  // namespace tavrel
