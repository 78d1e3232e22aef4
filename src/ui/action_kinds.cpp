// The action editor's four kind encoders: each stores the shown action, as
// the controls of its kind say, into the current command at LoopActual.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSortFilterProxyModel>
#include <algorithm>

#include "actions/action_string.h"
#include "commands/comando.h"
#include "ui/action_editor.h"
#include "ui/cp1252_input.h"
#include "ui_action_options_group.h"
#include "ui_actions_group.h"

namespace tavrel {
namespace {

// Program paths are split into words like a shell would: a path with
// blanks or quotes is quoted so that it stays one word.
QString QuotedForCommandLine(const QString& path) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./+,:@%=~-]*$"));
    if (plain.match(path).hasMatch()) {
        return path;
    }
    QString quoted = path;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

// "&Browse..." -> "Browse": the dialog is titled after the button that opens it.
QString DialogTitle(QString caption) {
    caption.remove(u'&');
    while (caption.endsWith(u'.') || caption.endsWith(QChar(0x2026))) {
        caption.chop(1);
    }
    return caption;
}

// Folders, so that every folder can be opened, and the files that may be run.
class ProgramsOnly final : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setOn(bool on) {
        on_ = on;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        const auto* files = static_cast<const QFileSystemModel*>(sourceModel());
        const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
        return !on_ || info.isDir() || info.isExecutable();
    }

private:
    bool on_ = true;
};

}  // namespace

// --- tap key

bool ActionEditor::keyBold() const {
    return actions_->ComboBox->font().bold();
}

void ActionEditor::setKeyBold(bool bold) {
    QFont font = actions_->ComboBox->font();
    font.setBold(bold);
    actions_->ComboBox->setFont(font);
}

void ActionEditor::RadioButton1Click() {
    const Ui::ActionsGroup& a = *actions_;
    const Ui::SpecialSettingsGroup& s = *special_;
    ActionSettings* command = current();
    if (!a.RadioButton1->isChecked() || command == nullptr) {
        return;
    }
    enableKindControls(Kind::TapKey);
    // Bold with no item picked (left from an earlier named key) names no
    // key: the box's text is then taken as typed, never an index of -1.
    if (keyBold() && a.ComboBox->currentIndex() < 0) {
        setKeyBold(false);
    }
    const bool named = keyBold();
    const QString shown = a.ComboBox->currentText();
    const bool digits = !shown.isEmpty() && std::all_of(shown.begin(), shown.end(), [](QChar c) {
        return c >= u'0' && c <= u'9';
    });
    if (command->Loop < 2) {
        s.CBoxMultiKey->setEnabled(digits);
    } else {
        setRunSettingsEnabled(true);
    }
    const std::string keyText = named ? std::to_string(a.ComboBox->currentIndex()) : FromQt(shown);
    store(MakeTapKeyAction(a.MasAlt->isChecked(), a.MasCtrl->isChecked(), a.MasShift->isChecked(),
                           !named, keyText));
}

// Typed (or pasted) into the key box: literal text.
void ActionEditor::ComboBoxKeyPress() {
    setKeyBold(false);
    ComboBoxChange();
}

// Picked from the list: a named key.
void ActionEditor::ComboBoxClick() {
    setKeyBold(true);
    ComboBoxChange();
}

void ActionEditor::ComboBoxChange() {
    if (actions_->RadioButton1->isChecked()) {
        RadioButton1Click();
    }
}

// --- mouse

void ActionEditor::RBMouseClick() {
    const Ui::ActionsGroup& a = *actions_;
    if (!a.RBMouse->isChecked() || current() == nullptr) {
        return;
    }
    enableKindControls(Kind::Mouse);
    // A click and a movement never go together.
    if (a.CBUp->isChecked() || a.CBDown->isChecked() || a.CBLeft->isChecked() ||
        a.CBRight->isChecked()) {
        setClick(-1);
    }
    // Up and Down, Left and Right exclude each other by their enabled state.
    const auto exclude = [](QAbstractButton* first, QAbstractButton* second) {
        second->setEnabled(!first->isChecked());
        first->setEnabled(first->isChecked() || !second->isChecked());
    };
    exclude(a.CBUp, a.CBDown);
    exclude(a.CBLeft, a.CBRight);
    const int item = click();
    const char letter = item == 0 ? 'L' : item == 1 ? 'M' : item == 2 ? 'R' : 'N';
    const char vertical = a.CBUp->isChecked() ? 'U' : a.CBDown->isChecked() ? 'D' : 'N';
    const char horizontal = a.CBLeft->isChecked() ? 'L' : a.CBRight->isChecked() ? 'R' : 'N';
    store(MakeMouseAction(letter, vertical, horizontal));
}

// --- run program

void ActionEditor::RadioButton2Click() {
    if (!actions_->RadioButton2->isChecked() || current() == nullptr) {
        return;
    }
    enableKindControls(Kind::RunProgram);
    ProgramaChange();
}

void ActionEditor::ProgramaChange() {
    if (actions_->RadioButton2->isChecked()) {
        store(MakeRunProgramAction(FromQt(actions_->Programa->text())));
    }
}

void ActionEditor::BotonExaminarClick() {
    const Ui::ActionsGroup& a = *actions_;
    if (current() == nullptr) {
        return;
    }
    QFileDialog dialog(this, DialogTitle(a.BotonExaminar->text()));
    // The widget dialog, so that the programs filter can ask for executables.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    const QString programs = QStringLiteral("Programs (*)");
    dialog.setNameFilters({programs, QStringLiteral("All files (*)")});
    // The dialog's own permission filter hides every readable file, folders
    // included: the listing is narrowed here instead.
    auto* listing = new ProgramsOnly(&dialog);
    dialog.setProxyModel(listing);
    connect(&dialog, &QFileDialog::filterSelected, listing,
            [listing, &programs](const QString& filter) { listing->setOn(filter == programs); });
    const QFileInfo shown(a.Programa->text());
    dialog.setDirectory(shown.isAbsolute() && shown.dir().exists() ? shown.absolutePath()
                                                                   : QDir::homePath());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    const QString path = dialog.selectedFiles().constFirst();
    if (!HoldsInCp1252(path)) {
        ShowInputHint(a.Programa, refusedHint_);
        return;
    }
    // Storing follows through ProgramaChange; arguments may be typed after it.
    a.Programa->setText(QuotedForCommandLine(path));
}

// --- post message

void ActionEditor::RadioButton3Click() {
    const Ui::ActionsGroup& a = *actions_;
    if (!a.RadioButton3->isChecked() || current() == nullptr) {
        return;
    }
    enableKindControls(Kind::PostMessage);
    store(MakePostMessageAction(FromQt(a.CBMessage->currentText()), FromQt(a.EwParam->text()),
                                FromQt(a.ElParam->text())));
}

}  // namespace tavrel
