// The learning dialog: opening, the samples as they come, and the evaluation.
#include "ui/aprendizaje.h"

#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "capture/code_capture.h"
#include "capture/learning.h"
#include "commands/command_table.h"
#include "ui/fit_text.h"
#include "ui/images.h"
#include "ui/message_boxes.h"
#include "ui/port_control.h"
#include "ui_Aprender.h"

namespace tavrel {

TAprendizaje::TAprendizaje(CodeCapture& capture, CommandTable& table, SequenceSettings& sequence,
                           const PortControl& port, MessageBoxes& boxes, TranslateFn translate,
                           QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::TAprendizaje>()),
      capture_(capture),
      table_(table),
      sequence_(sequence),
      port_(port),
      boxes_(boxes),
      translate_(std::move(translate)) {
    ui_->setupUi(this);
    const Ui::TAprendizaje& f = *ui_;
    designed_ = {size(),
                 f.LInstrucc1->geometry(),
                 f.Linstrucc2->geometry(),
                 f.LReceived->geometry(),
                 f.ValorEntrada->geometry(),
                 f.LDetail->geometry(),
                 f.BotonAceptar->geometry(),
                 f.BotonCancelar->geometry()};
    fitToTexts();
    ui_->Image1->setPixmap(LearningPicture());
    connect(ui_->BotonAceptar, &QPushButton::clicked, this, &TAprendizaje::BotonAceptarClick);
    connect(ui_->BotonCancelar, &QPushButton::clicked, this, &TAprendizaje::BotonCancelarClick);
    // Cancel, Esc, the close box and a stored code all end learning.
    connect(this, &QDialog::finished, this, [this] { capture_.Aprendiendo = false; });
    capture_.showReceivedValue = [this](std::int32_t value) { ui_->ValorEntrada->setValue(value); };
    samplesHeard_ = capture_.sampleStored.subscribe([this] { showSamples(); });
}

TAprendizaje::~TAprendizaje() {
    capture_.showReceivedValue = nullptr;
}

bool TAprendizaje::prepareLearning() {
    if (!port_.IsOpen()) {
        boxes_.Show(BoxIcon::Exclamation,
                    translated(QStringLiteral("Serial port deactivated"), "SerialPortDeactivated"),
                    translated(QStringLiteral("To learn, the serial port must be activated"),
                               "ToLearnTheSerialPortMustBeActivated"));
        return false;
    }
    setWindowTitle(
        translated(QStringLiteral("Learning from the serial port"), "learningfromtheserialport") +
        QStringLiteral(" COM") + QString::number(port_.PortNumber()));
    return true;
}

void TAprendizaje::LearnClick() {
    if (prepareLearning()) {
        exec();
    }
}

// Once per opening, not at every activation: coming back from another
// window must not throw the samples away.
void TAprendizaje::showEvent(QShowEvent* event) {
    FormActivate();  // first: its texts set the dialog's size
    if (const QScreen* shownOn = screen()) {
        move(shownOn->availableGeometry().center() - rect().center());
    }
    QDialog::showEvent(event);
}

void TAprendizaje::FormActivate() {
    Ui::TAprendizaje& f = *ui_;
    setWindowTitle(translated(windowTitle(), "learningfromtheserialport"));
    Recaption(translate_, f.LInstrucc1, "instructions1");
    Recaption(translate_, f.Linstrucc2, "instructions2");
    Recaption(translate_, f.LReceived, "receivedvalues");
    Recaption(translate_, f.BotonAceptar, "ok");
    Recaption(translate_, f.BotonCancelar, "cancel");
    capture_.NumMuestras = 0;
    capture_.Aprendiendo = true;
    f.ValorEntrada->setValue(0);
    showSamples();
    f.BotonAceptar->setFocus();
}

// A translation or a desktop's larger font makes texts longer than the form
// was drawn for: the dialog grows to the right for its caption and downwards
// for the wrapped instructions and detail line, never smaller than drawn.
void TAprendizaje::fitToTexts() {
    Ui::TAprendizaje& f = *ui_;
    const Places& d = designed_;
    const int width = std::max(d.dialog.width(),
                               fontMetrics().horizontalAdvance(windowTitle()) + kTitleBarAllowance);
    const int wider = width - d.dialog.width();
    int lower = 0;
    const auto place = [&](QWidget* control, QRect area, bool wraps) {
        area.translate(0, lower);
        area.setWidth(area.width() + wider);
        if (wraps) {
            const int needed = control->heightForWidth(area.width());
            if (needed > area.height()) {
                lower += needed - area.height();
                area.setHeight(needed);
            }
        }
        control->setGeometry(area);
    };
    place(f.LInstrucc1, d.instructions1, true);
    place(f.Linstrucc2, d.instructions2, false);
    place(f.LReceived, d.received, false);
    place(f.ValorEntrada, d.value, false);
    place(f.LDetail, d.detail, true);
    // The buttons stay centred below the detail line.
    f.BotonAceptar->setGeometry(d.ok.translated(wider / 2, lower));
    f.BotonCancelar->setGeometry(d.cancel.translated(wider / 2, lower));
    setFixedSize(width, d.dialog.height() + lower);
    FitTexts(this);
}

void TAprendizaje::BotonAceptarClick() {
    TComando* command = table_.current();
    if (command == nullptr) {
        BotonCancelarClick();  // the command went away: nothing to learn into
        return;
    }
    const LearningResult result =
        EvaluateLearning(*command, capture_.Muestras, capture_.NumMuestras, sequence_, table_,
                         sequence_.ShortestCodeLength);
    QString text = ToQt(result.Message([this](std::string_view def, std::string_view key) {
        return translate_ ? translate_(std::string(def), std::string(key)) : std::string(def);
    }));
    if (result.outcome != LearningOutcome::TooFewSamples) {
        table_.markModified();  // a code stored, or the old one cleared
        // The tree shows the code's state at once, whatever the dialog does next.
        if (const int pos = table_.positionOf(command); pos != kNoNode) {
            table_.applyImageRule(pos);
        }
    }
    const bool stored =
        result.outcome == LearningOutcome::Agrees && command->Codigo.NumValores != 0;
    QString warning;
    if (stored) {
        warning = collisionWarning();
        text += warning;
    }
    const BoxIcon icon = !warning.isEmpty()                        ? BoxIcon::Exclamation
                         : result.icon == MessageIcon::Information ? BoxIcon::Information
                                                                   : BoxIcon::Stop;
    boxes_.Show(icon, translated(QStringLiteral("Learning process info"), "learningprocessinfo"),
                text);
    if (stored) {
        capture_.Aprendiendo = false;
        emit learned();
        accept();
    }
    capture_.NumMuestras = 0;
    ui_->ValorEntrada->setValue(0);
    if (result.difference) {
        showDifference(result);
    } else {
        showSamples();
    }
}

void TAprendizaje::BotonCancelarClick() {
    reject();
}

// "Samples received: 3 (lengths 8, 7, 8)".
void TAprendizaje::showSamples() {
    const int count = std::clamp(capture_.NumMuestras, 0, kMaxMuestras);
    QString text = translated(QStringLiteral("Samples received:"), "learningsamplesreceived") +
                   QLatin1Char(' ') + QString::number(count);
    if (count > 0) {
        QStringList lengths;
        for (int k = 0; k < count; ++k) {
            lengths << QString::number(capture_.Muestras[static_cast<std::size_t>(k)].NumValores);
        }
        text += QStringLiteral(" (") + translated(QStringLiteral("lengths"), "learninglengths") +
                QLatin1Char(' ') + lengths.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    ui_->LDetail->setText(text);
    fitToTexts();
}

// "Sample 3, position 2: differs by 5. Tolerance that accepts every sample: 6".
void TAprendizaje::showDifference(const LearningResult& result) {
    const SampleDifference& d = *result.difference;
    QString text = translated(QStringLiteral("Sample"), "learningsample") + QLatin1Char(' ') +
                   QString::number(d.sample);
    if (d.position == 0) {
        text += QLatin1Char(' ') +
                translated(QStringLiteral("is too short to compare."), "learningtooshort");
    } else {
        text += QStringLiteral(", ") + translated(QStringLiteral("position"), "learningposition") +
                QLatin1Char(' ') + QString::number(d.position) + QStringLiteral(": ") +
                translated(QStringLiteral("differs by"), "learningdiffersby") + QLatin1Char(' ') +
                QString::number(d.difference) + QLatin1Char('.');
    }
    text += QLatin1Char(' ');
    if (d.toleranceNeeded >= 0) {
        text += translated(QStringLiteral("Tolerance that accepts every sample:"),
                           "learningtoleranceneeded") +
                QLatin1Char(' ') + QString::number(d.toleranceNeeded);
    } else {
        text +=
            translated(QStringLiteral("No tolerance accepts every sample."), "learningnotolerance");
    }
    ui_->LDetail->setText(text);
    fitToTexts();
}

// "TV, command 2 (Stop)": commands often share a name, never a place.
QString TAprendizaje::nodeName(int pos) const {
    const int remote = table_.parentRemote(pos);
    return ToQt(table_.label(remote)) + QStringLiteral(", ") +
           translated(QStringLiteral("command %1"), "learningcommandnumber")
               .replace(QStringLiteral("%1"), QString::number(pos - remote)) +
           QStringLiteral(" (") + ToQt(table_.label(pos)) + QLatin1Char(')');
}

// Recognition runs the first match in tree order, so of the commands that
// answer to the same button only the highest one ever runs.
QString TAprendizaje::collisionWarning() const {
    const TComando* command = table_.current();
    const std::vector<int> others = CollidingCommands(table_, *command, sequence_);
    if (others.empty()) {
        return {};
    }
    QStringList names;
    for (int pos : others) {
        names << nodeName(pos);
    }
    const int own = table_.positionOf(command);
    QString runs;
    if (own < others.front()) {
        runs = others.size() == 1
                   ? translated(QStringLiteral("A press of it runs this command, %1; the other one "
                                               "never runs."),
                                "learningthisruns")
                   : translated(QStringLiteral("A press of it runs this command, %1; the others "
                                               "never run."),
                                "learningthisrunsothers");
        runs.replace(QStringLiteral("%1"), nodeName(own));
    } else {
        runs = translated(QStringLiteral("A press of it runs the other one, %1; this command, %2, "
                                         "never runs."),
                          "learningotherruns");
        runs.replace(QStringLiteral("%1"), nodeName(others.front()))
            .replace(QStringLiteral("%2"), nodeName(own));
    }
    return QStringLiteral("\r\r") +
           translated(QStringLiteral("Warning: this button is also recognised as"),
                      "learningalsorecognised") +
           QLatin1Char(' ') + names.join(QStringLiteral("; ")) + QStringLiteral(".\r") + runs;
}

}  // namespace tavrel
