// The action editor on real widgets: what a choice stores, what a stored
// action shows and stores again, which controls are enabled, and that no
// handler writes without a current command.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <functional>

#include "action_editor.h"
#include "actions/action_string.h"
#include "actions/named_keys.h"
#include "commands/command_table.h"
#include "up_down.h"

namespace tavrel {
namespace {

class ActionEditorTest : public ::testing::Test {
public:  // the steps of the table-driven cases drive the fixture
    ActionEditorTest() {
        editor.setKeyNames({kNamedKeyLabels.begin(), kNamedKeyLabels.end()});
        editor.setMessageNames({"WM_NULL", "WM_CLOSE", "WM_COMMAND"});
        editor.setCommandTable(&table);
        const int remote = table.appendRemote("TV");
        power = table.appendCommand(remote, "Power", 2);
        other = table.appendCommand(remote, "Mute", 3);
    }

    template <typename T = QWidget>
    T* find(const char* name) {
        T* found = editor.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
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
    // Push buttons in their middle, check and radio boxes on their mark.
    void click(const char* name) {
        QWidget* button = find(name);
        const bool push = qobject_cast<QPushButton*>(button) != nullptr;
        QTest::mouseClick(button, Qt::LeftButton, {},
                          push ? button->rect().center() : QPoint(6, button->height() / 2));
    }
    // Key presses that carry any character, as a keyboard layout sends them.
    void type(const char* name, const QString& text) {
        QWidget* box = find(name);
        if (auto* combo = qobject_cast<QComboBox*>(box)) {
            box = combo->lineEdit();
        }
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(box, &press);
        }
    }
    // Picks an item from the open list, as a mouse does.
    void pick(const char* name, int item) {
        auto* box = find<QComboBox>(name);
        box->showPopup();
        QAbstractItemView* view = box->view();
        const QModelIndex index = view->model()->index(item, 0);
        view->scrollTo(index);
        const QRect rect = view->visualRect(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    }
    bool enabled(const char* name) { return find(name)->isEnabled(); }
    bool checked(const char* name) { return find<QAbstractButton>(name)->isChecked(); }

    CommandTable table;
    ActionEditor editor;
    int power = kNoNode;
    int other = kNoNode;
};

using Steps = std::function<void(ActionEditorTest&)>;

TEST_F(ActionEditorTest, ChoicesStoreTheirActionString) {
    struct Case {
        const char* what;
        std::string before;
        Steps steps;
        std::string expected;
    };
    const Case cases[] = {
        {"F1 picked with Ctrl", "",
         [](ActionEditorTest& t) {
             t.click("RadioButton1");
             t.click("MasCtrl");
             t.pick("ComboBox", 15);
         },
         "\xA1SendKeys\xA1NCNE15"},
        {"F1 typed with Ctrl, Enter does not pick it", "",
         [](ActionEditorTest& t) {
             t.click("RadioButton1");
             t.click("MasCtrl");
             t.type("ComboBox", "F1");
             QTest::keyClick(t.find<QComboBox>("ComboBox")->lineEdit(), Qt::Key_Return);
         },
         "\xA1SendKeys\xA1NCNNF1"},
        {"a key left bold from a named key names none", "\xA1SendKeys\xA1NNNE3",
         [](ActionEditorTest& t) {
             t.click("Banyade");
             t.click("RadioButton1");
         },
         "\xA1SendKeys\xA1NNNN"},
        {"a direction clears the click", "",
         [](ActionEditorTest& t) {
             t.click("RBMouse");
             t.click("RGClick0");
             t.click("CBLeft");
         },
         "\xA1RatonClick\xA1NCursorNL"},
        {"a click while a direction is checked is cleared", "\xA1RatonClick\xA1NCursorUN",
         [](ActionEditorTest& t) { t.click("RGClick2"); }, "\xA1RatonClick\xA1NCursorUN"},
        {"program typed with arguments", "",
         [](ActionEditorTest& t) {
             t.click("RadioButton2");
             t.type("Programa", "xterm -e top");
         },
         "\xA1"
         "ExecuteProgram\xA1xterm -e top"},
        {"post message on an empty action", "",
         [](ActionEditorTest& t) { t.click("RadioButton3"); }, "\xA1PostMessage\xA1wParamlParam"},
        {"message picked, parameters take hexadecimal only", "",
         [](ActionEditorTest& t) {
             t.click("RadioButton3");
             t.pick("CBMessage", 0);
             t.type("EwParam", "G b");
             t.type("ElParam", "1z0");
         },
         "\xA1PostMessage\xA1WM_CLOSEwParamblParam10"},
    };
    for (const Case& c : cases) {
        show({c.before});
        c.steps(*this);
        EXPECT_EQ(stored(), c.expected) << c.what;
    }
}

TEST_F(ActionEditorTest, ShownActionIsStoredAgainAsTheControlsEncodeIt) {
    struct Case {
        std::string action;
        std::string again;
        const char* kind;  // the kind button checked, nullptr for none
    };
    const Case cases[] = {
        {"\xA1SendKeys\xA1NCNE15", "\xA1SendKeys\xA1NCNE15", "RadioButton1"},
        {"\xA1SendKeys\xA1XCSNvol", "\xA1SendKeys\xA1NCSNvol", "RadioButton1"},
        {"\xA1SendKeys\xA1NNNE99", "\xA1SendKeys\xA1NNNN", "RadioButton1"},
        {"\xA1RatonClick\xA1NCursorUR", "\xA1RatonClick\xA1NCursorUR", "RBMouse"},
        // A click is a click: directions beside it were never acted on.
        {"\xA1RatonClick\xA1RCursorDL", "\xA1RatonClick\xA1RCursorNN", "RBMouse"},
        {"\xA1"
         "ExecuteProgram\xA1/usr/bin/xterm -T \xE9t\xE9",
         "\xA1"
         "ExecuteProgram\xA1/usr/bin/xterm -T \xE9t\xE9",
         "RadioButton2"},
        {"\xA1PostMessage\xA1WM_CLOSEwParam0lParam1F", "\xA1PostMessage\xA1WM_CLOSEwParam0lParam1F",
         "RadioButton3"},
        {"hand-edited", "hand-edited", nullptr},
    };
    for (const Case& c : cases) {
        // Shown after another command, so no control keeps the case before.
        table.select(other);
        editor.ShowActions();
        show({c.action});
        EXPECT_EQ(stored(), c.again) << c.action;
        for (const char* kind : {"RadioButton1", "RBMouse", "RadioButton2", "RadioButton3"}) {
            EXPECT_EQ(checked(kind), c.kind != nullptr && std::string(kind) == c.kind) << c.action;
        }
    }
    show({"\xA1SendKeys\xA1NCNE15"});
    EXPECT_TRUE(find<QComboBox>("ComboBox")->font().bold());
    EXPECT_EQ(find<QComboBox>("ComboBox")->currentText(), "F1");
    // A string of no kind waits, with the settings of its command, for a kind.
    show({"\xA1SendKeys\xA1NNNNa", "hand-edited"});
    for (const char* name :
         {"UDLoop", "CBoxAll", "CBoxMultiKey", "UDDelay", "BBorra", "CBTargetWin"}) {
        EXPECT_FALSE(enabled(name)) << name;
    }
    EXPECT_TRUE(enabled("Banyade"));
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
    EXPECT_EQ(find<QLineEdit>("ELoop")->text(), "0");

    // Key multiplying on one action: only for a typed number.
    click("RadioButton1");
    type("ComboBox", "5");
    EXPECT_TRUE(enabled("CBoxMultiKey"));
    click("CBoxMultiKey");
    pick("ComboBox", 15);
    EXPECT_FALSE(enabled("CBoxMultiKey"));
    EXPECT_TRUE(checked("CBoxMultiKey"));
    EXPECT_TRUE(command().MultiKey);

    click("Banyade");
    EXPECT_EQ(command().Loop, 2);
    EXPECT_EQ(command().LoopActual, 1);
    EXPECT_EQ(find<QLineEdit>("ELoop")->text(), "1");
    EXPECT_TRUE(enabled("UDLoop") && enabled("BBorra") && enabled("CBoxAll"));
    EXPECT_FALSE(checked("RadioButton1"));
    click("BBorra");
    EXPECT_EQ(command().Loop, 1);
    EXPECT_EQ(command().LoopActual, 0);
    EXPECT_FALSE(enabled("UDLoop") || enabled("BBorra") || enabled("CBoxAll"));

    // "-" only while the last of three is shown.
    show({"\xA1SendKeys\xA1NNNNa", "", ""});
    command().LoopActual = 0;
    editor.ShowActions();
    EXPECT_FALSE(enabled("BBorra"));
    for (int i = 0; i < 2; ++i) {
        QTest::mouseClick(find<UpDown>("UDLoop")->upButton(), Qt::LeftButton);
    }
    EXPECT_EQ(command().LoopActual, 2);
    EXPECT_TRUE(enabled("BBorra"));
    QTest::mouseClick(find<UpDown>("UDDelay")->upButton(), Qt::LeftButton);
    click("CBoxAll");
    type("CBTargetWin", "term");
    EXPECT_EQ(command().Retraso, 1);
    EXPECT_TRUE(command().DeVez);
    EXPECT_EQ(command().TargetWindow, "term");

    // Up and Down, Left and Right exclude each other.
    click("RBMouse");
    click("CBUp");
    EXPECT_FALSE(enabled("CBDown"));
    click("CBUp");
    EXPECT_TRUE(enabled("CBDown"));
    click("CBRight");
    EXPECT_FALSE(enabled("CBLeft"));
    EXPECT_TRUE(enabled("CBUp") && enabled("CBDown"));
}

TEST_F(ActionEditorTest, TextWindows1252CannotHoldIsRefusedWithAHint) {
    const struct {
        const char* kind;
        const char* box;
    } cases[] = {
        {"RadioButton2", "Programa"}, {"RadioButton1", "ComboBox"}, {nullptr, "CBTargetWin"}};
    for (const auto& c : cases) {
        show({});
        if (c.kind != nullptr) {
            click(c.kind);
        }
        QToolTip::hideText();
        type(c.box, QStringLiteral("\u20ACx\u0142"));
        EXPECT_TRUE(QToolTip::isVisible()) << c.box;
        EXPECT_TRUE(QToolTip::text().contains("Windows-1252")) << c.box;
        if (c.kind != nullptr) {
            EXPECT_EQ(stored().substr(stored().size() - 2), "\x80x") << c.box;
        }
    }
    EXPECT_EQ(command().TargetWindow, "\x80x");
}

TEST_F(ActionEditorTest, BrowseStoresTheChosenPathAsOneWord) {
    QTemporaryDir dir;
    const QString path = dir.filePath("My Player");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    file.close();
    show({});
    click("RadioButton2");
    QTimer::singleShot(0, &editor, [&path] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept();
    });
    click("BotonExaminar");
    EXPECT_EQ(stored(),
              "\xA1"
              "ExecuteProgram\xA1'" +
                  path.toStdString() + "'");
}

TEST_F(ActionEditorTest, NothingIsWrittenWithoutACurrentCommand) {
    show({"\xA1SendKeys\xA1NNNNa", "\xA1SendKeys\xA1NNNNb"});
    // The command goes while its controls are still enabled.
    table.remove(power);
    ASSERT_EQ(table.current(), nullptr);
    type("ComboBox", "x");
    click("MasAlt");
    click("Banyade");
    click("BBorra");
    click("CBoxAll");
    type("CBTargetWin", "x");
    QTest::mouseClick(find<UpDown>("UDLoop")->downButton(), Qt::LeftButton);
    QTest::mouseClick(find<UpDown>("UDDelay")->upButton(), Qt::LeftButton);
    click("RBMouse");
    click("CBUp");
    EXPECT_EQ(table.current(), nullptr);
    // The selection that follows shows the next command in full.
    table.select(power);
    editor.ShowActions();
    EXPECT_EQ(table.current(), &table.record(table.selected()));
}

}  // namespace
}  // namespace tavrel
