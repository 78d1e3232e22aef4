// The on-screen confirmation without a notification service: a small window
// that never takes the focus, shows remote and command, and goes by itself.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "app/command_notice.h"
#include "commands/command_table.h"
#include "commands/program_state.h"

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

class CountingRunner : public CommandRunner {
public:
    void RunCommandActions(TComando&) override { ++runs; }
    int runs = 0;
};

// Recognition hands over through the announcer: the option decides whether the
// names are shown; the command runs either way.
TEST(CommandNoticeTest, RecognisedCommandsAreAnnouncedOnlyWithTheOption) {
    CommandTable table;
    const int remote = table.appendRemote("TV");
    const int command = table.appendCommand(remote, "Mute", 1);
    table.select(command);
    ProgramState state;
    CommandNotice notice;
    notice.SetUseNotificationService(false);
    CountingRunner runner;
    AnnouncingRunner announcing(runner, table, state, notice);

    announcing.RunCommandActions(table.record(command));
    EXPECT_EQ(notice.popup(), nullptr);
    state.setShowCommands(true);
    announcing.RunCommandActions(table.record(command));
    ASSERT_NE(notice.popup(), nullptr);
    EXPECT_EQ(notice.popup()->text(), "<b>TV</b><br>Mute");
    EXPECT_EQ(runner.runs, 2);
}

}  // namespace
}  // namespace tavrel
