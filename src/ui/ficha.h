// The main window TFicha: menus, port activation with its captions, the two
// modes (editing with the window shown, running with only the tray icon),
// Save/Run and Cancel, help and the about box. The command tree editor and the
// action editor are parts of their own inside it; the window routes between them.
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commands/program_settings.h"
#include "text_edge.h"

class QMenu;
namespace Ui {
class TFicha;
}

namespace tavrel {

class ActionEditor;
class CommandTable;
class CommandTreeEditor;
class HelpViewer;
class MessageBoxes;
class PortControl;
class TAcercaDe;
class TrayIcon;

// What the main window asks of the other parts. Every hook may stay empty: the
// window then skips that step.
struct FichaHooks {
    // Reads "tavrel.ini", every missing key with its default.
    std::function<ProgramSettings()> ReadSettings;
    // Loads the translation table from path (Windows-1252); called only when the file exists.
    std::function<void(const std::string& path)> LoadTranslation;
    std::function<bool()> CommandTableEmpty;
    // Loads the commands file into the empty table (it calls ActivarClick when
    // the file has entries).
    std::function<void()> LoadCommandsFile;
    // Save/Run: writes the settings file and the commands file, minimises,
    // reloads and enters running mode. Returns the message to show when a
    // write failed ("Unable to write to ..."); nothing else has changed then.
    std::function<std::optional<std::string>(const ProgramSettings& settings)> SaveRun;
    // A successful open: capture waits for a new sequence, raises DTR and RTS
    // and starts the receiver's start-up bytes.
    std::function<void()> PortActivated;
    // The Advanced key press check mark changed (also when set from the settings file).
    std::function<void(bool on)> AdvancedKeyPressChanged;
    // Shows the configuration dialog modally.
    std::function<void()> ShowConfiguration;
};

// Where the state that recognition reads lives; by default in the window itself.
struct ModeState {
    bool* EditMode;
    bool* Sonido;
    std::string* LogFile;  // Windows-1252
};

class TFicha : public QMainWindow {
    Q_OBJECT
public:
    TFicha(PortControl& port, TranslateFn translate, MessageBoxes& boxes, HelpViewer& help,
           QWidget* parent = nullptr);
    ~TFicha() override;

    FichaHooks hooks;

    // Program-wide state. EditMode, Sonido and the log path are read by
    // recognition; ShareState puts them where it reads them, so one copy exists.
    // The shared place takes the values the window holds now.
    void ShareState(const ModeState& state);
    bool EditMode() const { return *state_.EditMode; }
    void SetEditMode(bool on) { *state_.EditMode = on; }
    bool Sonido() const { return *state_.Sonido; }
    const std::string& LogPath() const { return *state_.LogFile; }
    void SetLogPath(const std::string& path) { *state_.LogFile = path; }
    std::string TranslationPath;  // Windows-1252
    std::string CommandsPath;
    bool AdvancedKeyPressChecked() const;
    bool StartminimizedChecked() const;

    // Running mode: the window is in the tray (or minimised when there is no tray).
    bool Running() const { return running_; }
    // The latest status title; empty until the port first changed state.
    const QString& StatusTitle() const { return status_; }

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
    // Routed to the action editor.
    void ShowActions();
    void FillTargetWindowList();

    // The parts show this table; its selection is the tree's.
    void SetCommandTable(CommandTable* table);
    CommandTreeEditor& TreeEditor() const;
    ActionEditor& Actions() const;

    Ui::TFicha& form() const { return *ui_; }
    TrayIcon& TrayIcon1() const { return *tray_; }
    TAcercaDe& AcercaDe() const { return *about_; }
    QMenu* PopupMenu() const { return popupMenu_; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QString Translated(const QString& def, const char* key) const {
        return Tr(translate_, def, key);
    }
    void ShowPortState(bool open);
    void BuildMenus();

    std::unique_ptr<Ui::TFicha> ui_;
    PortControl& port_;
    TranslateFn translate_;
    MessageBoxes& boxes_;
    HelpViewer& help_;
    TrayIcon* tray_;
    TAcercaDe* about_;
    QMenu* popupMenu_ = nullptr;
    QString status_;
    bool activated_ = false;
    bool running_ = false;
    bool centred_ = false;
    bool ownEditMode_ = true;
    bool ownSonido_ = true;
    std::string ownLogFile_;
    ModeState state_{&ownEditMode_, &ownSonido_, &ownLogFile_};
};

}  // namespace tavrel
