// The main window TFicha: menus, port activation with its captions, the two
// modes (editing with the window shown, running with only the tray icon), the
// command tree display and the action editor's controls, help and the about box.
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "text_edge.h"

class QMenu;
namespace Ui {
class TFicha;
}

namespace tavrel {

class CommandTable;
class HelpViewer;
class MessageBoxes;
class PortControl;
class TAcercaDe;
class TrayIcon;

// The values of the program settings file "tavrel.ini"; texts in Windows-1252.
struct ProgramSettings {
    std::string Settings;   // commands file path
    std::string Language;   // translation file path, empty for none
    std::string LogFile;    // log file path, empty for no log
    bool Arranque = false;  // load minimised
    bool AdvancedKeyPress = true;
    bool Sonido = true;
};

// What the main window asks of the other parts. Every hook may stay empty: the
// window then skips that step.
struct FichaHooks {
    // Reads "tavrel.ini", every missing key with its default.
    std::function<ProgramSettings()> ReadSettings;
    // Loads the translation table from path (Windows-1252); called only when the file exists.
    std::function<void(const std::string& path)> LoadTranslation;
    std::function<void()> FillTargetWindowList;
    std::function<void()> ShowActions;
    std::function<bool()> CommandTableEmpty;
    // Loads the commands file into the empty table (it calls ActivarClick when
    // the file has entries).
    std::function<void()> LoadCommandsFile;
    // Save/Run, first half: writes the settings file, then the commands file
    // into the scratch file. Returns an empty text on success, else the message
    // to show ("Unable to write to ..."), and Save/Run stops there.
    std::function<std::string(const ProgramSettings& settings)> WriteFiles;
    // Save/Run, second half (after the window went to the tray): puts the
    // scratch file in place of the commands file, clears the table and loads it.
    std::function<void()> ReplaceAndReload;
    // PendingNumber := 0.
    std::function<void()> ClearPendingNumber;
    // A successful open, before DTR and RTS are raised: EsperandoSecuencia := true,
    // LotesRepetidos := 0.
    std::function<void()> ResetCaptureForOpen;
    // A successful open, after DTR and RTS: EstadoInicio := "poweron", Timer enabled.
    std::function<void()> StartReceiver;
    // Shows the configuration dialog modally.
    std::function<void()> ShowConfiguration;
};

class TFicha : public QMainWindow {
    Q_OBJECT
public:
    TFicha(PortControl& port, TranslateFn translate, MessageBoxes& boxes, HelpViewer& help,
           QWidget* parent = nullptr);
    ~TFicha() override;

    FichaHooks hooks;

    // Program-wide state.
    bool EditMode = true;
    bool Sonido = true;
    std::string TranslationPath;  // Windows-1252
    std::string LogPath;
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

    // Fills the action editor's lists: the named keys in table order, the
    // message names sorted. Texts in Windows-1252.
    void SetKeyNames(const std::vector<std::string>& names);
    void SetMessageNames(const std::vector<std::string>& names);

    // The tree shows this table and follows its changes; its selection is the table's.
    void SetCommandTable(CommandTable* table);
    void RefreshTree();

    Ui::TFicha& form() const { return *ui_; }
    TrayIcon& TrayIcon1() const { return *tray_; }
    TAcercaDe& AcercaDe() const { return *about_; }
    QMenu* PopupMenu() const { return popupMenu_; }
    QMenu* PopupMenu1() const { return popupMenu1_; }

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
    void SelectInTree();
    void OnTreeSelection();

    std::unique_ptr<Ui::TFicha> ui_;
    PortControl& port_;
    TranslateFn translate_;
    MessageBoxes& boxes_;
    HelpViewer& help_;
    TrayIcon* tray_;
    TAcercaDe* about_;
    QMenu* popupMenu_ = nullptr;
    QMenu* popupMenu1_ = nullptr;
    CommandTable* table_ = nullptr;
    QString status_;
    bool activated_ = false;
    bool running_ = false;
    bool centred_ = false;
    bool syncingTree_ = false;
};

}  // namespace tavrel
