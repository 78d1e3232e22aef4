// The action editor: its controls wired to their handlers, its lists and
// captions, and the one place that writes into the current command.
#include "ui/action_editor.h"

#include <QButtonGroup>
#include <QLineEdit>

#include "actions/action_string.h"
#include "commands/command_table.h"
#include "ui/cp1252_input.h"
#include "ui/variant_row.h"
#include "ui/window_list_box.h"
#include "ui_action_options_group.h"
#include "ui_actions_group.h"

namespace tavrel {

ActionEditor::ActionEditor(QWidget* parent)
    : QWidget(parent),
      variants_(new VariantRow(this)),
      actions_(std::make_unique<Ui::ActionsGroup>()),
      special_(std::make_unique<Ui::SpecialSettingsGroup>()),
      gbActions_(new QGroupBox(this)),
      gbSpecialSettings_(new QGroupBox(this)),
      kinds_(new QButtonGroup(this)),
      clicks_(new QButtonGroup(this)),
      refusedHint_(RefusedCharacterHint({})) {
    actions_->setupUi(gbActions_);
    special_->setupUi(gbSpecialSettings_);
    // The groups sit 2 pixels below the variant row, and below each other.
    gbActions_->move(0, variants_->height() + 2);
    gbSpecialSettings_->move(0, gbActions_->y() + gbActions_->height() + 2);
    resize(gbActions_->width(), gbSpecialSettings_->y() + gbSpecialSettings_->height());
    special_->UDLoop->setBuddy(special_->ELoop);
    special_->UDDelay->setBuddy(special_->EDelay);

    const Ui::ActionsGroup& a = *actions_;
    for (QAbstractButton* kind : {a.RadioButton1, a.RBMouse, a.RadioButton2, a.RadioButton3}) {
        kinds_->addButton(kind);
    }
    for (QAbstractButton* item : {a.RGClick0, a.RGClick1, a.RGClick2}) {
        clicks_->addButton(item, clicks_->buttons().size());
    }
    prepareInputs();
    connectHandlers();
}

ActionEditor::~ActionEditor() = default;

void ActionEditor::prepareInputs() {
    const Ui::ActionsGroup& a = *actions_;
    auto hint = [this] { return refusedHint_; };
    for (QComboBox* box :
         {a.ComboBox, a.CBMessage, static_cast<QComboBox*>(special_->CBTargetWin)}) {
        // Typed text is what is stored: no completion, no items added by Enter.
        box->setCompleter(nullptr);
        box->setInsertPolicy(QComboBox::NoInsert);
        RefuseNonCp1252(box->lineEdit(), hint);
    }
    for (QLineEdit* edit : {a.Programa, a.EwParam, a.ElParam}) {
        RefuseNonCp1252(edit, hint);
    }
    for (QWidget* hex : {static_cast<QWidget*>(a.CBMessage->lineEdit()),
                         static_cast<QWidget*>(a.EwParam), static_cast<QWidget*>(a.ElParam)}) {
        AcceptHexKeysOnly(hex);
    }
    // A typed key text that happens to equal an item's label stays typed
    // text: the box would otherwise pick that item when editing ends.
    QLineEdit* keyEdit = a.ComboBox->lineEdit();
    QObject::disconnect(keyEdit, &QLineEdit::editingFinished, a.ComboBox, nullptr);
    QObject::disconnect(keyEdit, &QLineEdit::returnPressed, a.ComboBox, nullptr);
}

void ActionEditor::connectHandlers() {
    const Ui::ActionsGroup& a = *actions_;
    const Ui::SpecialSettingsGroup& s = *special_;
    // Handlers bound to controls; ShowActions sets the controls quietly.
    const auto on = [this](void (ActionEditor::*handler)()) {
        return [this, handler] {
            if (!showing_) {
                (this->*handler)();
            }
        };
    };
    const auto onChecked = [this](void (ActionEditor::*handler)()) {
        return [this, handler](bool checked) {
            if (checked && !showing_) {
                (this->*handler)();
            }
        };
    };
    connect(a.RadioButton1, &QAbstractButton::toggled, this,
            onChecked(&ActionEditor::RadioButton1Click));
    for (QAbstractButton* box : {a.MasAlt, a.MasCtrl, a.MasShift}) {
        connect(box, &QAbstractButton::clicked, this, on(&ActionEditor::RadioButton1Click));
    }
    connect(a.ComboBox->lineEdit(), &QLineEdit::textEdited, this,
            on(&ActionEditor::ComboBoxKeyPress));
    connect(a.ComboBox, &QComboBox::activated, this, on(&ActionEditor::ComboBoxClick));
    connect(a.ComboBox, &QComboBox::editTextChanged, this, on(&ActionEditor::ComboBoxChange));

    connect(a.RBMouse, &QAbstractButton::toggled, this, onChecked(&ActionEditor::RBMouseClick));
    connect(clicks_, &QButtonGroup::buttonClicked, this, on(&ActionEditor::RBMouseClick));
    for (QAbstractButton* box : {a.CBUp, a.CBDown, a.CBLeft, a.CBRight}) {
        connect(box, &QAbstractButton::clicked, this, on(&ActionEditor::RBMouseClick));
    }

    connect(a.RadioButton2, &QAbstractButton::toggled, this,
            onChecked(&ActionEditor::RadioButton2Click));
    connect(a.Programa, &QLineEdit::textChanged, this, on(&ActionEditor::ProgramaChange));
    connect(a.BotonExaminar, &QAbstractButton::clicked, this,
            on(&ActionEditor::BotonExaminarClick));

    connect(a.RadioButton3, &QAbstractButton::toggled, this,
            onChecked(&ActionEditor::RadioButton3Click));
    connect(a.CBMessage, &QComboBox::activated, this, on(&ActionEditor::RadioButton3Click));
    connect(a.CBMessage, &QComboBox::editTextChanged, this, on(&ActionEditor::RadioButton3Click));
    connect(a.EwParam, &QLineEdit::textChanged, this, on(&ActionEditor::RadioButton3Click));
    connect(a.ElParam, &QLineEdit::textChanged, this, on(&ActionEditor::RadioButton3Click));

    connect(s.Banyade, &QAbstractButton::clicked, this, on(&ActionEditor::BanyadeClick));
    connect(s.BBorra, &QAbstractButton::clicked, this, on(&ActionEditor::BBorraClick));
    connect(s.UDLoop, &UpDown::clicked, this, on(&ActionEditor::UDLoopClick));
    connect(s.UDDelay, &UpDown::clicked, this, on(&ActionEditor::UDDelayClick));
    connect(s.CBoxAll, &QAbstractButton::clicked, this, on(&ActionEditor::CBoxAllClick));
    connect(s.CBoxMultiKey, &QAbstractButton::clicked, this, on(&ActionEditor::CBoxMultiKeyClick));
    connect(s.CBTargetWin, &QComboBox::editTextChanged, this, on(&ActionEditor::CBTargetWinChange));
    // A window opened since the last fill can be picked too.
    connect(s.CBTargetWin, &WindowListBox::aboutToOpen, this, &ActionEditor::FillTargetWindowList);
    connect(variants_, &VariantRow::chosenChanged, this, &ActionEditor::ShowActions);
}

void ActionEditor::setCommandTable(CommandTable* table) {
    table_ = table;
    variants_->setCommandTable(table);
}

void ActionEditor::setKeyNames(const std::vector<std::string>& names) {
    actions_->ComboBox->clear();
    for (const std::string& name : names) {
        actions_->ComboBox->addItem(ToQt(name));
    }
    actions_->ComboBox->setCurrentIndex(-1);
}

void ActionEditor::setMessageNames(const std::vector<std::string>& names) {
    QStringList items;
    for (const std::string& name : names) {
        items << ToQt(name);
    }
    items.sort(Qt::CaseInsensitive);
    actions_->CBMessage->clear();
    actions_->CBMessage->addItems(items);
    actions_->CBMessage->setCurrentIndex(-1);
}

ActionSettings* ActionEditor::current() const {
    TComando* command = table_ != nullptr ? table_->current() : nullptr;
    return command != nullptr ? &variants_->settingsOf(*command) : nullptr;
}

ActionSettings* ActionEditor::edited() const {
    ActionSettings* command = current();
    if (command != nullptr) {
        table_->markModified();
    }
    return command;
}

// Storing what is already there is no edit: showing a command stores its
// action again.
void ActionEditor::store(const std::string& action) {
    ActionSettings* command = current();
    if (command == nullptr || !command->Acciones ||
        ReadAction(*command->Acciones, command->LoopActual) == action) {
        return;
    }
    table_->markModified();
    WriteAction(*command->Acciones, command->LoopActual, action);
}

void ActionEditor::ApplyTranslation(const TranslateFn& translate) {
    Ui::ActionsGroup& a = *actions_;
    Ui::SpecialSettingsGroup& s = *special_;
    const auto tr = [&translate](auto* control, const char* key) {
        Recaption(translate, control, key);
    };
    tr(gbActions_, "associatedactions");
    tr(a.RadioButton1, "tapkey");
    tr(a.RBMouse, "mousecontrol");
    tr(a.RGClick, "Click");
    tr(a.RGClick0, "MLeft");
    tr(a.RGClick1, "Middle");
    tr(a.RGClick2, "MRight");
    tr(a.RGCursor, "Cursor");
    tr(a.CBUp, "Up");
    tr(a.CBDown, "Down");
    tr(a.CBLeft, "FLeft");
    tr(a.CBRight, "FRight");
    tr(a.RadioButton2, "runprogram");
    tr(a.BotonExaminar, "browse");
    tr(s.LLoop, "loopofmultipleactions");
    // The hints take fixed defaults, not the hint shown.
    s.Banyade->setToolTip(Tr(translate, QStringLiteral("Add"), "add_hint"));
    s.BBorra->setToolTip(Tr(translate, QStringLiteral("Delete"), "delete_hint"));
    tr(s.CBoxAll, "runallatonce");
    tr(s.CBoxMultiKey, "keymultiplying");
    tr(gbSpecialSettings_, "SpecialSettings");
    tr(s.LDelay, "Delay");
    tr(s.LTargetWin, "PreferredDestinationWindow");
    refusedHint_ = RefusedCharacterHint(translate);
    variants_->ApplyTranslation(translate);
}

}  // namespace tavrel
