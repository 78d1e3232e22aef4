// The command tree editor: display of the table and selection in both directions.
#include "command_tree_editor.h"

#include <QMenu>
#include <QTreeWidget>
#include <vector>

#include "commands/command_table.h"
#include "images.h"
#include "ui_command_tree_editor.h"

namespace tavrel {
namespace {

void ShowNode(QTreeWidgetItem* item, const CommandTable& table, int pos) {
    item->setText(0, ToQt(table.label(pos)));
    item->setData(0, Qt::UserRole, pos);
    QIcon icon(NodeImage(table.image(pos)));
    icon.addPixmap(NodeImage(table.selectedImage(pos)), QIcon::Selected);
    item->setIcon(0, icon);
}

// The tree's items in display order, when they have the table's shape.
std::vector<QTreeWidgetItem*> ItemsOfSameShape(QTreeWidget* tree, const CommandTable& table) {
    std::vector<QTreeWidgetItem*> items;
    int pos = 0;
    for (int r = 0; r < tree->topLevelItemCount(); ++r) {
        QTreeWidgetItem* remote = tree->topLevelItem(r);
        if (pos >= table.count() || table.level(pos) != 0) {
            return {};
        }
        items.push_back(remote);
        ++pos;
        for (int c = 0; c < remote->childCount(); ++c, ++pos) {
            if (pos >= table.count() || table.level(pos) == 0) {
                return {};
            }
            items.push_back(remote->child(c));
        }
    }
    if (pos != table.count()) {
        return {};
    }
    return items;
}

}  // namespace

CommandTreeEditor::CommandTreeEditor(QWidget* parent)
    : QGroupBox(parent), ui_(std::make_unique<Ui::CommandTreeEditor>()) {
    ui_->setupUi(this);
    popupMenu1_ = new QMenu(this);
    popupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
    popupMenu1_->addActions({ui_->Activado, ui_->Typematic, ui_->Learn});
    popupMenu1_->addSeparator();
    popupMenu1_->addActions({ui_->Addcommand, ui_->Addremote});
    popupMenu1_->addSeparator();
    popupMenu1_->addActions({ui_->Rename, ui_->Delete});

    connect(ui_->TreeView, &QTreeWidget::currentItemChanged, this,
            &CommandTreeEditor::TreeViewChange);
    connect(ui_->TreeView, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        popupMenu1_->popup(ui_->TreeView->viewport()->mapToGlobal(at));
    });
    connect(ui_->Learn, &QAction::triggered, this, &CommandTreeEditor::learnRequested);
}

CommandTreeEditor::~CommandTreeEditor() = default;

QTreeWidget* CommandTreeEditor::TreeView() const {
    return ui_->TreeView;
}

void CommandTreeEditor::setCommandTable(CommandTable* table) {
    table_ = table;
    tableHeard_ = {};
    selectionHeard_ = {};
    if (table_ != nullptr) {
        tableHeard_ = table_->changed.subscribe([this] { refreshTree(); });
        selectionHeard_ = table_->selectionChanged.subscribe([this] { selectInTree(); });
    }
    refreshTree();
}

void CommandTreeEditor::resumeRefresh() {
    suspended_ = false;
    if (outdated_) {
        refreshTree();
    }
}

// A change of label or image keeps the items, so the tree's current item and
// scroll position survive (and no item disappears under a selection signal);
// a change of shape rebuilds the tree.
void CommandTreeEditor::refreshTree() {
    if (suspended_) {
        outdated_ = true;
        return;
    }
    outdated_ = false;
    QTreeWidget* tree = ui_->TreeView;
    syncing_ = true;
    if (table_ == nullptr) {
        tree->clear();
    } else if (const auto items = ItemsOfSameShape(tree, *table_);
               !items.empty() || table_->empty()) {
        for (int pos = 0; pos < table_->count(); ++pos) {
            ShowNode(items[static_cast<std::size_t>(pos)], *table_, pos);
        }
        if (table_->empty()) {
            tree->clear();
        }
    } else {
        tree->clear();
        QTreeWidgetItem* remote = nullptr;
        for (int pos = 0; pos < table_->count(); ++pos) {
            QTreeWidgetItem* item = nullptr;
            if (table_->level(pos) == 0 || remote == nullptr) {
                item = new QTreeWidgetItem(tree);
                remote = item;
            } else {
                item = new QTreeWidgetItem(remote);
            }
            ShowNode(item, *table_, pos);
        }
        tree->expandAll();
    }
    syncing_ = false;
    selectInTree();
}

void CommandTreeEditor::selectInTree() {
    if (table_ == nullptr) {
        return;
    }
    if (suspended_) {
        outdated_ = true;  // the refresh selects as well
        return;
    }
    const int selected = table_->selected();
    syncing_ = true;
    QTreeWidgetItem* match = nullptr;
    for (QTreeWidgetItemIterator it(ui_->TreeView); *it != nullptr; ++it) {
        if ((*it)->data(0, Qt::UserRole).toInt() == selected) {
            match = *it;
            break;
        }
    }
    ui_->TreeView->setCurrentItem(match);
    syncing_ = false;
}

void CommandTreeEditor::TreeViewChange() {
    if (syncing_ || table_ == nullptr) {
        return;
    }
    const QTreeWidgetItem* item = ui_->TreeView->currentItem();
    table_->select(item != nullptr ? item->data(0, Qt::UserRole).toInt() : kNoNode);
    emit selectionChanged();
}

void CommandTreeEditor::ApplyTranslation(const TranslateFn& translate) {
    Recaption(translate, static_cast<QGroupBox*>(this), "assignedcommands");
}

void CommandTreeEditor::ApplyMenuTranslation(const TranslateFn& translate) {
    const Ui::CommandTreeEditor& f = *ui_;
    const std::pair<QAction*, const char*> items[] = {
        {f.Activado, "Enabled"},       {f.Typematic, "Typematic"},
        {f.Learn, "LearnNow"},         {f.Addcommand, "InsertCommand"},
        {f.Addremote, "InsertRemote"}, {f.Rename, "Rename"},
        {f.Delete, "Delete"}};
    for (const auto& [item, key] : items) {
        Recaption(translate, item, key);
    }
}

}  // namespace tavrel
