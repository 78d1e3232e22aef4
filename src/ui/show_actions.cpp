// ShowActions: the current command's shown action set into the controls,
// and which controls are enabled for it.
#include <QButtonGroup>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <algorithm>

#include "actions/action_string.h"
#include "commands/command_table.h"
#include "ui/action_editor.h"
#include "ui/variant_row.h"
#include "ui_action_options_group.h"
#include "ui_actions_group.h"

namespace tavrel {
namespace {

void SetEnabled(std::initializer_list<QWidget*> controls, bool enabled) {
    for (QWidget* control : controls) {
        control->setEnabled(enabled);
    }
}

// Unchecks every button of an exclusive group, which the group alone refuses.
void UncheckAll(QButtonGroup* group) {
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons()) {
        button->setChecked(false);
    }
    group->setExclusive(true);
}

void ClearBox(QComboBox* box) {
    box->setCurrentIndex(-1);
    box->setEditText(QString());
}

}  // namespace

void ActionEditor::ShowActions() {
    const int selected = table_ != nullptr ? table_->selected() : kNoNode;
    if (selected == kNoNode || !table_->isCommand(selected)) {
        if (table_ != nullptr) {
            table_->setCurrent(nullptr);
        }
        showNoCommand();
        return;
    }
    TComando& record = table_->record(selected);
    table_->setCurrent(&record);
    ActionSettings& command = variants_->show(record);
    if (!command.Acciones) {
        command.Acciones.emplace();
    }
    // Only a hand-edited file gets here. A command always has one action to
    // edit, and the runner starts a position outside the list again from the
    // first action, so that is the one shown as the next.
    command.Loop = std::max(command.Loop, 1);
    if (command.LoopActual < 0 || command.LoopActual >= command.Loop) {
        command.LoopActual = 0;
    }
    Kind shown = Kind::None;
    {
        const QScopedValueRollback<bool> quiet(showing_, true);
        const Ui::SpecialSettingsGroup& s = *special_;
        for (QAbstractButton* kind : kinds_->buttons()) {
            kind->setEnabled(true);
        }
        SetEnabled({s.CBTargetWin, s.Banyade}, true);
        table_->applyImageRule(selected);

        const int maximum = command.Loop - 1;
        s.UDLoop->setMaximum(maximum);
        s.UDLoop->setPosition(command.LoopActual);
        s.BBorra->setEnabled(maximum > 0 && s.UDLoop->position() == maximum);
        s.ELoop->setText(QString::number(command.LoopActual));
        s.UDDelay->setPosition(command.Retraso);
        s.EDelay->setText(QString::number(command.Retraso));
        s.CBoxAll->setChecked(command.DeVez);
        s.CBoxMultiKey->setChecked(command.MultiKey);
        s.CBTargetWin->setEditText(ToQt(command.TargetWindow));

        const std::string action = ReadAction(*command.Acciones, command.LoopActual);
        // Whatever the action shown before set and this one does not set
        // starts empty, so it cannot slip into this one when a kind is chosen.
        clearKindControls();
        setLoopControlsEnabled(maximum > 0);
        if (!action.empty()) {
            shown = showAction(action);
        }
    }
    applyDesktopLimits();
    // The shown action is stored again as the controls encode it.
    switch (shown) {
        case Kind::TapKey:
            RadioButton1Click();
            break;
        case Kind::Mouse:
            RBMouseClick();
            break;
        case Kind::RunProgram:
            RadioButton2Click();
            break;
        case Kind::PostMessage:
            RadioButton3Click();
            break;
        case Kind::None:
            break;
    }
}

void ActionEditor::showNothingSelected() {
    showNoCommand();
}

void ActionEditor::showNoCommand() {
    DisableActions();
    const QScopedValueRollback<bool> quiet(showing_, true);
    const Ui::SpecialSettingsGroup& s = *special_;
    SetEnabled({s.BBorra, s.CBTargetWin}, false);
    setLoopControlsEnabled(false);
}

void ActionEditor::DisableActions() {
    variants_->showNone();
    const QScopedValueRollback<bool> quiet(showing_, true);
    UncheckAll(kinds_);
    for (QAbstractButton* kind : kinds_->buttons()) {
        kind->setEnabled(false);
    }
    enableKindControls(Kind::None);
    special_->Banyade->setEnabled(false);
}

// An empty action: no kind, every box empty, nothing to edit but the kind;
// every action is shown from here.
void ActionEditor::clearKindControls() {
    const Ui::ActionsGroup& a = *actions_;
    UncheckAll(kinds_);
    ClearBox(a.ComboBox);
    setKeyBold(false);
    for (QAbstractButton* box :
         {a.MasAlt, a.MasCtrl, a.MasShift, a.CBUp, a.CBDown, a.CBLeft, a.CBRight}) {
        box->setChecked(false);
    }
    setClick(-1);
    a.Programa->clear();
    a.EwParam->clear();
    a.ElParam->clear();
    ClearBox(a.CBMessage);
    enableKindControls(Kind::None);
}

void ActionEditor::setLoopControlsEnabled(bool enabled) {
    SetEnabled({special_->UDLoop, special_->ELoop}, enabled);
    setRunSettingsEnabled(enabled);
}

void ActionEditor::setRunSettingsEnabled(bool enabled) {
    const Ui::SpecialSettingsGroup& s = *special_;
    SetEnabled({s.CBoxAll, s.UDDelay, s.EDelay, s.LDelay, s.CBoxMultiKey}, enabled);
}

// Sets the controls from a non-empty action; returns the kind whose encoder
// is to store it again.
ActionEditor::Kind ActionEditor::showAction(const std::string& action) {
    const Ui::ActionsGroup& a = *actions_;
    const Ui::SpecialSettingsGroup& s = *special_;
    switch (ClassifyAction(action)) {
        case ActionKind::PostMessage: {
            const PostMessageFields fields = ReadPostMessage(action);
            const QString message = ToQt(fields.message);
            a.CBMessage->setCurrentIndex(a.CBMessage->findText(message));
            a.CBMessage->setEditText(message);
            a.EwParam->setText(ToQt(fields.wParam));
            a.ElParam->setText(ToQt(fields.lParam));
            ClearBox(a.ComboBox);
            a.Programa->clear();
            setKindChecked(Kind::PostMessage);
            return Kind::PostMessage;
        }
        case ActionKind::Mouse:
            showMouse(action);
            return Kind::Mouse;
        case ActionKind::RunProgram:
            a.Programa->setText(ToQt(ReadRunProgram(action)));
            ClearBox(a.ComboBox);
            ClearBox(a.CBMessage);
            setKindChecked(Kind::RunProgram);
            return Kind::RunProgram;
        case ActionKind::TapKey:
            showTapKey(action);
            return Kind::TapKey;
        case ActionKind::None:
            break;
    }
    // A hand-edited string of no kind: kept as it is, and the command's
    // settings wait until an action is chosen or another one is shown.
    UncheckAll(kinds_);
    ClearBox(a.ComboBox);
    enableKindControls(Kind::None);
    SetEnabled({s.BBorra, s.CBTargetWin}, false);
    setLoopControlsEnabled(false);
    return Kind::None;
}

void ActionEditor::showMouse(const std::string& action) {
    const Ui::ActionsGroup& a = *actions_;
    const MouseFields fields = ReadMouse(action).value_or(MouseFields{});
    const int item = fields.click == 'L'   ? 0
                     : fields.click == 'M' ? 1
                     : fields.click == 'R' ? 2
                                           : -1;
    // A click never moves the pointer: directions beside a click letter are
    // not acted on, and showing them would turn the click into a move.
    const bool moves = item < 0;
    a.CBDown->setChecked(moves && fields.vertical == 'D');
    a.CBUp->setChecked(moves && fields.vertical == 'U');
    a.CBLeft->setChecked(moves && fields.horizontal == 'L');
    a.CBRight->setChecked(moves && fields.horizontal == 'R');
    setClick(item);
    ClearBox(a.ComboBox);
    a.Programa->clear();
    ClearBox(a.CBMessage);
    setKindChecked(Kind::Mouse);
}

void ActionEditor::showTapKey(const std::string& action) {
    const Ui::ActionsGroup& a = *actions_;
    const TapKeyFields fields = ReadTapKey(action);
    setKeyBold(!fields.literal);
    if (fields.keyText.empty()) {
        ClearBox(a.ComboBox);
    } else if (fields.literal) {
        a.ComboBox->setCurrentIndex(-1);
        a.ComboBox->setEditText(ToQt(fields.keyText));
    } else {
        bool number = false;
        const int index = QString::fromStdString(fields.keyText).toInt(&number);
        // An index that names no item shows none, and no named key is stored.
        a.ComboBox->setCurrentIndex(number && index >= 0 && index < a.ComboBox->count() ? index
                                                                                        : -1);
    }
    a.MasAlt->setChecked(fields.alt);
    a.MasCtrl->setChecked(fields.ctrl);
    a.MasShift->setChecked(fields.shift);
    a.Programa->clear();
    ClearBox(a.CBMessage);
    setKindChecked(Kind::TapKey);
}

void ActionEditor::setKindChecked(Kind kind) {
    const Ui::ActionsGroup& a = *actions_;
    switch (kind) {
        case Kind::TapKey:
            a.RadioButton1->setChecked(true);
            break;
        case Kind::Mouse:
            a.RBMouse->setChecked(true);
            break;
        case Kind::RunProgram:
            a.RadioButton2->setChecked(true);
            break;
        case Kind::PostMessage:
            a.RadioButton3->setChecked(true);
            break;
        case Kind::None:
            UncheckAll(kinds_);
            break;
    }
}

void ActionEditor::enableKindControls(Kind kind) {
    const Ui::ActionsGroup& a = *actions_;
    SetEnabled({a.ComboBox, a.MasAlt, a.MasCtrl, a.MasShift}, kind == Kind::TapKey);
    // The mouse encoder enables its direction boxes by their exclusion rule.
    SetEnabled({a.RGClick}, kind == Kind::Mouse);
    if (kind != Kind::Mouse) {
        SetEnabled({a.CBUp, a.CBDown, a.CBLeft, a.CBRight}, false);
    }
    SetEnabled({a.Programa, a.BotonExaminar}, kind == Kind::RunProgram);
    SetEnabled({a.CBMessage, a.EwParam, a.ElParam, a.LwParam, a.LlParam},
               kind == Kind::PostMessage);
}

void ActionEditor::setClick(int item) {
    if (item < 0) {
        UncheckAll(clicks_);
    } else {
        clicks_->button(item)->setChecked(true);
    }
}

int ActionEditor::click() const {
    return clicks_->checkedId();
}

}  // namespace tavrel
