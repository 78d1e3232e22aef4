// The configuration dialog TSelPuerto.
#include "ui/sel_puerto.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpressionValidator>
#include <limits>

#include "commands/program_state.h"
#include "ui/configuration_services.h"
#include "ui/help_viewer.h"
#include "ui/message_boxes.h"
#include "ui/port_switch.h"
#include "ui/up_down.h"
#include "ui_SelecPuerto.h"

namespace tavrel {
namespace {

// The lists' positions start at 110 baud's successor: 300 is ordinal 1.
constexpr int kFirstListedSpeed = 1;

// Selects the item of a list for an ordinal, quietly; outside the list's
// range the list stays as it was.
void ShowOrdinal(QComboBox* list, std::int32_t position) {
    if (position >= 0 && position < list->count()) {
        const QSignalBlocker quiet(list);
        list->setCurrentIndex(position);
    }
}

}  // namespace

TSelPuerto::TSelPuerto(ConfigurationServices& services, ProgramState& state, PortSwitch& port,
                       SequenceSettings& sequence, TranslateFn translate, MessageBoxes& boxes,
                       HelpViewer& help, QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::TSelPuerto>()),
      services_(services),
      state_(state),
      port_(port),
      sequence_(sequence),
      translate_(std::move(translate)),
      boxes_(boxes) {
    ui_->setupUi(this);
    // A fixed dialog frame: no resizing, no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setModal(true);
    setProperty(kHelpContextProperty, 1);
    InstallHelpKey(this, help);

    Ui::TSelPuerto& f = *ui_;
    // Only digits and backspace can be typed into the three sequence fields.
    for (QLineEdit* field : {f.ESkip, f.ETolera, f.ESize}) {
        field->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    }
    // The settings in force, until a commands file brings its own.
    showPortOrdinals(services_.portOrdinals());
    showSequenceSettings(sequence_);

    // activated: only a pick by the user, the item already selected included.
    connect(f.CBPortNumber, &QComboBox::activated, this, &TSelPuerto::CBPortNumberClick);
    connect(f.CBVelocidad, &QComboBox::activated, this, &TSelPuerto::CBVelocidadClick);
    connect(f.CBParidad, &QComboBox::activated, this, &TSelPuerto::CBParidadClick);
    connect(f.CBDataBits, &QComboBox::activated, this, &TSelPuerto::CBDataBitsClick);
    connect(f.CBStopbits, &QComboBox::activated, this, &TSelPuerto::CBStopbitsClick);
    connect(f.CBDevice, &QComboBox::activated, this, &TSelPuerto::CBDeviceClick);
    // textEdited: only typing, never a text the loader writes.
    connect(f.ESkip, &QLineEdit::textEdited, this, &TSelPuerto::ESkipChange);
    connect(f.ETolera, &QLineEdit::textEdited, this, &TSelPuerto::EToleraChange);
    connect(f.ESize, &QLineEdit::textEdited, this, &TSelPuerto::ESizeChange);
    connect(f.UDSkip, &UpDown::clicked, this, [this] {
        ui_->ESkip->setText(QString::number(ui_->UDSkip->position()));
        ESkipChange();
    });
    connect(f.UDTolera, &UpDown::clicked, this, [this] {
        ui_->ETolera->setText(QString::number(ui_->UDTolera->position()));
        EToleraChange();
    });
    connect(f.UDSize, &UpDown::clicked, this, [this] {
        ui_->ESize->setText(QString::number(ui_->UDSize->position()));
        ESizeChange();
    });
    // The commands file switches only once the user has finished with the
    // field (Enter or leaving it): loading at every keystroke would throw the
    // table away while a path is being typed.
    connect(f.EFichConfig, &QLineEdit::editingFinished, this, &TSelPuerto::EFichConfigChange);
    connect(f.EFichLenguaje, &QLineEdit::textEdited, this, &TSelPuerto::EFichLenguajeChange);
    connect(f.EFichLog, &QLineEdit::textEdited, this, &TSelPuerto::EFichLogChange);
    connect(f.BExaminarFichConfig, &QPushButton::clicked, this,
            &TSelPuerto::BExaminarFichConfigClick);
    connect(f.BExaminarFichLenguaje, &QPushButton::clicked, this,
            &TSelPuerto::BExaminarFichLenguajeClick);
    connect(f.BExaminarFichLog, &QPushButton::clicked, this, &TSelPuerto::BExaminarFichLogClick);
    connect(f.BotonAceptar, &QPushButton::clicked, this, &QDialog::hide);
    connect(f.BotonCancelar, &QPushButton::clicked, this, &QDialog::hide);

    chooseFile = [this](const QString& start) {
        const QFileInfo where(start);
        return QFileDialog::getOpenFileName(this, QString(), where.isDir() ? start : where.path(),
                                            QStringLiteral("All files (*)"));
    };
    stateHeard_ = state_.changed.subscribe([this] { showPaths(); });
    showPaths();
}

TSelPuerto::~TSelPuerto() = default;

void TSelPuerto::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

// ApplyTranslation shows the device as well.
void TSelPuerto::FormActivate() {
    ApplyTranslation();
    fillDevices();
}

// --- what the loader shows

void TSelPuerto::showPortOrdinals(const PortOrdinals& ordinals) {
    Ui::TSelPuerto& f = *ui_;
    ShowOrdinal(f.CBPortNumber, ordinals.ComPort);
    ShowOrdinal(f.CBVelocidad, ordinals.ComPortSpeed - kFirstListedSpeed);
    ShowOrdinal(f.CBParidad, ordinals.ComPortParity);
    ShowOrdinal(f.CBDataBits, ordinals.ComPortDataBits);
    ShowOrdinal(f.CBStopbits, ordinals.ComPortStopBits);
    showDevice();
}

void TSelPuerto::showSequenceSettings(const SequenceSettings& settings) {
    Ui::TSelPuerto& f = *ui_;
    f.ESkip->setText(QString::number(settings.SkipFirst));
    f.UDSkip->setPosition(settings.SkipFirst);
    f.ETolera->setText(QString::number(settings.Tolerance));
    f.UDTolera->setPosition(settings.Tolerance);
    f.ESize->setText(QString::number(settings.ValueSize));
    f.UDSize->setPosition(settings.ValueSize);
}

void TSelPuerto::showPaths() {
    const auto show = [](QLineEdit* field, std::string& shown, const std::string& path) {
        if (shown != path) {
            shown = path;
            field->setText(ToQt(path));
        }
    };
    show(ui_->EFichConfig, shownCommands_, state_.commandsPath());
    show(ui_->EFichLenguaje, shownTranslation_, state_.translationPath());
    show(ui_->EFichLog, shownLog_, state_.logPath());
}

// --- the serial port

// Every list: close an open port, set the value, reopen it, which raises the
// lines and sends the receiver its start-up bytes again.
void TSelPuerto::applyPortSetting(const std::function<void(PortOrdinals&)>& change) {
    const bool wasOpen = port_.IsOpen();
    if (wasOpen) {
        port_.DesactivarClick();
    }
    PortOrdinals ordinals = services_.portOrdinals();
    change(ordinals);
    services_.setPortOrdinals(ordinals);
    if (wasOpen) {
        port_.ActivarClick();
    }
}

void TSelPuerto::CBPortNumberClick() {
    const int position = ui_->CBPortNumber->currentIndex();
    applyPortSetting([position](PortOrdinals& o) { o.ComPort = position; });
    showDevice();
}

void TSelPuerto::CBVelocidadClick() {
    const int position = ui_->CBVelocidad->currentIndex();
    applyPortSetting(
        [position](PortOrdinals& o) { o.ComPortSpeed = position + kFirstListedSpeed; });
}

void TSelPuerto::CBParidadClick() {
    const int position = ui_->CBParidad->currentIndex();
    applyPortSetting([position](PortOrdinals& o) { o.ComPortParity = position; });
}

void TSelPuerto::CBDataBitsClick() {
    const int position = ui_->CBDataBits->currentIndex();
    applyPortSetting([position](PortOrdinals& o) { o.ComPortDataBits = position; });
}

void TSelPuerto::CBStopbitsClick() {
    const int position = ui_->CBStopbits->currentIndex();
    applyPortSetting([position](PortOrdinals& o) { o.ComPortStopBits = position; });
}

// --- the sequence settings

// The whole text as a decimal number, in force at once. An empty or too long
// text is reported and the setting keeps its value; a ValueSize outside 1..4
// is refused the same way, since capture and the code texts know no other.
// SkipFirst and Tolerance beyond their arrows are taken as typed.
void TSelPuerto::applySequenceField(QLineEdit* field, UpDown* arrows, std::int32_t& setting,
                                    bool isValueSize) {
    const QString text = field->text();
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value < 0 || value > std::numeric_limits<std::int32_t>::max()) {
        boxes_.Error(
            QStringLiteral("Tavrel"),
            translated(QStringLiteral("'%s' is not a valid integer value"), "notavalidinteger")
                .replace(QStringLiteral("%s"), text));
        return;
    }
    const auto number = static_cast<std::int32_t>(value);
    if (isValueSize && UsableValueSize(number) != number) {
        boxes_.Error(
            QStringLiteral("Tavrel"),
            translated(QStringLiteral("The value size is 1, 2, 3 or 4 bytes."), "valuesizerange"));
        field->setText(QString::number(setting));
        return;
    }
    setting = number;
    arrows->setPosition(number);
}

void TSelPuerto::ESkipChange() {
    applySequenceField(ui_->ESkip, ui_->UDSkip, sequence_.SkipFirst, false);
}

void TSelPuerto::EToleraChange() {
    applySequenceField(ui_->ETolera, ui_->UDTolera, sequence_.Tolerance, false);
}

void TSelPuerto::ESizeChange() {
    applySequenceField(ui_->ESize, ui_->UDSize, sequence_.ValueSize, true);
}

// --- translation

void TSelPuerto::ApplyTranslation() {
    Ui::TSelPuerto& f = *ui_;
    const auto tr = [this](auto* control, const char* key) { Recaption(translate_, control, key); };
    const auto tab = [this, &f](QWidget* page, const char* key) {
        const int index = f.PageControl1->indexOf(page);
        f.PageControl1->setTabText(index, translated(f.PageControl1->tabText(index), key));
    };
    tr(f.GBConfigFiles, "ConfigurationFiles");
    tr(f.LFichConfig, "Commands");
    tr(f.BExaminarFichConfig, "browse");
    tr(f.LFicheroLenguaje, "Translation");
    tr(f.BExaminarFichLenguaje, "browse");
    tr(f.LFichLog, "Log");
    tr(f.BExaminarFichLog, "browse");
    setWindowTitle(translated(windowTitle(), "programconfiguration"));
    tab(f.Port, "portnumber");
    tr(f.GBSerialPort, "portsettings");
    tab(f.Speed, "speed");
    tab(f.Parity, "parity");
    tab(f.Databits, "databits");
    tab(f.Stopbits, "stopbits");
    tr(f.BotonAceptar, "ok");
    tr(f.BotonCancelar, "cancel");
    tr(f.GBSequence, "datasequences");
    tr(f.LSkip, "skipfirst");
    tr(f.LTolera, "Tolerance");
    tr(f.LValueSize, "ValueSize");
    tr(f.LDevices, "receiverdevices");
    // Items take literal defaults: a table without their keys brings English back.
    static const std::pair<const char*, const char*> kParities[] = {{"None", "paritynone"},
                                                                    {"Odd", "parityodd"},
                                                                    {"Even", "parityeven"},
                                                                    {"Mark", "paritymark"},
                                                                    {"Space", "parityspace"}};
    for (int i = 0; i < f.CBParidad->count(); ++i) {
        const auto& [english, key] = kParities[i];
        f.CBParidad->setItemText(i, translated(QString::fromLatin1(english), key));
    }
    if (f.CBDevice->count() > 0) {
        f.CBDevice->setItemText(0, chooseDeviceText());
    }
    showDevice();
}

}  // namespace tavrel
