// The program's parts and the wiring between them.
#include "app/program.h"

#include <QCoreApplication>
#include <algorithm>

#include "actions/message_table.h"
#include "actions/named_keys.h"
#include "platform/desktop.h"
#include "platform/posix/program_directory.h"
#include "platform/posix/serial_devices.h"
#include "platform/text_encoding.h"
#include "receivers/receiver_devices.h"
#include "ui/action_editor.h"
#include "ui/aprendizaje.h"
#include "ui/command_tree_editor.h"
#include "ui/ficha.h"
#include "ui/message_boxes.h"
#include "ui/sel_puerto.h"

namespace tavrel {
namespace {

// Started programs are collected this often, so none stays a zombie for long.
constexpr int kReapInterval = 1000;
// A receiver that went away is looked for at once, then after
// kFirstReopenDelay, each wait doubling up to kReopenInterval.
constexpr int kReopenInterval = 1000;
constexpr int kFirstReopenDelay = 50;

template <typename Enum>
bool SetOrdinal(std::int32_t ordinal, int count, const std::function<void(Enum)>& set) {
    if (ordinal < 0 || ordinal >= count) {
        return false;
    }
    set(static_cast<Enum>(ordinal));
    return true;
}

std::vector<std::string> MessageNames() {
    std::vector<std::string> names;
    for (std::string_view entry : kMessageTable) {
        names.emplace_back(entry.substr(0, entry.find('=')));
    }
    return names;
}

}  // namespace

Program::Program(const std::string& programDirectory, DesktopParts desktop, MessageBoxes& boxes,
                 HelpViewer& help)
    :  // Paths are kept in Windows-1252 like those in tavrel.ini; the file
       // system turns them back into the system's at its edge.
      settingsFile_(files_, Utf8ToCp1252(programDirectory)),
      comPortOrdinal_(pnCOM2),
      watchedDesktop_(desktop.desktop),
      sendKeys_(desktop.input, watchedDesktop_, [] { QCoreApplication::processEvents(); }),
      runner_(desktop.input, watchedDesktop_, processes_, sendKeys_, table_, state_, timers_),
      boxes_(boxes, state_, notice_),
      announcingRunner_(runner_, table_, state_, notice_),
      road_({timers_, watches_, table_, sequence_, state_, desktop.sound, files_, runner_,
             announcingRunner_, *this}),
      commandsFile_(table_, sequence_, *this, files_, settingsFile_),
      activation_(*this, boxes_, translate_),
      reapTimer_(timers_.createTimer()),
      reopenTimer_(timers_.createTimer()),
      autostart_(files_, Utf8ToCp1252(ConfigHome().string(), &configHomeStorable_)) {
    // A serial receiver is powered by the lines the program raises after the open.
    TCommPortDriver& serial = road_.serial();
    serial.SetEnableDTROnOpen(false);
    serial.SetComPortSpeed(br19200);
    hangupHeard_ = road_.hungUp.subscribe([this] { DeviceGone(); });
    openEndedHeard_ = road_.openEnded.subscribe([this] { OpenEnded(); });
    // Its socket is back: looked at now, and soon again if it does not answer yet.
    backHeard_ = road_.back.subscribe([this] {
        if (reopenTimer_->enabled()) {
            reopenIn(0);
        }
    });
    reopenTimer_->setTickHandler([this] {
        const int waited = reopenTimer_->interval();
        reopenIn(waited < kFirstReopenDelay ? kFirstReopenDelay
                                            : std::min(waited * 2, kReopenInterval));
        TryReopen();
    });

    // Only while started programs run: an idle program has no reason to wake up.
    reapTimer_->setInterval(kReapInterval);
    reapTimer_->setTickHandler([this] {
        if (processes_.ReapExited() == 0) {
            reapTimer_->setEnabled(false);
        }
    });
    processes_.onStarted = [this] { reapTimer_->setEnabled(true); };

    // A successful open: capture waits for a new sequence; a serial receiver
    // gets DTR and RTS raised and its start-up bytes.
    portHeard_ = activation_.changed.subscribe([this](bool open) {
        if (open) {
            road_.receiverOpened();
        }
    });

    // --- the main window's creation (FormCreate)
    tray_ = std::make_unique<TrayIcon>();
    tray_->setObjectName(QStringLiteral("TrayIcon1"));
    ficha_ = std::make_unique<TFicha>(*this, state_, activation_, *tray_, translate_, boxes, help);
    ficha_->setObjectName(QStringLiteral("Ficha"));
    TFicha& ficha = *ficha_;
    ficha.setCommandTable(&table_);
    ActionEditor& actions = ficha.actionEditor();
    actions.setKeyNames(std::vector<std::string>(kNamedKeyLabels.begin(), kNamedKeyLabels.end()));
    actions.setMessageNames(MessageNames());
    actions.setDesktop(&desktop.desktop);
    runner_.setRestoreApplication([this] { ficha_->AppRestore(); });
    // The dialogs come after the window, configuration then learning, and
    // open on its signals.
    selPuerto_ =
        new TSelPuerto(*this, state_, activation_, sequence_, translate_, boxes, help, &ficha);
    selPuerto_->setObjectName(QStringLiteral("SelPuerto"));
    QObject::connect(&ficha, &TFicha::configurationRequested, selPuerto_, &QDialog::exec);
    QObject::connect(selPuerto_, &TSelPuerto::translationChanged, &ficha,
                     &TFicha::ApplyTranslation);
    auto* learning =
        new TAprendizaje(road_.capture(), table_, sequence_, *this, boxes, translate_, &ficha);
    learning->setObjectName(QStringLiteral("Aprendizaje"));
    QObject::connect(&ficha, &TFicha::learningRequested, learning, &TAprendizaje::LearnClick);
    QObject::connect(learning, &TAprendizaje::learned, &actions, &ActionEditor::ShowActions);

    sequence_.ShortestCodeLength = kShortestCodeLengthAtStart;
    state_.setEditMode(true);
    road_.capture().Reset();
    // The device of each port is known before anything can open one.
    readSettings();
}

Program::~Program() {
    ficha_.reset();
}

void Program::endNow() {
    ending_ = true;
    QCoreApplication::exit(0);
}

ProgramSettings Program::readSettings() {
    ProgramSettings settings = settingsFile_.read();
    // Said once: every activation reads the file again.
    if (!settings.ReadProblem.empty() && !settingsProblemReported_) {
        settingsProblemReported_ = true;
        reportError(settings.ReadProblem);
    }
    mapPorts(settings);
    return settings;
}

// The selected port's value also names the kind of receiver it is.
void Program::mapPorts(const ProgramSettings& settings) {
    DevicePathTable paths;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        paths[i] = Cp1252ToUtf8(settings.Ports[i]);
    }
    road_.serial().SetDevicePaths(paths);
    if (comPortOrdinal_ >= 0 && comPortOrdinal_ < kComPortCount) {
        road_.choose(paths[static_cast<std::size_t>(comPortOrdinal_)]);
    }
}

// --- recognition's host

bool Program::Aprendiendo() const {
    return road_.capture().Aprendiendo;
}

void Program::ShowActions(TComando&) {
    ficha_->actionEditor().ShowActions();
}

void Program::reportLogError(const std::string& text) {
    reportError(WriteFailure{state_.logPath(), text}.message());
}

void Program::reportError(const std::string& text) {
    boxes_.Error(QStringLiteral("Tavrel"), TrFileProblem(translate_, text));
}

// --- the port

bool Program::IsOpen() const {
    return road_.receiver().IsOpen();
}

void Program::DesactivarClick() {
    activation_.DesactivarClick();
}

void Program::ActivarClick() {
    activation_.ActivarClick();
}

bool Program::Opening() const {
    return road_.receiver().Opening();
}

bool Program::OpenPort() {
    noPortSelected_ = comPortOrdinal_ < 0 || comPortOrdinal_ >= kComPortCount;
    if (noPortSelected_) {
        return false;
    }
    // [Ports] is read at every open, so a device picked in the dialog or
    // mapped by hand in the file is used from the next open on.
    if (!road_.receiver().IsOpen()) {
        mapPorts(settingsFile_.read());
    }
    if (!road_.receiver().OpenPort()) {
        return false;
    }
    reopenTimer_->setEnabled(false);
    return true;
}

void Program::ClosePort() {
    reopenTimer_->setEnabled(false);  // closed on purpose: nothing to come back to
    road_.receiver().ClosePort();
}

// The receiver was unplugged or its line went away: the window and the icon
// say so, and the port opens again by itself once the device is back.
void Program::DeviceGone() {
    activation_.deviceGone();
    reopenIn(0);
}

void Program::reopenIn(int milliseconds) {
    reopenTimer_->setInterval(milliseconds);
    reopenTimer_->setEnabled(false);
    reopenTimer_->setEnabled(true);
}

// Each attempt opens as every open does: [Ports] is read again, so a device
// picked meanwhile is the one looked for.
void Program::TryReopen() {
    if (OpenPort()) {
        // Shows the open port and has the start-up bytes sent again.
        activation_.ActivarClick();
    }
}

// An attempt that waited on a peer ended: the user's Activate hears of it,
// a reopen after a hang-up goes on as with an open done at once.
void Program::OpenEnded() {
    if (activation_.awaitingOpen()) {
        activation_.openEnded();
    } else if (reopenTimer_->enabled() && road_.receiver().IsOpen()) {
        activation_.ActivarClick();
    }
    if (road_.receiver().IsOpen()) {
        reopenTimer_->setEnabled(false);
    }
}

int Program::PortNumber() const {
    return comPortOrdinal_ >= 0 && comPortOrdinal_ < kComPortCount ? comPortOrdinal_ + 1 : 0;
}

OpenFailure Program::LastFailure() const {
    if (noPortSelected_) {
        return OpenFailure{OpenFailure::NoPortSelected, {}, {}, {}, {}};
    }
    return road_.receiver().LastFailure();
}

std::string Program::DevicePath() const {
    return portDevice(PortNumber());
}

PortOrdinals Program::portOrdinals() const {
    PortOrdinals ordinals;
    ordinals.ComPort = comPortOrdinal_;
    const TCommPortDriver& serial = road_.serial();
    ordinals.ComPortSpeed = serial.ComPortSpeed();
    ordinals.ComPortParity = serial.ComPortParity();
    ordinals.ComPortDataBits = serial.ComPortDataBits();
    ordinals.ComPortStopBits = serial.ComPortStopBits();
    return ordinals;
}

// An ordinal the driver has no value for leaves that setting as it was.
void Program::setPortOrdinals(const PortOrdinals& ordinals) {
    TCommPortDriver& serial = road_.serial();
    if (!road_.receiver().IsOpen()) {
        comPortOrdinal_ = ordinals.ComPort;
        SetOrdinal<TComPortNumber>(ordinals.ComPort, kComPortCount,
                                   [&serial](TComPortNumber port) { serial.SetComPort(port); });
    }
    SetOrdinal<TComPortBaudRate>(ordinals.ComPortSpeed, kBaudRateCount,
                                 [&serial](TComPortBaudRate v) { serial.SetComPortSpeed(v); });
    SetOrdinal<TComPortParity>(ordinals.ComPortParity, 5,
                               [&serial](TComPortParity v) { serial.SetComPortParity(v); });
    SetOrdinal<TComPortDataBits>(ordinals.ComPortDataBits, 4,
                                 [&serial](TComPortDataBits v) { serial.SetComPortDataBits(v); });
    SetOrdinal<TComPortStopBits>(ordinals.ComPortStopBits, 3,
                                 [&serial](TComPortStopBits v) { serial.SetComPortStopBits(v); });
}

// --- the rest of the host

void Program::setCommandsFilePath(const std::string& path) {
    state_.setCommandsPath(path);
}

void Program::showPortOrdinals(const PortOrdinals& ordinals) {
    selPuerto_->showPortOrdinals(ordinals);
}

void Program::showSequenceSettings(const SequenceSettings& settings) {
    selPuerto_->showSequenceSettings(settings);
}

void Program::resetCapture() {
    road_.capture().Reset();
}

// --- the main window's services

void Program::loadTranslation(const std::string& path) {
    // A file that cannot be read keeps the texts in force; only a missing one
    // is not worth a word.
    const FileStatus status = translation_.loadFile(files_, path);
    if (!status.ok() && files_.exists(path)) {
        reportError(UnableToRead(path, status.error));
    }
}

bool Program::commandTableEmpty() const {
    return table_.empty();
}

void Program::loadCommandsFile() {
    LoadResult result;
    {
        const TreeRefreshHeld held(ficha_->treeEditor());
        result = commandsFile_.Load();
    }
    if (!result.readError.empty()) {
        reportError(UnableToRead(result.path, result.readError));
    }
}

// --- the configuration dialog's services

bool Program::commandsModified() const {
    return table_.modified() && !table_.empty();
}

std::optional<std::string> Program::commandsFileUnusable(const std::string& path) const {
    return commandsFile_.Unusable(path);
}

void Program::switchCommandsFile(const std::string& path) {
    LoadResult result;
    {
        const TreeRefreshHeld held(ficha_->treeEditor());
        table_.clear();
        result = commandsFile_.LoadFrom(path);
    }
    if (!result.readError.empty()) {
        reportError(UnableToRead(result.path, result.readError));
    }
}

// The window loads an existing file when it retranslates (translationChanged).
void Program::switchTranslationFile(const std::string& path) {
    if (!files_.exists(path)) {
        translation_.clear();
    }
}

std::string Program::portDevice(int comNumber) const {
    if (comNumber < 1 || comNumber > kPortCount) {
        return {};
    }
    return Cp1252ToUtf8(settingsFile_.read().Ports[static_cast<std::size_t>(comNumber - 1)]);
}

std::vector<SerialDeviceEntry> Program::serialDevices() const {
    return ListSerialDevices(deviceSearch);
}

std::vector<SerialDeviceEntry> Program::receiverDevices() const {
    return ListReceiverDevices({deviceSearch, sysRoot, daemonSocket});
}

std::optional<std::string> Program::setPortDevice(int comNumber, const std::string& device) {
    bool lossless = true;
    const std::string stored = Utf8ToCp1252(device, &lossless);
    if (!lossless) {
        // tavrel.ini holds Windows-1252; a name it cannot hold would open another
        // file. The message is in Windows-1252 as a whole, '?' where it cannot be.
        return WriteFailure{settingsFile_.path(), {}}.message() + ": " + stored;
    }
    if (const auto failure = settingsFile_.writePortDevice(comNumber, stored)) {
        return failure->message();
    }
    return std::nullopt;
}

std::optional<std::string> Program::SaveRun(const ProgramSettings& settings) {
    if (ending_) {
        return std::nullopt;  // the program ends without saving
    }
    const TreeRefreshHeld held(ficha_->treeEditor());
    if (const auto failure = commandsFile_.SaveRun(settings)) {
        return failure->message();
    }
    runner_.setPendingNumber(0);
    if (const std::string& backup = commandsFile_.backupKept(); !backup.empty()) {
        boxes_.Show(BoxIcon::Information, QStringLiteral("Tavrel"),
                    Tr(translate_,
                       QStringLiteral("The commands file held entries, variants, or values "
                                      "longer than 1023 characters, that Save/Run did not write "
                                      "back. A copy of the file as it was is kept in %s."),
                       "backupkept")
                        .replace(QStringLiteral("%s"), ToQt(backup)));
    }
    return std::nullopt;
}

bool Program::startsAtLogin() const {
    return configHomeStorable_ && autostart_.Enabled();
}

std::optional<std::string> Program::setStartAtLogin(bool on) {
    const std::filesystem::path self = ExecutablePath();
    std::optional<WriteFailure> failure;
    if (!configHomeStorable_) {
        failure = WriteFailure{autostart_.path(),
                               "The configuration folder's name has characters that cannot be "
                               "stored in Windows-1252."};
    } else if (on && self.empty()) {
        failure = WriteFailure{autostart_.path(), "The program's own path is unknown."};
    } else {
        failure = autostart_.SetEnabled(on, self.string());
    }
    if (failure) {
        return failure->message();
    }
    return std::nullopt;
}

}  // namespace tavrel
