// The variant row. Its form is a layout, unlike the editor's fixed groups, so
// that its buttons take the width their texts need in every language and the
// list of variants gives way.
#include "ui/variant_row.h"

#include <QSignalBlocker>
#include <algorithm>

#include "commands/command_table.h"
#include "commands/command_variants.h"
#include "platform/desktop.h"
#include "ui/application_picker.h"
#include "ui/fit_text.h"
#include "ui_variant_row.h"

namespace tavrel {

VariantRow::VariantRow(QWidget* parent) : QWidget(parent), ui_(std::make_unique<Ui::VariantRow>()) {
    ui_->setupUi(this);
    const Ui::VariantRow& r = *ui_;
    connect(r.CBApplication, &QComboBox::activated, this, &VariantRow::choose);
    connect(r.BApplicationAdd, &QAbstractButton::clicked, this, &VariantRow::addClick);
    connect(r.BApplicationRemove, &QAbstractButton::clicked, this, &VariantRow::removeClick);
    connect(r.BApplicationUp, &QAbstractButton::clicked, this, [this] { moveClick(-1); });
    connect(r.BApplicationDown, &QAbstractButton::clicked, this, [this] { moveClick(1); });
    fitButtons();
    refresh();
}

VariantRow::~VariantRow() = default;

void VariantRow::setDesktop(Desktop* desktop) {
    desktop_ = desktop;
    refresh();
}

void VariantRow::ApplyTranslation(const TranslateFn& translate) {
    translate_ = translate;
    Ui::VariantRow& r = *ui_;
    Recaption(translate, r.LApplication, "application");
    Recaption(translate, r.BApplicationAdd, "addapplication");
    Recaption(translate, r.BApplicationRemove, "removeapplication");
    // The hints take fixed defaults, not the hint shown.
    r.BApplicationUp->setToolTip(translated(QStringLiteral("Try earlier"), "tryearlier_hint"));
    r.BApplicationDown->setToolTip(translated(QStringLiteral("Try later"), "trylater_hint"));
    fitButtons();
    refresh();
}

// As wide as their texts, not the style's wider minimum: the list has the rest.
void VariantRow::fitButtons() {
    for (QWidget* button : {ui_->BApplicationAdd, ui_->BApplicationRemove}) {
        button->setFixedWidth(WidthForText(button));
    }
}

ActionSettings& VariantRow::show(TComando& command) {
    if (&command != shown_) {
        shown_ = &command;
        chosen_ = 0;
    }
    chosen_ = std::clamp(chosen_, 0, static_cast<int>(command.Variantes.size()));
    refresh();
    return settingsOf(command);
}

void VariantRow::showNone() {
    shown_ = nullptr;
    chosen_ = 0;
    refresh();
}

ActionSettings& VariantRow::settingsOf(TComando& command) const {
    if (&command == shown_ && chosen_ > 0) {
        if (CommandVariant* variant = VariantAt(command, chosen_ - 1)) {
            return *variant;
        }
    }
    return command;
}

void VariantRow::choose(int item) {
    if (shown_ == nullptr || item == chosen_) {
        return;
    }
    chosen_ = item;
    refresh();
    emit chosenChanged();
}

// The variant goes to the command "Add..." was clicked for, whatever a press
// selected while the dialog was open.
void VariantRow::addClick() {
    TComando* begun = shown_;
    if (begun == nullptr || desktop_ == nullptr || table_ == nullptr) {
        return;
    }
    ApplicationPicker picker(*desktop_, translate_, this);
    if (picker.exec() != QDialog::Accepted || table_->positionOf(begun) == kNoNode) {
        return;
    }
    AddVariant(*begun, picker.application(), picker.title());
    table_->markModified();
    if (begun == shown_) {
        chosen_ = static_cast<int>(begun->Variantes.size());
        refresh();
        emit chosenChanged();
    }
}

void VariantRow::removeClick() {
    if (shown_ == nullptr || table_ == nullptr || !RemoveVariant(*shown_, chosen_ - 1)) {
        return;
    }
    table_->markModified();
    // The variant that took its place, else the one before it.
    chosen_ = std::min(chosen_, static_cast<int>(shown_->Variantes.size()));
    refresh();
    emit chosenChanged();
}

void VariantRow::moveClick(int by) {
    if (shown_ == nullptr || table_ == nullptr ||
        !MoveVariant(*shown_, chosen_ - 1, chosen_ - 1 + by)) {
        return;
    }
    table_->markModified();
    chosen_ += by;
    refresh();
    emit chosenChanged();
}

void VariantRow::refresh() {
    const Ui::VariantRow& r = *ui_;
    const QString refused = QString::fromStdString(
        desktop_ != nullptr ? desktop_->applicationsUnavailable() : Desktop::kNoActiveApplication);
    const int count = shown_ != nullptr ? static_cast<int>(shown_->Variantes.size()) : 0;
    {
        const QSignalBlocker quiet(r.CBApplication);
        r.CBApplication->clear();
        r.CBApplication->addItem(
            translated(QStringLiteral("All other applications"), "allotherapplications"));
        if (shown_ != nullptr) {
            for (const CommandVariant& variant : shown_->Variantes) {
                const std::string name = VariantName(variant);
                r.CBApplication->addItem(ToQt(name.empty() ? "\"\"" : name));
            }
        }
        r.CBApplication->setCurrentIndex(chosen_);
    }
    const bool usable = shown_ != nullptr && refused.isEmpty();
    r.CBApplication->setEnabled(usable);
    r.BApplicationAdd->setEnabled(usable);
    r.BApplicationRemove->setEnabled(usable && chosen_ > 0);
    r.BApplicationUp->setEnabled(usable && chosen_ > 1);
    r.BApplicationDown->setEnabled(usable && chosen_ > 0 && chosen_ < count);
    // Greyed for the desktop: its reason on the row.
    for (QWidget* control :
         {static_cast<QWidget*>(r.LApplication), static_cast<QWidget*>(r.CBApplication),
          static_cast<QWidget*>(r.BApplicationAdd)}) {
        control->setToolTip(refused);
    }
}

}  // namespace tavrel
