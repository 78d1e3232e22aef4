// The command tree editor's edits: the context menu and drag and drop.
#include <QMenu>
#include <QTreeWidget>

#include "commands/command_table.h"
#include "ui/command_tree_editor.h"
#include "ui_command_tree_editor.h"

namespace tavrel {
namespace {

// Default labels; these two are never translated.
constexpr char kNewCommand[] = "New command";
constexpr char kNewRemote[] = "New remote";

}  // namespace

int CommandTreeEditor::selectedPosition() const {
    return table_ == nullptr ? kNoNode : table_->selected();
}

void CommandTreeEditor::PopupMenu1Popup() {
    const Ui::CommandTreeEditor& f = *ui_;
    commitOpenEdit();  // every item of the menu changes the table
    if (table_ == nullptr || table_->empty()) {
        for (QAction* item : {f.Activado, f.Typematic, f.Learn, f.Delete, f.Addcommand}) {
            item->setEnabled(false);
        }
        return;
    }
    f.Delete->setEnabled(true);
    f.Addcommand->setEnabled(true);
    if (selectedPosition() == kNoNode) {
        table_->select(0);
        emit selectionChanged();
    }
    const int selected = selectedPosition();
    const bool command = table_->isCommand(selected);
    for (QAction* item : {f.Activado, f.Typematic, f.Learn}) {
        item->setEnabled(command);
    }
    if (command) {
        // The checks of a remote stay as they were.
        f.Activado->setChecked(table_->record(selected).Activado);
        f.Typematic->setChecked(table_->record(selected).Typematic);
    }
}

// Both toggles come from the checkable items' triggered signal, so the check
// has already flipped: the flag takes the opposite of the check as it was.
void CommandTreeEditor::ActivadoClick() {
    const int selected = selectedPosition();
    if (selected == kNoNode || !table_->isCommand(selected)) {
        return;
    }
    const bool enabled = ui_->Activado->isChecked();
    table_->record(selected).Activado = enabled;
    table_->markModified();
    // Whether or not there is a code: the image rule puts the question mark
    // back when the command is next shown in the action editor.
    table_->setImages(selected, enabled ? node_image::kEnabled : node_image::kDisabled,
                      node_image::kSelectedCommand);
}

void CommandTreeEditor::TypematicClick() {
    const int selected = selectedPosition();
    if (selected != kNoNode && table_->isCommand(selected)) {
        table_->record(selected).Typematic = ui_->Typematic->isChecked();
        table_->markModified();
    }
}

void CommandTreeEditor::LearnClick() {
    const int selected = selectedPosition();
    if (selected != kNoNode && table_->isCommand(selected)) {
        emit learnRequested();
    }
}

// A new command is not selected, but for the first one of the table: it is
// selected so that "Learn now..." works at once.
void CommandTreeEditor::AddcommandClick() {
    const int selected = selectedPosition();
    if (selected == kNoNode) {
        return;
    }
    const bool first = table_->findCommand([](const TComando&) { return true; }) == kNoNode;
    const int numero = table_->count() + 1;
    const int pos = table_->isCommand(selected)
                        ? table_->insertCommand(selected, kNewCommand, numero)
                        : table_->appendCommand(selected, kNewCommand, numero);
    const QTreeWidgetItem* item = itemOf(&table_->record(pos));
    if (item != nullptr && item->parent() != nullptr && !item->parent()->isExpanded()) {
        ui_->TreeView->expandAll();
    }
    if (first) {
        table_->select(pos);
        emit selectionChanged();
    }
}

void CommandTreeEditor::insertFirstCommand() {
    if (table_ == nullptr) {
        return;
    }
    if (table_->empty()) {
        AddremoteClick();
    }
    table_->select(table_->parentRemote(table_->count() - 1));
    AddcommandClick();
}

void CommandTreeEditor::learnFirstCommand() {
    if (table_ != nullptr && table_->findCommand([](const TComando&) { return true; }) == kNoNode) {
        insertFirstCommand();
    }
    LearnClick();
}

void CommandTreeEditor::AddremoteClick() {
    if (table_ != nullptr) {
        table_->appendRemote(kNewRemote, -1);
    }
}

void CommandTreeEditor::RenameClick() {
    const int selected = selectedPosition();
    if (selected == kNoNode) {
        return;
    }
    if (QTreeWidgetItem* item = itemOf(&table_->record(selected))) {
        renamed_ = &table_->record(selected);
        ui_->TreeView->editItem(item, 0);
    }
}

void CommandTreeEditor::DeleteClick() {
    const int selected = selectedPosition();
    if (selected == kNoNode) {
        return;
    }
    const int level = table_->level(selected);
    table_->remove(selected);
    // Disabled first: the selection that follows shows its command, enabled.
    emit nodeDeleted();
    selectAfterDelete(selected, level);
}

// As a tree does by itself when its selected node goes: the next node of the
// same level, else the one before (for a command, its remote at the latest).
// Selecting it shows it, which also moves the current command off the
// released record.
void CommandTreeEditor::selectAfterDelete(int pos, int level) {
    int next = kNoNode;
    if (!table_->empty()) {
        const bool nextFits = pos < table_->count() && table_->level(pos) == level;
        if (nextFits) {
            next = pos;
        } else if (level == 1) {
            next = pos - 1;
        } else {
            next = table_->parentRemote(table_->count() - 1);
        }
    }
    table_->select(next);
    emit selectionChanged();
}

// The node under at, on its label, icon or indentation; kNoNode when at is on
// no node or to the right of its label.
int CommandTreeEditor::dropTarget(const QPoint& at) const {
    QTreeWidget* tree = ui_->TreeView;
    const QModelIndex index = tree->indexAt(at);
    const QTreeWidgetItem* item = tree->itemAt(at);
    if (table_ == nullptr || item == nullptr || !index.isValid()) {
        return kNoNode;
    }
    const QRect cell = tree->visualRect(index);
    if (at.x() >= cell.left() + tree->sizeHintForIndex(index).width()) {
        return kNoNode;
    }
    return item->data(0, Qt::UserRole).toInt();
}

bool CommandTreeEditor::TreeViewDragOver(const QPoint& at) const {
    const QTreeWidgetItem* item = ui_->TreeView->itemAt(at);
    if (item == nullptr || table_ == nullptr) {
        return false;
    }
    const int dragged = selectedPosition();
    return dragged == kNoNode || !table_->isCommand(item->data(0, Qt::UserRole).toInt()) ||
           table_->isCommand(dragged);
}

// A command dropped on a command goes just before it, under its remote, on the
// indentation as on the label or icon: the row the user aims at is the
// target. The table refuses a remote on a command.
void CommandTreeEditor::TreeViewDragDrop(const QPoint& at) {
    const int dragged = selectedPosition();
    if (dragged == kNoNode) {
        return;
    }
    const int target = dropTarget(at);
    if (target != kNoNode) {
        table_->move(dragged, target);
    }
}

}  // namespace tavrel
