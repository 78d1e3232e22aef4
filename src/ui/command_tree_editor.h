// The command tree editor: the group GBCommands with the tree TreeView that
// shows the command table, and the tree's context menu PopupMenu1 with which
// the user builds the table: insert, rename, delete, move by drag and drop,
// switch a command's Enabled and Typematic flags, and ask to learn its code.
// The tree follows the table; the table's selection follows the tree.
#pragma once

#include <QGroupBox>
#include <QIcon>
#include <array>
#include <memory>
#include <unordered_map>

#include "commands/notifier.h"
#include "ui/text_edge.h"

class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
namespace Ui {
class CommandTreeEditor;
}

namespace tavrel {

class CommandTable;
class FirstStartGuide;
struct TComando;

class CommandTreeEditor : public QGroupBox {
    Q_OBJECT
public:
    explicit CommandTreeEditor(QWidget* parent = nullptr);
    ~CommandTreeEditor() override;

    // The tree shows this table and follows its changes; nullptr shows nothing.
    void setCommandTable(CommandTable* table);
    void refreshTree();
    // Holds back refreshes while the table is rebuilt in one go (a load), so
    // the tree is built once instead of once per node. Holds nest: the tree
    // follows when the outermost one ends.
    void suspendRefresh();
    void resumeRefresh();

    // The group's caption, then (called later, in the window's order) the menu's.
    void ApplyTranslation(const TranslateFn& translate);
    void ApplyMenuTranslation(const TranslateFn& translate);

    QTreeWidget* TreeView() const;
    // Stands in the tree's place while the table is empty.
    FirstStartGuide& guide() const;
    QMenu* PopupMenu1() const { return popupMenu1_; }
    // The item that shows a record; nullptr when the tree does not show it.
    QTreeWidgetItem* itemOf(const TComando* record) const;

    // Handlers, named after their controls and events. Points are in the
    // coordinates of the tree's viewport.
    void TreeViewMouseDown(const QPoint& at);
    void TreeViewDblClick();
    void PopupMenu1Popup();
    void ActivadoClick();
    void TypematicClick();
    void LearnClick();
    void AddcommandClick();
    void AddremoteClick();
    void RenameClick();
    void DeleteClick();
    bool TreeViewDragOver(const QPoint& at) const;
    void TreeViewDragDrop(const QPoint& at);

signals:
    // The selection may have changed: ShowActions. The table's selection is already set.
    void selectionChanged();
    // "Learn now..." (or a double click) for the selected command.
    void learnRequested();
    // A node was deleted: the action editor disables and clears its controls.
    void nodeDeleted();
    // The program cleared the selection (a press no command answers to): the
    // action editor edits nothing until a node is selected again.
    void selectionCleared();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void selectInTree();
    void TreeViewChange();
    void TreeViewEdited(QTreeWidgetItem* item);
    void showNode(QTreeWidgetItem* item, int pos);
    void rebuildTree();
    const QIcon& nodeIcon(int image, int selectedImage);
    int selectedPosition() const;
    int dropTarget(const QPoint& at) const;
    void selectAfterDelete(int pos, int level);
    // Commits a label being edited, before the program changes the tree; true
    // when that changed the table (which has refreshed the tree).
    bool commitOpenEdit();
    void rename(int pos, const std::string& name);
    // The guide's steps build on each other: a command needs a remote, and
    // learning needs a command.
    void insertFirstCommand();
    void learnFirstCommand();

    std::unique_ptr<Ui::CommandTreeEditor> ui_;
    QMenu* popupMenu1_ = nullptr;
    CommandTable* table_ = nullptr;
    Notifier<>::Subscription tableHeard_;
    Notifier<>::Subscription selectionHeard_;
    // Which item shows which record, so that selecting a node (every
    // recognition does) costs no walk over the tree.
    std::unordered_map<const TComando*, QTreeWidgetItem*> items_;
    // Every pair of node images is drawn once and shared by all items.
    std::array<QIcon, 25> icons_;
    // The record whose label F2 or Rename opened for editing.
    const TComando* renamed_ = nullptr;
    bool committing_ = false;
    // Shown when a name gets a character Windows-1252 cannot hold.
    QString refusedHint_;
    bool syncing_ = false;
    int suspended_ = 0;
    bool outdated_ = false;
};

// The tree follows the table once, after a whole load, not after every node.
class TreeRefreshHeld {
public:
    explicit TreeRefreshHeld(CommandTreeEditor& tree) : tree_(tree) { tree_.suspendRefresh(); }
    ~TreeRefreshHeld() { tree_.resumeRefresh(); }
    TreeRefreshHeld(const TreeRefreshHeld&) = delete;
    TreeRefreshHeld& operator=(const TreeRefreshHeld&) = delete;

private:
    CommandTreeEditor& tree_;
};

}  // namespace tavrel
