// The action editor: its lists, the current command and its captions.
#include "action_editor.h"

#include "commands/command_table.h"
#include "platform/desktop.h"
#include "ui_action_editor.h"

namespace tavrel {

ActionEditor::ActionEditor(QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::ActionEditor>()) {
    ui_->setupUi(this);
    ui_->UDLoop->setBuddy(ui_->ELoop);
    ui_->UDDelay->setBuddy(ui_->EDelay);
}

ActionEditor::~ActionEditor() = default;

void ActionEditor::setKeyNames(const std::vector<std::string>& names) {
    ui_->ComboBox->clear();
    for (const std::string& name : names) {
        ui_->ComboBox->addItem(ToQt(name));
    }
    ui_->ComboBox->setCurrentIndex(-1);
}

void ActionEditor::setMessageNames(const std::vector<std::string>& names) {
    QStringList items;
    for (const std::string& name : names) {
        items << ToQt(name);
    }
    items.sort(Qt::CaseInsensitive);
    ui_->CBMessage->clear();
    ui_->CBMessage->addItems(items);
    ui_->CBMessage->setCurrentIndex(-1);
}

void ActionEditor::ShowActions() {
    if (table_ == nullptr) {
        return;
    }
    const int selected = table_->selected();
    if (selected == kNoNode || !table_->isCommand(selected)) {
        table_->setCurrent(nullptr);
        return;
    }
    table_->setCurrent(&table_->record(selected));
    table_->applyImageRule(selected);
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
    QComboBox* box = ui_->CBTargetWin;
    const QString text = box->currentText();  // emptying the list keeps the text
    box->clear();
    box->addItems(titles);
    box->setCurrentIndex(-1);
    box->setEditText(text);
}

void ActionEditor::ApplyTranslation(const TranslateFn& translate) {
    Ui::ActionEditor& f = *ui_;
    const auto tr = [&translate](auto* control, const char* key) {
        Recaption(translate, control, key);
    };
    tr(f.GBActions, "associatedactions");
    tr(f.RadioButton1, "tapkey");
    tr(f.RBMouse, "mousecontrol");
    tr(f.RGClick, "Click");
    tr(f.RGClick0, "MLeft");
    tr(f.RGClick1, "Middle");
    tr(f.RGClick2, "MRight");
    tr(f.RGCursor, "Cursor");
    tr(f.CBUp, "Up");
    tr(f.CBDown, "Down");
    tr(f.CBLeft, "FLeft");
    tr(f.CBRight, "FRight");
    tr(f.RadioButton2, "runprogram");
    tr(f.BotonExaminar, "browse");
    tr(f.LLoop, "loopofmultipleactions");
    // The hints take fixed defaults, not the hint shown.
    f.Banyade->setToolTip(Tr(translate, QStringLiteral("Add"), "add_hint"));
    f.BBorra->setToolTip(Tr(translate, QStringLiteral("Delete"), "delete_hint"));
    tr(f.CBoxAll, "runallatonce");
    tr(f.CBoxMultiKey, "keymultiplying");
    tr(f.GBSpecialSettings, "SpecialSettings");
    tr(f.LDelay, "Delay");
    tr(f.LTargetWin, "PreferredDestinationWindow");
}

}  // namespace tavrel
