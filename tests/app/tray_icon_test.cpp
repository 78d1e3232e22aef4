// The tray icon component: shown only on request and with a notification
// area, a capped tip, and clicks routed to their events.
#include <gtest/gtest.h>

#include <QMenu>
#include <QSystemTrayIcon>

#include "app/tray_icon.h"
#include "ui/images.h"

namespace tavrel {
namespace {

TEST(TrayIconTest, OffscreenHasNoNotificationArea) {
    TrayIcon tray;
    tray.SetIcon(ProgramIcon());
    EXPECT_FALSE(tray.Available());
    tray.SetShowIcon(true);
    EXPECT_TRUE(tray.ShowIcon());
    EXPECT_FALSE(tray.Visible());
}

TEST(TrayIconTest, ShownExactlyWhileRequestedAndHoldingAnImage) {
    TrayIcon tray;
    tray.SetAvailabilityProbe([] { return true; });
    tray.SetShowIcon(true);
    EXPECT_FALSE(tray.Visible());  // no image yet
    tray.SetIcon(ProgramIcon());
    EXPECT_TRUE(tray.Visible());
    tray.SetShowIcon(false);
    EXPECT_FALSE(tray.Visible());
}

// A panel started after Tavrel, or restarted: the icon follows it, and the
// owner hears of each change once.
TEST(TrayIconTest, FollowsTheNotificationAreaArrivingAndLeaving) {
    TrayIcon tray;
    bool area = false;
    std::vector<bool> heard;
    tray.SetAvailabilityProbe([&area] { return area; });
    tray.OnAvailabilityChanged = [&heard](bool available) { heard.push_back(available); };
    tray.SetIcon(ProgramIcon());
    tray.SetShowIcon(true);
    EXPECT_FALSE(tray.Visible());

    area = true;
    tray.CheckAvailability();
    tray.CheckAvailability();
    EXPECT_TRUE(tray.Visible());
    area = false;
    tray.CheckAvailability();
    EXPECT_FALSE(tray.Visible());
    EXPECT_EQ(heard, (std::vector<bool>{true, false}));
}

TEST(TrayIconTest, LongHintIsCutSoTheTipNeverOverruns) {
    TrayIcon tray;
    const QString hint = QStringLiteral("Tavrel 3.0 (") + QString(80, QChar('x')) + ')';
    tray.SetHint(hint);
    EXPECT_EQ(tray.Hint(), hint);
    EXPECT_EQ(tray.Tip().size(), TrayIcon::kMaxTipLength);
    EXPECT_EQ(tray.systemTrayIcon()->toolTip(), tray.Tip());
    tray.SetHint(QStringLiteral("Tavrel 3.0 (Inactive)"));
    EXPECT_EQ(tray.systemTrayIcon()->toolTip(), "Tavrel 3.0 (Inactive)");

    // The reason below the title is shown in full: it says what to do.
    const QString reason = QStringLiteral(
        "/dev/ttyS1: permission denied (the device belongs to the group dialout; add your user "
        "to it with \"sudo adduser alice dialout\", then log out and in again)");
    tray.SetHint(hint + '\n' + reason);
    EXPECT_EQ(tray.systemTrayIcon()->toolTip(), hint.left(TrayIcon::kMaxTipLength) + '\n' + reason);
}

TEST(TrayIconTest, ClicksReachTheirEventsAndTheMenuIsTheContextMenu) {
    TrayIcon tray;
    int clicks = 0;
    int doubleClicks = 0;
    emit tray.systemTrayIcon()->activated(QSystemTrayIcon::Trigger);  // no OnClick set: nothing
    tray.OnClick = [&] { ++clicks; };
    tray.OnDblClick = [&] { ++doubleClicks; };
    emit tray.systemTrayIcon()->activated(QSystemTrayIcon::Trigger);
    emit tray.systemTrayIcon()->activated(QSystemTrayIcon::DoubleClick);
    emit tray.systemTrayIcon()->activated(QSystemTrayIcon::Context);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(doubleClicks, 1);
    QMenu menu;
    tray.SetPopupMenu(&menu);
    EXPECT_EQ(tray.systemTrayIcon()->contextMenu(), &menu);
}

TEST(NodeImagesTest, FiveDistinctSixteenPixelImages) {
    for (int i = 0; i < kNodeImageCount; ++i) {
        const QImage image = NodeImage(i).toImage();
        EXPECT_EQ(image.size(), QSize(16, 16));
        for (int j = 0; j < i; ++j) {
            EXPECT_NE(image, NodeImage(j).toImage()) << i << " equals " << j;
        }
    }
    for (const QIcon& icon : {ProgramIcon(), InactiveIcon()}) {
        EXPECT_FALSE(icon.pixmap(22, 22).isNull());
    }
    EXPECT_NE(ProgramIcon().pixmap(22, 22).toImage(), InactiveIcon().pixmap(22, 22).toImage());
}

}  // namespace
}  // namespace tavrel
