// The variant row of the action editor on real widgets, over the recording
// fake desktop: greyed with the desktop's reason where it cannot tell the
// active application; Add..., Learn application, Remove and the arrows; and
// every edit acting on the command (and variant) it was begun on.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "actions/action_string.h"
#include "commands/command_table.h"
#include "commands/command_variants.h"
#include "platform/fake/fake_desktop.h"
#include "ui/action_editor.h"
#include "ui/application_picker.h"

namespace tavrel {
namespace {

const std::string kDefault = MakeRunProgramAction("default");

class VariantRowTest : public ::testing::Test {
protected:
    VariantRowTest() {
        editor.setCommandTable(&table);
        editor.setDesktop(&desktop);
        const int remote = table.appendRemote("TV");
        play = table.appendCommand(remote, "Play", 2);
        stop = table.appendCommand(remote, "Stop", 3);
        WriteAction(*record(play).Acciones, 0, kDefault);
        browser = desktop.addWindow("Cats - YouTube");
        desktop.setApplication(browser, "firefox");
        desktop.setApplication(desktop.addWindow("Music"), "rhythmbox");
        desktop.addWindow("panel");  // no application: not offered
        select(play);
    }

    template <typename T = QWidget>
    T* find(const QString& name) {
        T* found = editor.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    TComando& record(int pos) { return table.record(pos); }
    void select(int pos) {
        table.select(pos);
        editor.ShowActions();
    }
    void click(const QString& name) {
        QTest::mouseClick(find<QAbstractButton>(name), Qt::LeftButton);
    }
    QStringList items(const QString& name) {
        QStringList texts;
        auto* box = find<QComboBox>(name);
        for (int i = 0; i < box->count(); ++i) {
            texts << box->itemText(i);
        }
        return texts;
    }
    // Clicks "Add..." and runs work on the open dialog, which work ends.
    void add(const std::function<void(ApplicationPicker&)>& work) {
        bool ran = false;
        QTimer::singleShot(0, &editor, [&] {
            auto* picker = qobject_cast<ApplicationPicker*>(QApplication::activeModalWidget());
            ASSERT_NE(picker, nullptr);
            ran = true;
            work(*picker);
        });
        click("BApplicationAdd");
        EXPECT_TRUE(ran);
    }
    static void type(ApplicationPicker& picker, const QString& name, const QString& text) {
        picker.findChild<QLineEdit*>(name)->setText(text);
    }
    static void ok(ApplicationPicker& picker) {
        picker.findChild<QDialogButtonBox*>("BBApplicationPicker")
            ->button(QDialogButtonBox::Ok)
            ->click();
    }
    // The Run program box edited as the user types.
    void runProgram(const QString& text) {
        QTest::mouseClick(find<QAbstractButton>("RadioButton2"), Qt::LeftButton, {}, QPoint(6, 8));
        find<QLineEdit>("Programa")->setText(text);
    }

    FakeEventLog events;
    FakeDesktop desktop{events};
    CommandTable table;
    ActionEditor editor;
    int play = kNoNode;
    int stop = kNoNode;
    WindowHandle browser = kNoWindow;
};

TEST_F(VariantRowTest, WhereTheDesktopCannotTellTheRowIsGreyedWithItsReason) {
    EXPECT_TRUE(find("CBApplication")->isEnabled());
    EXPECT_TRUE(find("BApplicationAdd")->isEnabled());
    desktop.applicationsRefused = "This desktop keeps it to itself.";
    editor.setDesktop(&desktop);
    select(play);
    for (const char* control : {"CBApplication", "BApplicationAdd", "BApplicationRemove",
                                "BApplicationUp", "BApplicationDown"}) {
        EXPECT_FALSE(find(control)->isEnabled()) << control;
    }
    EXPECT_EQ(find("CBApplication")->toolTip(), "This desktop keeps it to itself.");
    EXPECT_EQ(items("CBApplication"), QStringList{"All other applications"});
    // A remote shown: nothing to choose either.
    desktop.applicationsRefused.clear();
    editor.setDesktop(&desktop);
    select(0);
    EXPECT_FALSE(find("CBApplication")->isEnabled());
}

// Picked from the open windows, or typed; the variant gets its own actions,
// and the command's own stay as they were.
TEST_F(VariantRowTest, AddedVariantsAreShownAndEditedApartFromTheCommandsOwnActions) {
    add([](ApplicationPicker& picker) {
        auto* list = picker.findChild<QListWidget*>("LBOpenApplications");
        ASSERT_EQ(list->count(), 2);
        EXPECT_EQ(list->item(0)->text(), QString::fromUtf8("firefox \u2013 Cats - YouTube"));
        list->setCurrentRow(0);
        type(picker, "ETitlePart", "  YouTube ");
        ok(picker);
    });
    EXPECT_EQ(items("CBApplication"),
              (QStringList{"All other applications", "firefox \"YouTube\""}));
    EXPECT_EQ(find<QComboBox>("CBApplication")->currentIndex(), 1);
    EXPECT_TRUE(table.modified());
    runProgram("youtube");

    add([](ApplicationPicker& picker) {
        type(picker, "EApplicationName", "mpv");
        ok(picker);
    });
    runProgram("mpv");

    const TComando& c = record(play);
    ASSERT_EQ(c.Variantes.size(), 2u);
    EXPECT_EQ(ReadAction(*c.Variantes.front().Acciones, 0), MakeRunProgramAction("youtube"));
    EXPECT_EQ(ReadAction(*c.Variantes.back().Acciones, 0), MakeRunProgramAction("mpv"));
    EXPECT_EQ(ReadAction(*c.Acciones, 0), kDefault);

    // Choosing "All other applications" shows the command's own action again.
    auto* box = find<QComboBox>("CBApplication");
    box->setCurrentIndex(0);
    emit box->activated(0);
    EXPECT_EQ(find<QLineEdit>("Programa")->text(), "default");
}

TEST_F(VariantRowTest, VariantsAreRemovedAndTriedEarlierOrLater) {
    for (const char* name : {"a", "b", "c"}) {
        AddVariant(record(play), name, "");
    }
    select(play);
    auto* box = find<QComboBox>("CBApplication");
    box->setCurrentIndex(1);
    emit box->activated(1);
    EXPECT_FALSE(find("BApplicationUp")->isEnabled());
    click("BApplicationDown");
    click("BApplicationDown");
    EXPECT_EQ(items("CBApplication"), (QStringList{"All other applications", "b", "c", "a"}));
    EXPECT_EQ(box->currentIndex(), 3);
    EXPECT_FALSE(find("BApplicationDown")->isEnabled());
    click("BApplicationUp");
    click("BApplicationRemove");
    EXPECT_EQ(items("CBApplication"), (QStringList{"All other applications", "b", "c"}));
    EXPECT_EQ(box->currentIndex(), 2);  // the one that took its place
    click("BApplicationRemove");
    click("BApplicationRemove");
    EXPECT_EQ(box->currentIndex(), 0);
    EXPECT_TRUE(record(play).Variantes.empty());
    EXPECT_FALSE(find("BApplicationRemove")->isEnabled());
}

// "Learn application": the next window of another program activated while the
// dialog waits gives the name; Tavrel's own windows and the one in front at
// the click do not.
TEST_F(VariantRowTest, LearnApplicationTakesTheNextWindowOfAnotherProgramActivated) {
    const WindowHandle own = desktop.addWindow("Tavrel 3.0");
    desktop.setApplication(own, QGuiApplication::applicationName().toStdString());
    desktop.setForeground(browser);
    add([&](ApplicationPicker& picker) {
        auto* learn = picker.findChild<QPushButton*>("BLearnApplication");
        learn->click();
        EXPECT_TRUE(learn->isChecked());
        const auto wait = [] { QTest::qWait(3 * ApplicationPicker::kLearnPollMs); };
        wait();
        desktop.setForeground(own);
        wait();
        EXPECT_TRUE(picker.application().empty());
        desktop.setForeground(desktop.FindWindow("Music"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !learn->isChecked(); }, 2000));
        EXPECT_EQ(picker.application(), "rhythmbox");
        ok(picker);
    });
    EXPECT_EQ(VariantName(record(play).Variantes.front()), "rhythmbox");
}

// A press that selects another command while "Add..." is open, and one that
// selects another while a variant is shown: the variant goes, and the edit
// acts, where they were begun.
TEST_F(VariantRowTest, AnEditActsOnTheCommandAndVariantItWasBegunOn) {
    add([this](ApplicationPicker& picker) {
        select(stop);  // a press in editing mode
        type(picker, "EApplicationName", "mpv");
        ok(picker);
    });
    EXPECT_EQ(record(play).Variantes.size(), 1u);
    EXPECT_TRUE(record(stop).Variantes.empty());
    EXPECT_EQ(find<QComboBox>("CBApplication")->currentIndex(), 0) << "Stop is shown";

    select(play);
    EXPECT_EQ(find<QComboBox>("CBApplication")->currentIndex(), 0);
    auto* box = find<QComboBox>("CBApplication");
    box->setCurrentIndex(1);
    emit box->activated(1);
    // The same command recognised again keeps the variant shown.
    select(play);
    EXPECT_EQ(box->currentIndex(), 1);
    runProgram("mpv");
    EXPECT_EQ(ReadAction(*record(play).Variantes.front().Acciones, 0), MakeRunProgramAction("mpv"));
    EXPECT_EQ(ReadAction(*record(play).Acciones, 0), kDefault);
}

}  // namespace
}  // namespace tavrel
