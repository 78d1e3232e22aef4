// The learning dialog TAprendizaje: while it is open every burst the receiver
// sends becomes a learning sample; Ok merges the samples into the current
// command's code and checks it, Cancel or the close box end learning.
#pragma once

#include <QDialog>
#include <QRect>
#include <QSize>
#include <memory>

#include "commands/notifier.h"
#include "ui/text_edge.h"

namespace Ui {
class TAprendizaje;
}

namespace tavrel {

class CodeCapture;
class CommandTable;
class MessageBoxes;
class PortControl;
struct LearningResult;
struct SequenceSettings;

class TAprendizaje : public QDialog {
    Q_OBJECT
public:
    // All are referenced and must outlive the dialog. Capture's progress bar
    // hand-over is this dialog's while it exists.
    TAprendizaje(CodeCapture& capture, CommandTable& table, SequenceSettings& sequence,
                 const PortControl& port, MessageBoxes& boxes, TranslateFn translate,
                 QWidget* parent = nullptr);
    ~TAprendizaje() override;

    // Room the window manager's title bar takes besides the caption (icon,
    // buttons), so the caption is never cut.
    static constexpr int kTitleBarAllowance = 120;

    // Learn now...: with the port open, captions the dialog with the port and
    // shows it modally; otherwise says that the port must be activated.
    void LearnClick();
    // LearnClick's checks and caption: true when the dialog may open.
    bool prepareLearning();

    // Handlers, named after their controls and events.
    void FormActivate();
    void BotonAceptarClick();
    void BotonCancelarClick();

signals:
    // A code was stored in the current command: the action editor shows it.
    void learned();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString translated(const QString& def, const char* key) const {
        return Tr(translate_, def, key);
    }
    void showSamples();
    void showDifference(const LearningResult& result);
    QString collisionWarning() const;
    // Places the controls for the texts they now hold, from the designed
    // places: wider for the caption, taller for wrapped texts.
    void fitToTexts();
    QString nodeName(int pos) const;

    std::unique_ptr<Ui::TAprendizaje> ui_;
    CodeCapture& capture_;
    CommandTable& table_;
    SequenceSettings& sequence_;
    const PortControl& port_;
    MessageBoxes& boxes_;
    TranslateFn translate_;
    Notifier<>::Subscription samplesHeard_;
    // Where the form puts each control for its built-in texts.
    struct Places {
        QSize dialog;
        QRect instructions1, instructions2, received, value, detail, ok, cancel;
    } designed_;
};

}  // namespace tavrel
