// The about box.
#include "ui/acerca_de.h"

#include <QTimer>

#include "ui/fit_text.h"
#include "ui/help_viewer.h"
#include "ui/images.h"
#include "ui_AcercaDe.h"

namespace tavrel {
namespace {

const char kDescription[] =
    "Tavrel lets an infrared remote control drive your desktop, on X11 or Wayland. A "
    "receiver reports every button press: one on a serial line, one the kernel drives, "
    "or the LIRC daemon; Tavrel recognises the button among "
    "the commands you have taught it and runs the actions you gave that command: "
    "keystrokes and typed text, mouse clicks and pointer moves, programs to start "
    "and messages for other windows.";

}  // namespace

TAcercaDe::TAcercaDe(TranslateFn translate, HelpViewer& help, QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::TAcercaDe>()),
      translate_(std::move(translate)),
      help_(help),
      timer_(new QTimer(this)) {
    ui_->setupUi(this);
    ui_->Imagen->setPixmap(ProgramIcon().pixmap(48, 48));
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(1000);
    connect(timer_, &QTimer::timeout, this, &TAcercaDe::Timer1Timer);
    connect(ui_->BAceptar, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->BContacto, &QPushButton::clicked, this,
            [this] { help_.OpenTopic(QStringLiteral("contact")); });
}

TAcercaDe::~TAcercaDe() = default;

void TAcercaDe::FormShow() {
    const QString title = QString::fromLatin1(kProgramTitle);
    setWindowTitle(Tr(translate_, QStringLiteral("About"), "about2") + ' ' + title);
    ui_->LTitulo->setText(title + ' ' + Tr(translate_, QStringLiteral("for"), "for") +
                          QStringLiteral(" Linux"));

    QString text = Tr(translate_, QString::fromLatin1(kDescription), "aboutdescription") +
                   QStringLiteral("\n\n") +
                   Tr(translate_, QString::fromLatin1(kLicence), "licence") +
                   QStringLiteral("\n\n");
    // An empty default gives back exactly the table's value, or nothing.
    const QString name = Tr(translate_, QString(), "name");
    const QString email = Tr(translate_, QString(), "email");
    const QString language = Tr(translate_, QString(), "language");
    if (!name.isEmpty() && !email.isEmpty() && !language.isEmpty()) {
        text += Tr(translate_, QStringLiteral("Translated to English by"), "translatedto_X_by") +
                ' ' + name + QStringLiteral(" (") + email + QStringLiteral(")\n\n");
    }
    ui_->Memo1->setPlainText(text);
    ui_->BAceptar->setText(Tr(translate_, ui_->BAceptar->text(), "ok"));
    FitTexts(this);
}

void TAcercaDe::showEvent(QShowEvent* event) {
    FormShow();
    timer_->start();
    QDialog::showEvent(event);
}

void TAcercaDe::hideEvent(QHideEvent* event) {
    timer_->stop();
    QDialog::hideEvent(event);
}

void TAcercaDe::Timer1Timer() {
    QFont font = ui_->BContacto->font();
    font.setItalic(!font.italic());
    ui_->BContacto->setFont(font);
}

}  // namespace tavrel
