// The notification-area icon: shown or removed on request, a hint whose title
// line never overruns the tip, a double click, a left click and the right button's menu.
// While it is wanted, it hears of the notification area arriving or leaving
// (a panel started after Tavrel, as at login, or restarted) from the desktop's
// own events, so an idle program is never woken to look.
#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <functional>

#include "ui/notification_icon.h"

class QMenu;
class QSystemTrayIcon;

namespace tavrel {

class TrayIcon : public QObject, public NotificationIcon {
    Q_OBJECT
public:
    // The longest title line the tip shows; a longer one is cut to it. The
    // lines below it (why the port is closed) are shown in full.
    static constexpr int kMaxTipLength = 63;

    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    // Whether a notification area is there to hold the icon. Replaceable for tests.
    bool Available() const override;
    void SetAvailabilityProbe(std::function<bool()> probe) { probe_ = std::move(probe); }
    // Looks again whether the notification area is there, as the watches do
    // on every event of theirs.
    void CheckAvailability();

    void SetShowIcon(bool show) override;
    bool ShowIcon() const { return show_; }
    // True while the icon really sits in the notification area.
    bool Visible() const;

    void SetHint(const QString& hint) override;
    const QString& Hint() const { return hint_; }
    QString Tip() const;

    void SetIcon(const QIcon& icon) override;
    void SetPopupMenu(QMenu* menu) override;

    std::function<void()> OnClick;

    QSystemTrayIcon* systemTrayIcon() const { return tray_; }

private:
    void Update();

    QSystemTrayIcon* tray_;
    std::function<bool()> probe_;
    bool wasAvailable_ = false;
    QString hint_;
    bool show_ = false;
};

}  // namespace tavrel
