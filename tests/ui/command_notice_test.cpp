// The on-screen confirmation without a notification service: a small window
// that never takes the focus, shows remote and command, and goes by itself.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "command_notice.h"

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

}  // namespace
}  // namespace tavrel
