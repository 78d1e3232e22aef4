// TrayIcon over QSystemTrayIcon.
#include "app/tray_icon.h"

#include <QMenu>
#include <QSystemTrayIcon>

#include "app/tray_selection_watch.h"
#include "platform/trace.h"

#ifdef TAVREL_HAVE_DBUS
#include "app/status_notifier_watch.h"
#endif

namespace tavrel {

TrayIcon::TrayIcon(QObject* parent)
    : QObject(parent),
      tray_(new QSystemTrayIcon(this)),
      probe_([] { return QSystemTrayIcon::isSystemTrayAvailable(); }) {
    // A system tray (X11) or a StatusNotifierItem host (D-Bus): either may
    // hold the icon, so a change of either is a reason to look again.
    const auto changed = [this] {
        if (show_) {
            CheckAvailability();
        }
    };
    new TraySelectionWatch(changed, this);
#ifdef TAVREL_HAVE_DBUS
    new StatusNotifierWatch(QDBusConnection::sessionBus(), changed, this);
#endif
    connect(tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
                // The context menu opens by itself on the right button.
                if (why == QSystemTrayIcon::DoubleClick && OnDblClick) {
                    OnDblClick();
                } else if (why == QSystemTrayIcon::Trigger && OnClick) {
                    OnClick();
                }
            });
}

TrayIcon::~TrayIcon() {
    tray_->hide();
}

bool TrayIcon::Available() const {
    return probe_();
}

bool TrayIcon::Visible() const {
    return tray_->isVisible();
}

void TrayIcon::SetShowIcon(bool show) {
    show_ = show;
    wasAvailable_ = Available();
    Update();
}

void TrayIcon::CheckAvailability() {
    const bool available = Available();
    if (available == wasAvailable_) {
        return;
    }
    wasAvailable_ = available;
    TraceEvent([available] {
        return available ? "notification area: arrived" : "notification area: gone";
    });
    Update();
    if (OnAvailabilityChanged) {
        OnAvailabilityChanged(available);
    }
}

// The title line keeps to the tip's classic length; the reason below it is
// what the user acts on, and desktops here show a tip of any length.
QString TrayIcon::Tip() const {
    const qsizetype lineEnd = hint_.indexOf(u'\n');
    const QString title = hint_.left(lineEnd < 0 ? hint_.size() : lineEnd).left(kMaxTipLength);
    return lineEnd < 0 ? title : title + hint_.mid(lineEnd);
}

void TrayIcon::SetHint(const QString& hint) {
    if (hint == hint_) {
        return;
    }
    hint_ = hint;
    tray_->setToolTip(Tip());
}

void TrayIcon::SetIcon(const QIcon& icon) {
    tray_->setIcon(icon);
    Update();
}

void TrayIcon::SetPopupMenu(QMenu* menu) {
    tray_->setContextMenu(menu);
}

void TrayIcon::Update() {
    tray_->setVisible(show_ && !tray_->icon().isNull() && Available());
}

}  // namespace tavrel
