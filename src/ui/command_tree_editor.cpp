// The command tree editor: display of the table, selection in both
// directions, and the mouse and key events of the tree.
#include "ui/command_tree_editor.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMetaObject>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <unordered_set>
#include <vector>

#include "commands/command_table.h"
#include "ui/cp1252_input.h"
#include "ui/first_start_guide.h"
#include "ui/images.h"
#include "ui_command_tree_editor.h"

namespace tavrel {
namespace {

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

// Labels are edited in a box that refuses what Windows-1252 cannot hold,
// with the hint the action editor gives, instead of storing it as '?'.
class LabelDelegate final : public QStyledItemDelegate {
public:
    LabelDelegate(std::function<QString()> hint, QObject* parent)
        : QStyledItemDelegate(parent), hint_(std::move(hint)) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            RefuseNonCp1252(edit, hint_);
        }
        return editor;
    }

private:
    std::function<QString()> hint_;
};

}  // namespace

CommandTreeEditor::CommandTreeEditor(QWidget* parent)
    : QGroupBox(parent),
      ui_(std::make_unique<Ui::CommandTreeEditor>()),
      refusedHint_(RefusedCharacterHint({})) {
    ui_->setupUi(this);
    ui_->TreeView->setItemDelegate(new LabelDelegate([this] { return refusedHint_; }, this));
    const Ui::CommandTreeEditor& f = *ui_;
    popupMenu1_ = new QMenu(this);
    popupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
    popupMenu1_->addActions({f.Activado, f.Typematic, f.Learn});
    popupMenu1_->addSeparator();
    popupMenu1_->addActions({f.Addcommand, f.Addremote});
    popupMenu1_->addSeparator();
    popupMenu1_->addActions({f.Rename, f.Delete});

    QTreeWidget* tree = f.TreeView;
    tree->installEventFilter(this);
    tree->viewport()->installEventFilter(this);
    connect(tree, &QTreeWidget::currentItemChanged, this, &CommandTreeEditor::TreeViewChange);
    connect(tree, &QTreeWidget::itemChanged, this, &CommandTreeEditor::TreeViewEdited);
    connect(tree, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        popupMenu1_->popup(ui_->TreeView->viewport()->mapToGlobal(at));
    });
    connect(popupMenu1_, &QMenu::aboutToShow, this, &CommandTreeEditor::PopupMenu1Popup);
    connect(f.Activado, &QAction::triggered, this, &CommandTreeEditor::ActivadoClick);
    connect(f.Typematic, &QAction::triggered, this, &CommandTreeEditor::TypematicClick);
    connect(f.Learn, &QAction::triggered, this, &CommandTreeEditor::LearnClick);
    connect(f.Addcommand, &QAction::triggered, this, &CommandTreeEditor::AddcommandClick);
    connect(f.Addremote, &QAction::triggered, this, &CommandTreeEditor::AddremoteClick);
    connect(f.Rename, &QAction::triggered, this, &CommandTreeEditor::RenameClick);
    connect(f.Delete, &QAction::triggered, this, &CommandTreeEditor::DeleteClick);

    FirstStartGuide* guide = f.FirstStartGuide;
    connect(guide, &FirstStartGuide::insertRemoteRequested, this,
            &CommandTreeEditor::AddremoteClick);
    connect(guide, &FirstStartGuide::insertCommandRequested, this,
            &CommandTreeEditor::insertFirstCommand);
    connect(guide, &FirstStartGuide::learnRequested, this, &CommandTreeEditor::learnFirstCommand);
}

CommandTreeEditor::~CommandTreeEditor() = default;

QTreeWidget* CommandTreeEditor::TreeView() const {
    return ui_->TreeView;
}

FirstStartGuide& CommandTreeEditor::guide() const {
    return *ui_->FirstStartGuide;
}

QTreeWidgetItem* CommandTreeEditor::itemOf(const TComando* record) const {
    const auto found = items_.find(record);
    return found == items_.end() ? nullptr : found->second;
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

// A load replaces the records: a name being typed goes to its record first.
void CommandTreeEditor::suspendRefresh() {
    commitOpenEdit();
    ++suspended_;
}

void CommandTreeEditor::resumeRefresh() {
    if (--suspended_ > 0) {
        return;
    }
    if (outdated_) {
        // The records the map knew may be gone and their memory reused by
        // the load: forget them, so no new remote inherits an old fold.
        items_.clear();
        refreshTree();
    }
}

const QIcon& CommandTreeEditor::nodeIcon(int image, int selectedImage) {
    const auto valid = [](int index) { return index >= 0 && index < kNodeImageCount ? index : 0; };
    QIcon& icon =
        icons_[static_cast<std::size_t>(valid(image) * kNodeImageCount + valid(selectedImage))];
    if (icon.isNull()) {
        icon.addPixmap(NodeImage(image), QIcon::Normal);
        icon.addPixmap(NodeImage(selectedImage), QIcon::Selected);
    }
    return icon;
}

// Only what differs is set: every change makes the view measure the row
// again, which a reload of thousands of unchanged nodes would pay for each.
void CommandTreeEditor::showNode(QTreeWidgetItem* item, int pos) {
    const QString label = ToQt(table_->label(pos));
    if (item->text(0) != label) {
        item->setText(0, label);
        item->setToolTip(0, label);  // a label cut off by the tree's width is read in full
    }
    if (item->data(0, Qt::UserRole) != QVariant(pos)) {
        item->setData(0, Qt::UserRole, pos);
    }
    const QIcon& icon = nodeIcon(table_->image(pos), table_->selectedImage(pos));
    if (item->icon(0).cacheKey() != icon.cacheKey()) {
        item->setIcon(0, icon);
    }
    items_[&table_->record(pos)] = item;
}

// A change of label or image keeps the items, so the tree's current item and
// scroll position survive (and no item disappears under a selection signal);
// a change of shape rebuilds the tree.
void CommandTreeEditor::refreshTree() {
    if (suspended_ > 0) {
        outdated_ = true;
        return;
    }
    outdated_ = false;
    if (commitOpenEdit()) {
        return;  // the new name has refreshed the tree
    }
    // An empty table: the guide in the tree's place says how to fill it.
    const bool empty = table_ != nullptr && table_->empty();
    const bool guideFocused = ui_->FirstStartGuide->isAncestorOf(QApplication::focusWidget());
    ui_->FirstStartGuide->setVisible(empty);
    ui_->TreeView->setVisible(!empty);
    if (!empty && guideFocused) {
        ui_->TreeView->setFocus();  // the keyboard goes on where the guide's step led
    }
    syncing_ = true;
    if (table_ == nullptr || table_->empty()) {
        ui_->TreeView->clear();
        items_.clear();
    } else if (const auto items = ItemsOfSameShape(ui_->TreeView, *table_); !items.empty()) {
        items_.clear();
        for (int pos = 0; pos < table_->count(); ++pos) {
            showNode(items[static_cast<std::size_t>(pos)], pos);
        }
    } else {
        rebuildTree();
    }
    syncing_ = false;
    selectInTree();
}

// Remotes the user folded stay folded; every other remote is expanded.
void CommandTreeEditor::rebuildTree() {
    QTreeWidget* tree = ui_->TreeView;
    std::unordered_set<const TComando*> folded;
    for (const auto& [record, item] : items_) {
        if (item->parent() == nullptr && item->childCount() > 0 && !item->isExpanded()) {
            folded.insert(record);
        }
    }
    tree->clear();
    items_.clear();
    // Built apart and handed to the tree at once: the view takes them in one
    // step instead of one per node.
    QList<QTreeWidgetItem*> remotes;
    QTreeWidgetItem* remote = nullptr;
    for (int pos = 0; pos < table_->count(); ++pos) {
        QTreeWidgetItem* item = nullptr;
        if (table_->level(pos) == 0 || remote == nullptr) {
            item = remote = new QTreeWidgetItem();
            remotes.append(remote);
        } else {
            item = new QTreeWidgetItem(remote);
        }
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        showNode(item, pos);
    }
    tree->addTopLevelItems(remotes);
    tree->expandAll();
    for (const TComando* record : folded) {
        if (QTreeWidgetItem* item = itemOf(record)) {
            item->setExpanded(false);
        }
    }
}

void CommandTreeEditor::selectInTree() {
    if (table_ == nullptr) {
        return;
    }
    if (suspended_ > 0) {
        outdated_ = true;  // the refresh selects as well
        return;
    }
    // Moving the current item would commit the open editor while the tree
    // is being synchronised, where nothing reaches the table.
    commitOpenEdit();
    const TComando* selected = table_->selectedRecord();
    QTreeWidgetItem* match = selected == nullptr ? nullptr : itemOf(selected);
    const bool cleared = match == nullptr && ui_->TreeView->currentItem() != nullptr;
    syncing_ = true;
    ui_->TreeView->setCurrentItem(match);
    if (match == nullptr) {
        ui_->TreeView->clearSelection();
    }
    syncing_ = false;
    if (cleared) {
        emit selectionCleared();
    }
}

void CommandTreeEditor::TreeViewChange() {
    if (syncing_ || table_ == nullptr) {
        return;
    }
    const QTreeWidgetItem* item = ui_->TreeView->currentItem();
    table_->select(item != nullptr ? item->data(0, Qt::UserRole).toInt() : kNoNode);
    emit selectionChanged();
}

// Any text is taken as the name, an empty one included.
void CommandTreeEditor::TreeViewEdited(QTreeWidgetItem* item) {
    if (syncing_ || table_ == nullptr) {
        return;
    }
    // The editor is still open while its text is committed: the refresh that
    // the new name brings must not commit it a second time.
    const QScopedValueRollback committing(committing_, true);
    rename(item->data(0, Qt::UserRole).toInt(), FromQt(item->text(0)));
}

void CommandTreeEditor::rename(int pos, const std::string& name) {
    if (pos >= 0 && pos < table_->count() && table_->label(pos) != name) {
        table_->setLabel(pos, name);
    }
}

// The name typed so far is the name: the editor closes without writing into
// the item, the record takes the text and the tree follows the table.
bool CommandTreeEditor::commitOpenEdit() {
    QTreeWidget* tree = ui_->TreeView;
    const QModelIndex index = tree->currentIndex();
    auto* editor = qobject_cast<QLineEdit*>(tree->indexWidget(index));
    if (table_ == nullptr || editor == nullptr || committing_) {
        return false;
    }
    const std::string name = FromQt(editor->text());
    emit tree->itemDelegateForIndex(index)->closeEditor(editor, QAbstractItemDelegate::NoHint);
    const int pos = table_->positionOf(renamed_);
    if (pos == kNoNode || table_->label(pos) == name) {
        return false;
    }
    table_->setLabel(pos, name);
    return true;
}

// A click on another node announces it through TreeViewChange; one that
// changes nothing shows the selected node again.
void CommandTreeEditor::TreeViewMouseDown(const QPoint& at) {
    QTreeWidget* tree = ui_->TreeView;
    QTreeWidgetItem* item = tree->itemAt(at);
    if (item != nullptr && item != tree->currentItem()) {
        tree->setCurrentItem(item);
        return;
    }
    emit selectionChanged();
}

void CommandTreeEditor::TreeViewDblClick() {
    const int selected = selectedPosition();
    if (selected != kNoNode && table_->isCommand(selected)) {
        LearnClick();
    }
}

bool CommandTreeEditor::eventFilter(QObject* watched, QEvent* event) {
    QTreeWidget* tree = ui_->TreeView;
    if (watched == tree && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_F2) {
            RenameClick();
            return true;
        }
        if (key == Qt::Key_Delete) {
            DeleteClick();
            return true;
        }
    }
    if (watched != tree->viewport()) {
        return QGroupBox::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            TreeViewMouseDown(static_cast<QMouseEvent*>(event)->position().toPoint());
            break;
        case QEvent::MouseButtonDblClick:
            // After the click has been handled: learning opens a modal dialog.
            QMetaObject::invokeMethod(this, &CommandTreeEditor::TreeViewDblClick,
                                      Qt::QueuedConnection);
            break;
        case QEvent::DragEnter: {
            // Taken in whole; every move over the tree then runs the drop test.
            auto* enter = static_cast<QDragEnterEvent*>(event);
            enter->setAccepted(enter->source() == tree);
            return true;
        }
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            drag->setAccepted(drag->source() == tree &&
                              TreeViewDragOver(drag->position().toPoint()));
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            // Copy, not move: the table moves the node, and the view must not
            // remove the dragged rows once the drag returns.
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            if (drop->source() == tree) {
                TreeViewDragDrop(drop->position().toPoint());
            }
            return true;
        }
        default:
            break;
    }
    return QGroupBox::eventFilter(watched, event);
}

void CommandTreeEditor::ApplyTranslation(const TranslateFn& translate) {
    Recaption(translate, static_cast<QGroupBox*>(this), "assignedcommands");
    refusedHint_ = RefusedCharacterHint(translate);
    ui_->FirstStartGuide->ApplyTranslation(translate);
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
