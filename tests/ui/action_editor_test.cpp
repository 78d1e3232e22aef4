// The action editor on real widgets: what a choice stores, what a stored
// action shows and stores again, which controls are enabled, and that no
// handler writes without a current command.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>

#include "actions/action_string.h"
#include "actions/named_keys.h"
#include "commands/command_table.h"
#include "platform/fake/fake_desktop.h"
#include "ui/action_editor.h"
#include "ui/up_down.h"

namespace tavrel {
namespace {

class ActionEditorTest : public ::testing::Test {
protected:
    ActionEditorTest() {
        editor.setKeyNames({kNamedKeyLabels.begin(), kNamedKeyLabels.end()});
        editor.setMessageNames({"WM_NULL", "WM_CLOSE", "WM_COMMAND"});
        editor.setCommandTable(&table);
        const int remote = table.appendRemote("TV");
        power = table.appendCommand(remote, "Power", 2);
        other = table.appendCommand(remote, "Mute", 3);
    }

    template <typename T = QWidget>
    T* find(const QString& name) {
        T* found = editor.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    TComando& command() { return table.record(power); }
    // Shows the command with these actions, the last one current.
    void show(std::vector<std::string> actions) {
        command().Loop = static_cast<int>(std::max<std::size_t>(actions.size(), 1));
        command().LoopActual = command().Loop - 1;
        command().Acciones.emplace();
        for (std::size_t i = 0; i < actions.size(); ++i) {
            WriteAction(*command().Acciones, static_cast<int>(i), actions[i]);
        }
        table.select(power);
        editor.ShowActions();
    }
    std::string stored() { return ReadAction(*command().Acciones, command().LoopActual); }
    // Steps apart by "|": Name clicks it (Name+ and Name- an arrow of an
    // up-down), Name=text types text (\r is Return), Name#n picks item n.
    void steps(const QString& script) {
        for (const QString& step : script.split(u'|')) {
            const qsizetype typed = step.indexOf(u'=');
            const qsizetype picked = step.indexOf(u'#');
            if (typed > 0) {
                type(step.left(typed), step.mid(typed + 1));
            } else if (picked > 0) {
                pick(step.left(picked), step.mid(picked + 1).toInt());
            } else if (step.endsWith(u'+') || step.endsWith(u'-')) {
                auto* arrows = find<UpDown>(step.chopped(1));
                QTest::mouseClick(step.endsWith(u'+') ? arrows->upButton() : arrows->downButton(),
                                  Qt::LeftButton);
            } else {
                QWidget* button = find(step);
                const bool push = qobject_cast<QPushButton*>(button) != nullptr;
                // Push buttons in their middle, check and radio boxes on their mark.
                QTest::mouseClick(button, Qt::LeftButton, {},
                                  push ? button->rect().center() : QPoint(6, button->height() / 2));
            }
        }
    }
    // Key presses that carry any character, as a keyboard layout sends them.
    void type(const QString& name, const QString& text) {
        QWidget* box = find(name);
        if (auto* combo = qobject_cast<QComboBox*>(box)) {
            box = combo->lineEdit();
        }
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, c == u'\r' ? Qt::Key_Return : Qt::Key_unknown,
                            Qt::NoModifier, QString(c));
            QApplication::sendEvent(box, &press);
        }
    }
    // Picks an item from the open list, as a mouse does.
    void pick(const QString& name, int item) {
        auto* box = find<QComboBox>(name);
        box->showPopup();
        QAbstractItemView* view = box->view();
        const QModelIndex index = view->model()->index(item, 0);
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    }
    bool enabled(const QString& name) { return find(name)->isEnabled(); }
    bool checked(const QString& name) { return find<QAbstractButton>(name)->isChecked(); }

    CommandTable table;
    ActionEditor editor;
    int power = kNoNode;
    int other = kNoNode;
};

const std::string kTap(kTapKeyMarker);
const std::string kMouse(kMouseMarker);
const std::string kRun(kRunProgramMarker);
const std::string kPost(kPostMessageMarker);

TEST_F(ActionEditorTest, ChoicesStoreTheirActionString) {
    const struct {
        std::string before;
        const char* steps;
        std::string expected;
    } cases[] = {
        {"", "RadioButton1|MasCtrl|ComboBox#15", kTap + "NCNE15"},
        // Typed text stays typed, also when it reads like an item and Return ends it.
        {"", "RadioButton1|MasCtrl|ComboBox=F1\r", kTap + "NCNNF1"},
        // Bold left from a named key, on an empty action: never index -1.
        {kTap + "NNNE3", "Banyade|RadioButton1", kTap + "NNNN"},
        {"", "RBMouse|RGClick0|CBLeft", kMouse + "NCursorNL"},
        {kMouse + "NCursorUN", "RGClick2", kMouse + "NCursorUN"},
        {"", "RadioButton2|Programa=xterm -e top", kRun + "xterm -e top"},
        {"", "RadioButton3", kPost + "wParamlParam"},
        {"", "RadioButton3|CBMessage#0|EwParam=G b|ElParam=1z0", kPost + "WM_CLOSEwParamblParam10"},
    };
    for (const auto& c : cases) {
        show({c.before});
        steps(c.steps);
        EXPECT_EQ(stored(), c.expected) << c.steps;
    }
}

TEST_F(ActionEditorTest, ShownActionIsStoredAgainAsTheControlsEncodeIt) {
    const struct {
        std::string action;
        std::string again;
        const char* kind;  // the kind button checked, nullptr for none
    } cases[] = {
        {kTap + "NCNE15", kTap + "NCNE15", "RadioButton1"},
        {kTap + "XCSNvol", kTap + "NCSNvol", "RadioButton1"},
        {kTap + "NNNE99", kTap + "NNNN", "RadioButton1"},
        {kMouse + "NCursorUR", kMouse + "NCursorUR", "RBMouse"},
        // A click is a click: directions beside it were never acted on.
        {kMouse + "RCursorDL", kMouse + "RCursorNN", "RBMouse"},
        {kRun + "xterm -T \xE9t\xE9", kRun + "xterm -T \xE9t\xE9", "RadioButton2"},
        {kPost + "WM_CLOSEwParam0lParam1F", kPost + "WM_CLOSEwParam0lParam1F", "RadioButton3"},
        {"hand-edited", "hand-edited", nullptr},
    };
    for (const auto& c : cases) {
        // Shown after another command, so no control keeps the case before.
        table.select(other);
        editor.ShowActions();
        show({c.action});
        EXPECT_EQ(stored(), c.again) << c.action;
        for (const char* kind : {"RadioButton1", "RBMouse", "RadioButton2", "RadioButton3"}) {
            EXPECT_EQ(checked(kind), c.kind != nullptr && std::string(kind) == c.kind) << c.action;
        }
    }
    show({kTap + "NCNE15"});
    EXPECT_TRUE(find<QComboBox>("ComboBox")->font().bold());
    EXPECT_EQ(find<QComboBox>("ComboBox")->currentText(), "F1");
    // A string of no kind waits, with the settings of its command, for a kind.
    show({kTap + "NNNNa", "hand-edited"});
    for (const char* name : {"UDLoop", "CBoxAll", "CBoxMultiKey", "BBorra", "CBTargetWin"}) {
        EXPECT_FALSE(enabled(name)) << name;
    }
    EXPECT_TRUE(enabled("Banyade"));
}

// What the action shown before set and the one shown now does not (modifier
// checks, the click, directions and the boxes they grey) starts empty.
TEST_F(ActionEditorTest, NothingOfTheActionShownBeforeLeaksIntoTheNext) {
    const struct {
        std::string before;
        std::string shown;
        const char* steps;
        std::string expected;
    } cases[] = {
        {kTap + "ACSE15", kRun + "xterm", "RadioButton1", kTap + "NNNN"},
        {kMouse + "RCursorNN", kPost + "WM_CLOSEwParam0lParam0", "RBMouse", kMouse + "NCursorNN"},
        {kMouse + "NCursorUN", kRun + "xterm", "RBMouse|CBDown", kMouse + "NCursorDN"},
    };
    for (const auto& c : cases) {
        TComando& before = table.record(other);
        before.Acciones.emplace();
        WriteAction(*before.Acciones, 0, c.before);
        table.select(other);
        editor.ShowActions();
        show({c.shown});
        steps(c.steps);
        EXPECT_EQ(stored(), c.expected) << c.before;
    }
}

// Showing is not editing: an action stored again unchanged leaves the table
// as saved; one the controls encode otherwise is an edit.
TEST_F(ActionEditorTest, ShowingACommandLeavesTheTableUnmodified) {
    for (const std::string& action : {kTap + "NCNE15", kMouse + "NCursorUR", kRun + "xterm",
                                      kPost + "WM_CLOSEwParam0lParam1"}) {
        table.markSaved();
        show({action});
        EXPECT_FALSE(table.modified()) << action;
    }
    show({kMouse + "RCursorDL"});
    EXPECT_TRUE(table.modified());
}

TEST_F(ActionEditorTest, EnabledControlsFollowTheActionsOfTheCommand) {
    show({});
    for (const char* name :
         {"RadioButton1", "RBMouse", "RadioButton2", "RadioButton3", "Banyade", "CBTargetWin"}) {
        EXPECT_TRUE(enabled(name)) << name;
    }
    for (const char* name : {"ComboBox", "RGClick", "Programa", "CBMessage", "UDLoop", "ELoop",
                             "BBorra", "CBoxAll", "UDDelay", "CBoxMultiKey"}) {
        EXPECT_FALSE(enabled(name)) << name;
    }
    // Key multiplying on one action: only for a typed number; its mark stays.
    steps("RadioButton1|ComboBox=5");
    EXPECT_TRUE(enabled("CBoxMultiKey"));
    steps("CBoxMultiKey|ComboBox#15");
    EXPECT_FALSE(enabled("CBoxMultiKey"));
    EXPECT_TRUE(checked("CBoxMultiKey") && command().MultiKey);

    steps("Banyade");
    EXPECT_EQ(std::make_pair(command().Loop, command().LoopActual), std::make_pair(2, 1));
    EXPECT_EQ(find<QLineEdit>("ELoop")->text(), "1");
    EXPECT_TRUE(enabled("UDLoop") && enabled("BBorra") && enabled("CBoxAll"));
    steps("BBorra");
    EXPECT_EQ(std::make_pair(command().Loop, command().LoopActual), std::make_pair(1, 0));
    EXPECT_FALSE(enabled("UDLoop") || enabled("BBorra") || enabled("CBoxAll"));

    // "-" only while the last of three is shown.
    show({kTap + "NNNNa", "", ""});
    command().LoopActual = 0;
    editor.ShowActions();
    EXPECT_FALSE(enabled("BBorra"));
    steps("UDLoop+|UDLoop+|UDDelay+|CBoxAll|CBTargetWin=term");
    EXPECT_EQ(command().LoopActual, 2);
    EXPECT_TRUE(enabled("BBorra"));
    EXPECT_EQ(command().Retraso, 1);
    EXPECT_TRUE(command().DeVez);
    EXPECT_EQ(command().TargetWindow, "term");

    // Up and Down, Left and Right exclude each other.
    steps("RBMouse|CBUp");
    EXPECT_FALSE(enabled("CBDown"));
    steps("CBUp|CBRight");
    EXPECT_TRUE(enabled("CBUp") && enabled("CBDown"));
    EXPECT_FALSE(enabled("CBLeft"));
}

// A desktop that keeps its windows to itself: the destination and posted
// messages are greyed with the reason, a stored destination kept.
TEST_F(ActionEditorTest, WhatTheDesktopDoesNotAllowIsGreyedWithItsReason) {
    FakeEventLog log;
    FakeDesktop desktop(log);
    desktop.windowsRefused = "This desktop does not let programs list windows.";
    editor.setDesktop(&desktop);
    command().TargetWindow = "Player";
    show({kTap + "NNNNa"});
    for (const char* name : {"CBTargetWin", "RadioButton3"}) {
        EXPECT_FALSE(enabled(name)) << name;
        EXPECT_EQ(find(name)->toolTip().toStdString(), desktop.windowsRefused) << name;
    }
    EXPECT_TRUE(enabled("RadioButton1") && enabled("RBMouse"));
    EXPECT_EQ(find<QComboBox>("CBTargetWin")->currentText(), "Player");
    EXPECT_EQ(command().TargetWindow, "Player");

    desktop.windowsRefused.clear();
    editor.ShowActions();
    EXPECT_TRUE(enabled("CBTargetWin") && enabled("RadioButton3"));
    EXPECT_TRUE(find("CBTargetWin")->toolTip().isEmpty());
}

TEST_F(ActionEditorTest, TextWindows1252CannotHoldIsRefusedWithAHint) {
    for (const char* box : {"RadioButton2|Programa=", "RadioButton1|ComboBox=", "CBTargetWin="}) {
        show({});
        QToolTip::hideText();
        steps(box + QStringLiteral("\u20ACx\u0142"));
        EXPECT_TRUE(QToolTip::isVisible() && QToolTip::text().contains("Windows-1252")) << box;
        // What could be held is kept: the key, the command line or the destination.
        EXPECT_TRUE(stored().ends_with("\x80x") || command().TargetWindow == "\x80x") << box;
    }
}
TEST_F(ActionEditorTest, BrowseStoresTheChosenPathAsOneWord) {
    QTemporaryDir dir;
    const QString path = dir.filePath("My Player");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    file.close();
    show({});
    QTimer::singleShot(0, &editor, [&path] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept();
    });
    steps("RadioButton2|BotonExaminar");
    EXPECT_EQ(stored(), kRun + "'" + path.toStdString() + "'");
}

// The Programs filter lists folders and executables, a folder opens, and
// "All files" adds the rest.
TEST_F(ActionEditorTest, BrowseListsFoldersAndPrograms) {
    QTemporaryDir dir;
    const auto make = [&dir](const QString& name, bool executable) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner |
                            (executable ? QFile::ExeOwner : QFile::Permissions()));
    };
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    make("tool", true);
    make("notes.txt", false);
    make("sub/inner", true);
    show({kRun + dir.filePath("tool").toStdString()});
    std::vector<QStringList> listed;
    QTimer::singleShot(0, &editor, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* view = dialog->findChild<QListView*>("listView");
        auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
        ASSERT_TRUE(view != nullptr && types != nullptr);
        const auto names = [view](int expected) {
            // Listed as the folder is read; a wrong listing stays short.
            static_cast<void>(QTest::qWaitFor(
                [&] { return view->model()->rowCount(view->rootIndex()) >= expected; }, 2000));
            QStringList found;
            for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
                found << view->model()->index(row, 0, view->rootIndex()).data().toString();
            }
            found.sort();
            return found;
        };
        listed.push_back(names(2));
        dialog->setDirectory(dir.filePath("sub"));
        listed.push_back(names(1));
        dialog->setDirectory(dir.path());
        // Picked as the list picks: the index, then the text.
        types->setCurrentIndex(1);
        emit types->activated(1);
        emit types->textActivated(types->itemText(1));
        listed.push_back(names(3));
        dialog->reject();
    });
    steps("BotonExaminar");
    const std::vector<QStringList> expected{
        {"sub", "tool"}, {"inner"}, {"notes.txt", "sub", "tool"}};
    EXPECT_EQ(listed, expected);
}

// A window opened after the list was filled can be picked: opening the list
// reads the windows again, and the text typed in the box stays.
TEST_F(ActionEditorTest, OpeningTheDestinationListReadsTheWindowsAgain) {
    FakeEventLog events;
    FakeDesktop desktop(events);
    editor.setDesktop(&desktop);
    desktop.addWindow("Editor");
    editor.FillTargetWindowList();
    show({});
    steps("CBTargetWin=term");
    desktop.addWindow("Later window");
    auto* list = find<QComboBox>("CBTargetWin");
    list->showPopup();
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->findText("Later window"), 1);
    EXPECT_EQ(list->currentText().toStdString(), "term");
    list->hidePopup();
}

TEST_F(ActionEditorTest, NothingIsWrittenWithoutACurrentCommand) {
    show({kTap + "NNNNa", kTap + "NNNNb"});
    // The command goes while its controls are still enabled.
    table.remove(power);
    steps("ComboBox=x|MasAlt|Banyade|BBorra|CBoxAll|CBTargetWin=x|UDLoop-|UDDelay+|RBMouse|CBUp");
    EXPECT_EQ(table.current(), nullptr);
    // The selection that follows shows the next command in full.
    table.select(power);
    editor.ShowActions();
    EXPECT_EQ(table.current(), &table.record(power));
}

}  // namespace
}  // namespace tavrel
