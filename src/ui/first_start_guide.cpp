// The first-start guide.
#include "ui/first_start_guide.h"

#include <QLabel>

#include "ui/device_state.h"
#include "ui_first_start_guide.h"

namespace tavrel {
namespace {

QString Link(const QString& target, const QString& text) {
    return QStringLiteral("<a href=\"") + target + QStringLiteral("\">") + text.toHtmlEscaped() +
           QStringLiteral("</a>");
}

}  // namespace

FirstStartGuide::FirstStartGuide(QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::FirstStartGuide>()) {
    ui_->setupUi(this);
    const Ui::FirstStartGuide& f = *ui_;
    for (QLabel* label :
         {f.LGuideRemote, f.LGuideCommand, f.LGuideLearn, f.LGuideReceiver, f.LGuideHelp}) {
        connect(label, &QLabel::linkActivated, this, &FirstStartGuide::follow);
    }
    showSteps();
    showReceiverLine();
}

FirstStartGuide::~FirstStartGuide() = default;

void FirstStartGuide::follow(const QString& link) {
    if (link == QLatin1String("remote")) {
        emit insertRemoteRequested();
    } else if (link == QLatin1String("command")) {
        emit insertCommandRequested();
    } else if (link == QLatin1String("learn")) {
        emit learnRequested();
    } else if (link == QLatin1String("activate")) {
        emit activateRequested();
    } else if (link == QLatin1String("help")) {
        emit helpRequested();
    }
}

void FirstStartGuide::ApplyTranslation(const TranslateFn& translate) {
    translate_ = translate;
    showSteps();
    showReceiverLine();
}

void FirstStartGuide::showReceiver(const ReceiverState& receiver) {
    receiver_ = receiver;
    showReceiverLine();
}

void FirstStartGuide::showSteps() {
    const Ui::FirstStartGuide& f = *ui_;
    const auto step = [](int number, const QString& link, const QString& how) {
        return QString::number(number) + QStringLiteral(". ") + link + how.toHtmlEscaped();
    };
    f.LGuideIntro->setText(
        translated(QStringLiteral("No commands yet. Three steps teach Tavrel a button of your "
                                  "remote control:"),
                   "guideintro")
            .toHtmlEscaped());
    f.LGuideRemote->setText(
        step(1,
             Link(QStringLiteral("remote"),
                  translated(QStringLiteral("Insert a remote"), "guideinsertremote")),
             translated(QStringLiteral(", one for each remote control."), "guideremotefor")));
    f.LGuideCommand->setText(
        step(2,
             Link(QStringLiteral("command"),
                  translated(QStringLiteral("Insert a command"), "guideinsertcommand")),
             translated(QStringLiteral(", one for each of its buttons."), "guidecommandfor")));
    f.LGuideLearn->setText(
        step(3,
             Link(QStringLiteral("learn"),
                  translated(QStringLiteral("Learn it from the receiver"), "guidelearn")),
             translated(QStringLiteral(": press its button 3 to 5 times."), "guidelearnhow")));
    f.LGuideHelp->setText(
        Link(QStringLiteral("help"), translated(QStringLiteral("More in the help"), "guidehelp")));
}

// "Receiver: COM2 = /dev/ttyS1 (not present), closed. Activate", or the
// reason a failed open gave, or that the port is open.
void FirstStartGuide::showReceiverLine() {
    const ReceiverState& r = receiver_;
    QString line =
        translated(QStringLiteral("Receiver:"), "guidereceiver").toHtmlEscaped() + QLatin1Char(' ');
    if (r.port == 0) {
        line += translated(QStringLiteral("No serial port is selected (COM1 to COM8)."),
                           "noportselected")
                    .toHtmlEscaped();
    } else {
        line += (QStringLiteral("COM%1 = ").arg(r.port) + r.device).toHtmlEscaped();
        if (r.open) {
            line += QStringLiteral(", ") + translated(QStringLiteral("open"), "guideopen") +
                    QLatin1Char('.');
        } else if (!r.why.isEmpty()) {
            line += QStringLiteral(", ") + translated(QStringLiteral("closed"), "guideclosed") +
                    QStringLiteral(":<br>") + r.why.toHtmlEscaped();
        } else {
            line += QStringLiteral(" (") + DeviceStateWords(r.device, translate_) +
                    QStringLiteral("), ") + translated(QStringLiteral("closed"), "guideclosed") +
                    QLatin1Char('.');
        }
    }
    if (!r.open) {
        line += QLatin1Char(' ') + Link(QStringLiteral("activate"),
                                        translated(QStringLiteral("Activate"), "guideactivate"));
    }
    ui_->LGuideReceiver->setText(line);
}

}  // namespace tavrel
