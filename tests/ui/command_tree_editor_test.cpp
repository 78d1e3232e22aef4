// The command tree editor's rules: menu preparation, insert, delete, the two
// toggles, drag and drop, learning requests and label editing.
#include "ui/command_tree_editor.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>
#include <string>
#include <vector>

#include "commands/command_table.h"
#include "ui/action_editor.h"

namespace tavrel {
namespace {

using Shape = std::vector<std::string>;

// "TV: Play, Stop; Radio: Louder", shown, with the action editor listening.
class TreeEditorTest : public ::testing::Test {
protected:
    TreeEditorTest() {
        const int tv = table.appendRemote("TV", 1);
        table.appendCommand(tv, "Play", 2);
        table.appendCommand(tv, "Stop", 3);
        table.appendCommand(table.appendRemote("Radio", 4), "Louder", 5);
        tree.setCommandTable(&table);
        actions.setCommandTable(&table);
        QObject::connect(&tree, &CommandTreeEditor::selectionChanged, &actions,
                         &ActionEditor::ShowActions);
        QObject::connect(&tree, &CommandTreeEditor::nodeDeleted, &actions,
                         &ActionEditor::DisableActions);
        QObject::connect(&tree, &CommandTreeEditor::learnRequested, [this] { ++learns; });
        tree.resize(300, 300);
        tree.TreeView()->resize(280, 280);
        tree.show();
    }

    Shape shape() const {
        Shape s;
        for (int i = 0; i < table.count(); ++i) {
            s.push_back((table.level(i) == 1 ? "  " : "") + table.label(i));
        }
        return s;
    }
    QTreeWidgetItem* item(int pos) const { return tree.itemOf(&table.record(pos)); }
    // A click on the node, as the user selects it.
    void select(int pos) { tree.TreeViewMouseDown(on(pos)); }
    // On the node's icon; dx moves along the row.
    QPoint on(int pos, int dx = 8) const {
        const QRect r = tree.TreeView()->visualItemRect(item(pos));
        return {r.left() + dx, r.center().y()};
    }
    QAction* menu(const char* name) const { return tree.findChild<QAction*>(name); }

    CommandTable table;
    CommandTreeEditor tree;
    ActionEditor actions;
    int learns = 0;
};

TEST_F(TreeEditorTest, MenuPreparationFollowsTheTableAndTheSelection) {
    tree.PopupMenu1Popup();  // nothing selected: the first node is
    EXPECT_EQ(table.selected(), 0);
    EXPECT_FALSE(menu("Activado")->isEnabled() || menu("Learn")->isEnabled());
    EXPECT_TRUE(menu("Delete")->isEnabled() && menu("Addcommand")->isEnabled());

    table.record(2).Activado = false;
    select(2);
    tree.PopupMenu1Popup();
    EXPECT_TRUE(menu("Activado")->isEnabled() && menu("Typematic")->isEnabled());
    EXPECT_FALSE(menu("Activado")->isChecked());
    EXPECT_TRUE(menu("Typematic")->isChecked());

    table.clear();
    tree.PopupMenu1Popup();
    for (const char* name : {"Activado", "Typematic", "Learn", "Delete", "Addcommand"}) {
        EXPECT_FALSE(menu(name)->isEnabled()) << name;
    }
    EXPECT_TRUE(menu("Addremote")->isEnabled() && menu("Rename")->isEnabled());
    menu("Rename")->trigger();  // nothing to rename: nothing happens
    menu("Addremote")->trigger();
    EXPECT_EQ(shape(), Shape{"New remote"});
    EXPECT_EQ(table.record(0).Numero, -1);
}

TEST_F(TreeEditorTest, InsertedNodesLandInPlaceUnselectedAndVisible) {
    select(2);
    menu("Addcommand")->trigger();
    EXPECT_EQ(shape(), (Shape{"TV", "  Play", "  New command", "  Stop", "Radio", "  Louder"}));
    EXPECT_EQ(table.record(2).Numero, 6);
    EXPECT_EQ(table.label(table.selected()), "Stop");

    item(4)->setExpanded(false);  // Radio folded
    select(4);
    menu("Addcommand")->trigger();
    EXPECT_EQ(shape(), (Shape{"TV", "  Play", "  New command", "  Stop", "Radio", "  Louder",
                              "  New command"}));
    EXPECT_TRUE(item(6)->parent()->isExpanded());

    item(0)->setExpanded(false);  // a fold survives an unrelated insert
    menu("Addremote")->trigger();
    EXPECT_EQ(table.label(7), "New remote");
    EXPECT_FALSE(item(0)->isExpanded());
    EXPECT_EQ(table.label(table.selected()), "Radio");
}

// An empty table: the guide stands in the tree's place, and each of its steps
// does what it says and what it needs first; the first command inserted is
// selected, so learning can start at once.
TEST_F(TreeEditorTest, TheGuideStandsInForAnEmptyTable) {
    auto* guide = tree.findChild<QWidget*>("FirstStartGuide");
    ASSERT_NE(guide, nullptr);
    EXPECT_FALSE(guide->isVisible());
    const struct {
        const char* step;
        const char* link;
        Shape after;
        int selected;
        int learnsAfter;
    } cases[] = {
        {"LGuideRemote", "remote", {"New remote"}, kNoNode, 0},
        {"LGuideCommand", "command", {"New remote", "  New command"}, 1, 0},
        {"LGuideLearn", "learn", {"New remote", "  New command"}, 1, 1},
    };
    for (const auto& c : cases) {
        learns = 0;
        table.clear();
        EXPECT_TRUE(guide->isVisible() && !tree.TreeView()->isVisible()) << c.step;
        emit tree.findChild<QLabel*>(c.step)->linkActivated(c.link);
        EXPECT_EQ(shape(), c.after) << c.step;
        EXPECT_EQ(table.selected(), c.selected) << c.step;
        EXPECT_EQ(learns, c.learnsAfter) << c.step;
        EXPECT_TRUE(!guide->isVisible() && tree.TreeView()->isVisible()) << c.step;
    }
    EXPECT_EQ(table.current(), &table.record(1));

    // The first command under a remote inserted from the menu is selected too.
    table.clear();
    menu("Addremote")->trigger();
    tree.PopupMenu1Popup();
    menu("Addcommand")->trigger();
    EXPECT_EQ(table.selected(), 1);
    EXPECT_EQ(table.current(), &table.record(1));
}

TEST_F(TreeEditorTest, TogglesChangeTheRecordAndTheEnabledImage) {
    select(1);
    tree.PopupMenu1Popup();
    menu("Activado")->trigger();
    EXPECT_FALSE(table.record(1).Activado);
    EXPECT_EQ(table.image(1), node_image::kDisabled);  // even without a code
    menu("Activado")->trigger();
    EXPECT_EQ(table.image(1), node_image::kEnabled);
    select(1);  // shown again: the question mark is back
    EXPECT_EQ(table.image(1), node_image::kNoCode);
    table.markSaved();
    menu("Typematic")->trigger();
    EXPECT_FALSE(table.record(1).Typematic);
    EXPECT_TRUE(table.modified());
}

TEST_F(TreeEditorTest, DeletingARemoteTakesItsCommandsAndLeavesNoDanglingCurrent) {
    auto* kind = actions.findChild<QRadioButton*>("RadioButton1");
    kind->setChecked(true);
    select(2);
    ASSERT_EQ(table.current(), &table.record(2));
    select(0);
    EXPECT_EQ(table.current(), nullptr);
    table.setCurrent(&table.record(2));  // as recognition leaves it
    menu("Delete")->trigger();           // TV with Play and Stop, without a question
    EXPECT_EQ(shape(), (Shape{"Radio", "  Louder"}));
    EXPECT_EQ(table.selected(), 0);
    EXPECT_EQ(table.current(), nullptr);
    EXPECT_FALSE(kind->isChecked() || kind->isEnabled());
    EXPECT_FALSE(actions.findChild<QComboBox*>("ComboBox")->isEnabled());

    menu("Addcommand")->trigger();  // Radio: Louder, New command
    select(1);
    QTest::keyClick(tree.TreeView(), Qt::Key_Delete);  // the next command is shown
    EXPECT_EQ(shape(), (Shape{"Radio", "  New command"}));
    EXPECT_EQ(table.current(), &table.record(1));
    EXPECT_TRUE(kind->isEnabled()) << "editable, as a click on it shows it";
    QTest::keyClick(tree.TreeView(), Qt::Key_Delete);  // the last one: its remote is next
    EXPECT_EQ(table.selected(), 0);
    EXPECT_EQ(table.current(), nullptr);
}

TEST_F(TreeEditorTest, DropsKeepTwoLevels) {
    struct Case {
        const char* what;
        int dragged;
        int target;
        int dx;  // along the target's row; negative: its indentation
        bool allowed;
        Shape after;
    };
    const Shape before{"TV", "  Play", "  Stop", "Radio", "  Louder"};
    const Case cases[] = {
        {"command on command", 4, 2, 8, true, {"TV", "  Play", "  Louder", "  Stop", "Radio"}},
        {"command on indentation", 4, 1, -6, true, {"TV", "  Louder", "  Play", "  Stop", "Radio"}},
        {"command on a remote", 1, 3, 8, true, {"TV", "  Stop", "Radio", "  Play", "  Louder"}},
        {"command on own remote", 2, 0, 8, true, {"TV", "  Stop", "  Play", "Radio", "  Louder"}},
        {"remote on remote", 3, 0, 8, true, {"Radio", "  Louder", "TV", "  Play", "  Stop"}},
        {"remote on command", 3, 1, 8, false, before},
        {"right of the label", 4, 2, 200, true, before},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        table.clear();
        const int tv = table.appendRemote("TV");
        table.appendCommand(tv, "Play", 0);
        table.appendCommand(tv, "Stop", 0);
        table.appendCommand(table.appendRemote("Radio"), "Louder", 0);
        const TComando* dragged = &table.record(c.dragged);
        select(c.dragged);
        const QPoint at = on(c.target, c.dx);
        EXPECT_EQ(tree.TreeViewDragOver(at), c.allowed);
        tree.TreeViewDragDrop(at);
        EXPECT_EQ(shape(), c.after);
        EXPECT_EQ(&table.record(table.selected()), dragged);
    }
}

// One click shows the clicked command once, on another node and on the same one.
TEST_F(TreeEditorTest, AClickAnnouncesTheSelectionOnce) {
    int shown = 0;
    QObject::connect(&tree, &CommandTreeEditor::selectionChanged, [&shown] { ++shown; });
    for (const int pos : {1, 2, 2}) {
        shown = 0;
        QTest::mouseClick(tree.TreeView()->viewport(), Qt::LeftButton, {}, on(pos));
        EXPECT_EQ(shown, 1) << pos;
        EXPECT_EQ(table.selected(), pos);
    }
}

TEST_F(TreeEditorTest, DoubleClickLearnsOnlyACommand) {
    select(0);
    tree.TreeViewDblClick();
    EXPECT_EQ(learns, 0);
    // A double click folds a remote: its row keeps room for the fold marker
    // that shows it holds commands.
    EXPECT_GT(tree.TreeView()->visualItemRect(item(0)).left(), 0);
    select(1);
    tree.TreeViewDblClick();
    tree.PopupMenu1Popup();
    menu("Learn")->trigger();
    EXPECT_EQ(learns, 2);
}

TEST_F(TreeEditorTest, F2AndRenameEditTheLabelWhichBecomesTheName) {
    const auto editor = [this]() -> QLineEdit* {
        for (QLineEdit* open : tree.TreeView()->viewport()->findChildren<QLineEdit*>()) {
            if (open->isVisible()) {
                return open;
            }
        }
        return nullptr;
    };
    select(1);
    QTest::keyClick(tree.TreeView(), Qt::Key_F2);
    ASSERT_NE(editor(), nullptr);
    editor()->setText("Lecture");
    QTest::keyClick(editor(), Qt::Key_Return);
    QApplication::processEvents();  // the view commits the text after the key
    EXPECT_EQ(table.record(1).Nombre, "Lecture");

    select(3);
    menu("Rename")->trigger();
    ASSERT_NE(editor(), nullptr);
    editor()->clear();  // an empty name is a name too
    QTest::keyClick(editor(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(table.record(3).Nombre, "");

    // A character Windows-1252 cannot hold is refused with a hint, not stored as '?'.
    QToolTip::hideText();
    menu("Rename")->trigger();
    ASSERT_NE(editor(), nullptr);
    editor()->clear();
    for (QChar c : QStringLiteral("\u20ACx\u0142")) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(editor(), &press);
    }
    EXPECT_TRUE(QToolTip::isVisible() && QToolTip::text().contains("Windows-1252"));
    QTest::keyClick(editor(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(table.record(3).Nombre, "\x80x");
}

// A start with "Load minimized" loads and at once reloads the table inside
// an outer hold: only the outermost hold's end rebuilds the tree.
TEST_F(TreeEditorTest, NestedHoldsRebuildTheTreeOnceAtTheOutermostEnd) {
    {
        const TreeRefreshHeld outer(tree);
        {
            const TreeRefreshHeld inner(tree);
            table.clear();
            table.appendRemote("Other", 1);
        }
        EXPECT_EQ(tree.TreeView()->topLevelItemCount(), 2);  // still the old tree
    }
    EXPECT_EQ(tree.TreeView()->topLevelItemCount(), 1);
    EXPECT_NE(item(0), nullptr);
}

}  // namespace
}  // namespace tavrel
