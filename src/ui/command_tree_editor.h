// The command tree editor: the group GBCommands with the tree TreeView that
// shows the command table, and the tree's context menu PopupMenu1. The tree
// follows the table; the table's selection follows the tree.
#pragma once

#include <QGroupBox>
#include <memory>

#include "commands/notifier.h"
#include "text_edge.h"

class QMenu;
class QTreeWidget;
namespace Ui {
class CommandTreeEditor;
}

namespace tavrel {

class CommandTable;

class CommandTreeEditor : public QGroupBox {
    Q_OBJECT
public:
    explicit CommandTreeEditor(QWidget* parent = nullptr);
    ~CommandTreeEditor() override;

    // The tree shows this table and follows its changes; nullptr shows nothing.
    void setCommandTable(CommandTable* table);
    void refreshTree();
    // Holds back refreshes while the table is rebuilt in one go (a load), so
    // the tree is built once instead of once per node.
    void suspendRefresh() { suspended_ = true; }
    void resumeRefresh();

    // The group's caption, then (called later, in the window's order) the menu's.
    void ApplyTranslation(const TranslateFn& translate);
    void ApplyMenuTranslation(const TranslateFn& translate);

    QTreeWidget* TreeView() const;
    QMenu* PopupMenu1() const { return popupMenu1_; }

signals:
    // The user chose another node (TreeViewChange); the table's selection is already set.
    void selectionChanged();
    // "Learn now..." was chosen for the selected command.
    void learnRequested();

private:
    void selectInTree();
    void TreeViewChange();

    std::unique_ptr<Ui::CommandTreeEditor> ui_;
    QMenu* popupMenu1_ = nullptr;
    CommandTable* table_ = nullptr;
    Notifier<>::Subscription tableHeard_;
    Notifier<>::Subscription selectionHeard_;
    bool syncing_ = false;
    bool suspended_ = false;
    bool outdated_ = false;
};

}  // namespace tavrel
