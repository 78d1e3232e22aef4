// The action editor's special settings: moving among a command's actions,
// adding and removing the last one, run all at once, key multiplying, the
// delay and the preferred destination window.
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include "commands/comando.h"
#include "platform/desktop.h"
#include "ui/action_editor.h"
#include "ui/variant_row.h"
#include "ui_action_options_group.h"
#include "ui_actions_group.h"

namespace tavrel {

// "+": a new, last action, shown (empty unless an old entry of its index remains).
void ActionEditor::BanyadeClick() {
    ActionSettings* command = edited();
    if (command == nullptr) {
        return;
    }
    command->LoopActual = command->Loop;
    command->Loop += 1;
    ShowActions();
}

// "-": the last action leaves the list; its string stays in the record.
void ActionEditor::BBorraClick() {
    ActionSettings* command = edited();
    if (command == nullptr || command->Loop < 2) {
        return;
    }
    command->Loop -= 1;
    command->LoopActual = command->Loop - 1;
    ShowActions();
}

void ActionEditor::UDLoopClick() {
    const Ui::SpecialSettingsGroup& s = *special_;
    ActionSettings* command = current();
    if (command == nullptr) {
        return;
    }
    s.BBorra->setEnabled(s.UDLoop->position() == s.UDLoop->maximum());
    command->LoopActual = s.UDLoop->position();
    ShowActions();
}

void ActionEditor::UDDelayClick() {
    if (ActionSettings* command = edited(); command != nullptr) {
        command->Retraso = special_->UDDelay->position();
    }
}

void ActionEditor::CBoxAllClick() {
    if (ActionSettings* command = edited(); command != nullptr) {
        command->DeVez = special_->CBoxAll->isChecked();
    }
}

void ActionEditor::CBoxMultiKeyClick() {
    if (ActionSettings* command = edited(); command != nullptr) {
        command->MultiKey = special_->CBoxMultiKey->isChecked();
    }
}

// Picked or typed: the destination is matched as a part of a window title.
void ActionEditor::CBTargetWinChange() {
    if (ActionSettings* command = edited(); command != nullptr) {
        command->TargetWindow = FromQt(special_->CBTargetWin->currentText());
    }
}

void ActionEditor::setDesktop(Desktop* desktop) {
    desktop_ = desktop;
    variants_->setDesktop(desktop);
    applyDesktopLimits();
}

void ActionEditor::applyDesktopLimits() {
    const QString refused =
        desktop_ != nullptr ? QString::fromStdString(desktop_->windowsUnavailable()) : QString();
    QComboBox* box = special_->CBTargetWin;
    box->setToolTip(refused);
    special_->LTargetWin->setToolTip(refused);
    actions_->RadioButton3->setToolTip(refused);
    if (box->lineEdit() != nullptr) {
        box->lineEdit()->setPlaceholderText(refused);
    }
    if (!refused.isEmpty()) {
        // A destination or a message stored for another desktop stays as it is.
        box->setEnabled(false);
        actions_->RadioButton3->setEnabled(false);
    }
}

void ActionEditor::FillTargetWindowList() {
    if (desktop_ == nullptr) {
        return;
    }
    // Titles are read into a buffer of 201 characters; equal titles stay, one per window.
    constexpr std::size_t kTitleLimit = 200;
    QStringList titles;
    for (WindowHandle window : desktop_->TopLevelWindows()) {
        const std::string title = desktop_->GetWindowText(window);
        if (!title.empty()) {
            titles << ToQt(title.substr(0, kTitleLimit));
        }
    }
    titles.sort(Qt::CaseInsensitive);
    QComboBox* box = special_->CBTargetWin;
    // Refilling is no change of the destination: the typed text stays.
    const QSignalBlocker quiet(box);
    const QString text = box->currentText();
    box->clear();
    box->addItems(titles);
    box->setCurrentIndex(-1);
    box->setEditText(text);
}

}  // namespace tavrel
