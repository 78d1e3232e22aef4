// The action editor: its lists, the current command and its captions.
#include "action_editor.h"

#include "commands/command_table.h"
#include "platform/desktop.h"
#include "ui_actions_group.h"
#include "ui_special_settings_group.h"

namespace tavrel {

ActionEditor::ActionEditor(QWidget* parent)
    : QWidget(parent),
      actions_(std::make_unique<Ui::ActionsGroup>()),
      special_(std::make_unique<Ui::SpecialSettingsGroup>()),
      gbActions_(new QGroupBox(this)),
      gbSpecialSettings_(new QGroupBox(this)) {
    actions_->setupUi(gbActions_);
    special_->setupUi(gbSpecialSettings_);
    // The special settings sit 2 pixels below the actions.
    gbSpecialSettings_->move(0, gbActions_->height() + 2);
    resize(gbActions_->width(), gbSpecialSettings_->y() + gbSpecialSettings_->height());
    special_->UDLoop->setBuddy(special_->ELoop);
    special_->UDDelay->setBuddy(special_->EDelay);
}

ActionEditor::~ActionEditor() = default;

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
    QComboBox* box = special_->CBTargetWin;
    const QString text = box->currentText();  // emptying the list keeps the text
    box->clear();
    box->addItems(titles);
    box->setCurrentIndex(-1);
    box->setEditText(text);
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
}

}  // namespace tavrel
