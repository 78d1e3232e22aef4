// The whole program put together: it owns every long-lived part and joins the
// main window to the files, the serial port, capture, recognition and the runner.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "actions/action_runner.h"
#include "actions/send_keys.h"
#include "app/autostart_entry.h"
#include "app/command_notice.h"
#include "app/focus_moves.h"
#include "app/port_activation.h"
#include "app/qt_timer.h"
#include "app/running_mode_boxes.h"
#include "app/tray_icon.h"
#include "capture/code_capture.h"
#include "capture/recognizer.h"
#include "commands/command_table.h"
#include "commands/commands_file.h"
#include "commands/program_settings.h"
#include "commands/program_state.h"
#include "commands/sequence_settings.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_processes.h"
#include "road/receiving_road.h"
#include "translation/translation_table.h"
#include "ui/configuration_services.h"
#include "ui/main_window_services.h"
#include "ui/port_control.h"

namespace tavrel {

class Desktop;
class HelpViewer;
class Input;
class MessageBoxes;
class Sound;
class TFicha;
class TSelPuerto;

// The desktop the runner acts on: the X11 backend, or stand-ins without one.
struct DesktopParts {
    Input& input;
    Desktop& desktop;
    Sound& sound;
};

// Program implements the narrow interfaces its parts ask for: the commands
// file's host, the port driver for the activation, the main window's services.
// Calls go one way: the window calls the program through MainWindowServices and
// PortActivation; the program reaches the window only through notifiers.
class Program final : public CommandsFileHost,
                      public PortControl,
                      public MainWindowServices,
                      public RecognitionHost,
                      public ConfigurationServices {
public:
    // programDirectory holds "tavrel.ini" and the default commands file. The
    // main window is created here (its creation steps run); it is not shown.
    Program(const std::string& programDirectory, DesktopParts desktop, MessageBoxes& boxes,
            HelpViewer& help);
    ~Program() override;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The session ends or SIGTERM came: every event loop stops, whatever box
    // is open, and nothing is saved from here on (the work a closed box's
    // caller goes on with may still want to).
    void endNow();
    bool ending() const { return ending_; }

    TFicha& Ficha() const { return *ficha_; }
    TSelPuerto& SelPuerto() const { return *selPuerto_; }
    TrayIcon& Tray() const { return *tray_; }
    // Boxes that step aside for the notice in running mode.
    MessageBoxes& Boxes() { return boxes_; }
    CommandNotice& Notice() { return notice_; }
    ProgramState& state() { return state_; }
    // The receiver in use.
    Receiver& CommPort() { return road_.receiver(); }
    CodeCapture& Capture() { return road_.capture(); }
    CommandTable& Table() { return table_; }
    const SequenceSettings& Sequence() const { return sequence_; }
    ActionRunner& Runner() { return runner_; }
    const TranslationTable& Translation() const { return translation_; }

    // --- CommandsFileHost, PortControl and ConfigurationServices
    bool IsOpen() const override;
    void DesactivarClick() override;
    void ActivarClick() override;
    PortOrdinals portOrdinals() const override;
    void setPortOrdinals(const PortOrdinals& ordinals) override;
    void setCommandsFilePath(const std::string& path) override;
    void showPortOrdinals(const PortOrdinals& ordinals) override;
    void showSequenceSettings(const SequenceSettings& settings) override;
    void resetCapture() override;

    bool OpenPort() override;
    bool Opening() const override;
    void ClosePort() override;
    int PortNumber() const override;
    OpenFailure LastFailure() const override;
    std::string DevicePath() const override;

    // --- RecognitionHost
    bool Aprendiendo() const override;
    void ShowActions(TComando& command) override;
    void reportLogError(const std::string& systemErrorText) override;

    // --- MainWindowServices
    ProgramSettings readSettings() override;
    void loadTranslation(const std::string& path) override;
    bool commandTableEmpty() const override;
    void loadCommandsFile() override;
    std::optional<std::string> SaveRun(const ProgramSettings& settings) override;
    bool startsAtLogin() const override;
    std::optional<std::string> setStartAtLogin(bool on) override;
    bool focusMovedByCommand() const override { return watchedDesktop_.movedJustNow(); }

    // --- ConfigurationServices (the port's settings are above)
    bool commandsModified() const override;
    std::optional<std::string> commandsFileUnusable(const std::string& path) const override;
    void switchCommandsFile(const std::string& path) override;
    void switchTranslationFile(const std::string& path) override;
    std::string portDevice(int comNumber) const override;
    std::vector<SerialDeviceEntry> serialDevices() const override;
    std::vector<SerialDeviceEntry> receiverDevices() const override;
    std::optional<std::string> setPortDevice(int comNumber, const std::string& device) override;

    // Where the receiver picker looks for serial devices, kernel receivers
    // and the LIRC daemon.
    SerialDeviceSearch deviceSearch;
    std::string sysRoot = "/sys";
    std::string daemonSocket = kLircdDefaultSocket;

private:
    // COM1..COM8 to their devices, from the settings file as it is now.
    void mapPorts(const ProgramSettings& settings);
    void DeviceGone();
    void TryReopen();
    void OpenEnded();
    // The next attempt to open a receiver that went away, soon.
    void reopenIn(int milliseconds);
    void reportError(const std::string& text);

    ProgramState state_;
    PosixFileSystem files_;
    ProgramSettingsFile settingsFile_;
    TranslationTable translation_;
    // Translate(default, key) over the table, for every part that captions.
    const TranslateFn translate_ = [this](std::string def, std::string key) {
        return translation_.Translate(def, key);
    };
    CommandTable table_;
    SequenceSettings sequence_;
    QtTimerFactory timers_;
    QtReadWatchFactory watches_;
    // The file's Puerto - 1 as read, so a port outside COM1..COM8 stays
    // unusable and is written back as it came.
    std::int32_t comPortOrdinal_;
    bool noPortSelected_ = false;
    bool ending_ = false;
    bool settingsProblemReported_ = false;
    PosixProcesses processes_;
    FocusMovesWatch watchedDesktop_;
    TSendKeys sendKeys_;
    ActionRunner runner_;
    CommandNotice notice_;
    // The program's own reports and the port's: never a box in running mode.
    RunningModeBoxes boxes_;
    AnnouncingRunner announcingRunner_;
    // The receiver in use, capture and recognition, handing commands to the
    // runner through the notice.
    ReceivingRoad road_;
    Notifier<>::Subscription hangupHeard_;
    Notifier<>::Subscription openEndedHeard_;
    Notifier<>::Subscription backHeard_;
    CommandsFile commandsFile_;
    PortActivation activation_;
    Notifier<bool>::Subscription portHeard_;
    std::unique_ptr<Timer> reapTimer_;
    // Runs while the device of the open port is gone, to open it again when
    // it is back: at once, then ever less often, down to once a second.
    std::unique_ptr<Timer> reopenTimer_;
    // The configuration folder's name fits Windows-1252; else the entry
    // would be written and looked for elsewhere, so it is not.
    bool configHomeStorable_ = true;
    AutostartEntry autostart_;
    // The icon of running mode, handed to the window; it outlives the window.
    std::unique_ptr<TrayIcon> tray_;
    // Last: the window goes first, while everything it shows still exists.
    std::unique_ptr<TFicha> ficha_;
    TSelPuerto* selPuerto_ = nullptr;  // owned by the window
};

}  // namespace tavrel
