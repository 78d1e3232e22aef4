// The on-screen confirmation without a notification service: a small window
// that never takes the focus, shows remote and command, and goes by itself.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "actions/action_runner.h"
#include "actions/action_string.h"
#include "app/command_notice.h"
#include "commands/command_table.h"
#include "commands/command_variants.h"
#include "commands/program_state.h"
#include "platform/fake/fake_platform.h"
#include "platform/fake/virtual_clock.h"

namespace tavrel {
namespace {

TEST(CommandNoticeTest, OwnWindowShowsTheNamesWithoutFocusAndGoesAfterASecond) {
    CommandNotice notice;
    notice.SetUseNotificationService(false);
    notice.Show(QStringLiteral("TV"), QStringLiteral("Volume <up>"));
    QLabel* popup = notice.popup();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_TRUE(popup->text().contains(QStringLiteral("TV")));
    EXPECT_TRUE(popup->text().contains(QStringLiteral("Volume &lt;up&gt;")));
    EXPECT_TRUE(popup->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(popup->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(QTest::qWaitFor([popup] { return !popup->isVisible(); }, 5000));
}

// Recognition hands over through the announcer: the option decides whether the
// names are shown, with the application whose variant runs; the command runs
// either way, and the desktop is asked once a press.
TEST(CommandNoticeTest, RecognisedCommandsAreAnnouncedOnlyWithTheOption) {
    CommandTable table;
    const int remote = table.appendRemote("TV");
    const int command = table.appendCommand(remote, "Mute", 1);
    WriteAction(*table.record(command).Acciones, 0, MakeRunProgramAction("mute"));
    table.select(command);
    ProgramState state;
    CommandNotice notice;
    notice.SetUseNotificationService(false);
    FakePlatform fake;
    VirtualClock clock;
    TSendKeys sendKeys(fake.input, fake.desktop);
    ActionRunner runner(fake.input, fake.desktop, fake.processes, sendKeys, table, state, clock);
    AnnouncingRunner announcing(runner, table, state, notice);

    announcing.RunCommandActions(table.record(command));
    EXPECT_EQ(notice.popup(), nullptr);
    state.setShowCommands(true);
    announcing.RunCommandActions(table.record(command));
    ASSERT_NE(notice.popup(), nullptr);
    EXPECT_EQ(notice.popup()->text(), "<b>TV</b><br>Mute");

    const WindowHandle player = fake.desktop.addWindow("Film");
    fake.desktop.setApplication(player, "mpv");
    fake.desktop.setForeground(player);
    WriteAction(*AddVariant(table.record(command), "mpv", "").Acciones, 0,
                MakeRunProgramAction("mute-mpv"));
    announcing.RunCommandActions(table.record(command));
    EXPECT_EQ(notice.popup()->text(), "<b>TV</b><br>Mute (mpv)");
    EXPECT_EQ(fake.desktop.activeApplicationQueries, 1);
    EXPECT_EQ(fake.log.events(),
              (std::vector<std::string>{"Start(mute)", "Start(mute)", "Start(mute-mpv)"}));
}

}  // namespace
}  // namespace tavrel
