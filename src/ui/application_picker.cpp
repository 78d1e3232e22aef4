// The "Add..." dialog of the variant row.
#include "ui/application_picker.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "commands/text_case.h"
#include "ui/cp1252_input.h"
#include "ui_application_picker.h"

namespace tavrel {
namespace {

// Tavrel's own windows, under either name the desktop may give them.
bool IsOwnApplication(const std::string& application) {
    for (const QString& own :
         {QGuiApplication::applicationName(), QGuiApplication::desktopFileName()}) {
        if (!own.isEmpty() && EqualsIgnoringCase1252(FromQt(own), application)) {
            return true;
        }
    }
    return false;
}

std::string Trimmed(const QLineEdit* edit) {
    return FromQt(edit->text().trimmed());
}

}  // namespace

ApplicationPicker::ApplicationPicker(Desktop& desktop, const TranslateFn& translate,
                                     QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::ApplicationPicker>()),
      desktop_(desktop),
      translate_(translate),
      learning_(new QTimer(this)) {
    ui_->setupUi(this);
    Ui::ApplicationPicker& p = *ui_;
    const auto tr = [&translate](auto* control, const char* key) {
        Recaption(translate, control, key);
    };
    setWindowTitle(Tr(translate, windowTitle(), "addapplication_title"));
    tr(p.LOpenApplications, "openapplications");
    tr(p.LApplicationName, "applicationname");
    tr(p.LTitlePart, "applicationtitle");
    tr(p.BLearnApplication, "learnapplication");
    const QString hint = RefusedCharacterHint(translate);
    for (QLineEdit* edit : {p.EApplicationName, p.ETitlePart}) {
        RefuseNonCp1252(edit, [hint] { return hint; });
        connect(edit, &QLineEdit::textChanged, this, &ApplicationPicker::updateOk);
    }
    // Picked, not merely made current (as the list's first focus does).
    connect(p.LBOpenApplications, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> picked = ui_->LBOpenApplications->selectedItems();
        if (!picked.isEmpty()) {
            ui_->EApplicationName->setText(picked.front()->data(Qt::UserRole).toString());
        }
    });
    connect(p.LBOpenApplications, &QListWidget::itemDoubleClicked, this, [this] {
        if (ui_->BBApplicationPicker->button(QDialogButtonBox::Ok)->isEnabled()) {
            accept();
        }
    });
    connect(p.BLearnApplication, &QAbstractButton::toggled, this, &ApplicationPicker::learnToggled);
    learning_->setInterval(kLearnPollMs);
    connect(learning_, &QTimer::timeout, this, &ApplicationPicker::lookForLearned);
    connect(p.BBApplicationPicker, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(p.BBApplicationPicker, &QDialogButtonBox::rejected, this, &QDialog::reject);
    fillList();
    updateOk();
}

ApplicationPicker::~ApplicationPicker() = default;

std::string ApplicationPicker::application() const {
    return Trimmed(ui_->EApplicationName);
}

std::string ApplicationPicker::title() const {
    return Trimmed(ui_->ETitlePart);
}

void ApplicationPicker::fillList() {
    QListWidget* list = ui_->LBOpenApplications;
    list->clear();
    for (const ApplicationWindow& window : desktop_.ApplicationWindows()) {
        if (window.application.empty()) {
            continue;  // a panel or a dock: nothing to name
        }
        const QString name = ToQt(window.application);
        auto* item = new QListWidgetItem(
            window.title.empty() ? name : name + QStringLiteral(" \u2013 ") + ToQt(window.title),
            list);
        item->setData(Qt::UserRole, name);
    }
}

void ApplicationPicker::learnToggled(bool on) {
    if (!on) {
        learning_->stop();
        ui_->LLearnState->clear();
        return;
    }
    const std::optional<ApplicationWindow> active = desktop_.ActiveApplication();
    learnedFrom_ = active ? active->window : kNoWindow;
    ui_->LLearnState->setText(Tr(translate_,
                                 QStringLiteral("Now activate the application's window."),
                                 "learnapplication_wait"));
    learning_->start();
}

void ApplicationPicker::lookForLearned() {
    const std::optional<ApplicationWindow> active = desktop_.ActiveApplication();
    if (!active || active->window == learnedFrom_ || active->application.empty() ||
        IsOwnApplication(active->application)) {
        return;
    }
    ui_->EApplicationName->setText(ToQt(active->application));
    // Unchecking stops the learning and clears its line.
    ui_->BLearnApplication->setChecked(false);
    raise();
    activateWindow();
}

void ApplicationPicker::updateOk() {
    ui_->BBApplicationPicker->button(QDialogButtonBox::Ok)
        ->setEnabled(!application().empty() || !title().empty());
}

}  // namespace tavrel
