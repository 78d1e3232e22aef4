// What the main window needs of its icon in the desktop's notification area:
// the window hands it its menu, picture and hint, shows it in running mode,
// and hears a double click and the notification area coming or going. The
// program creates the icon and hands it to the window.
#pragma once

#include <QIcon>
#include <QString>
#include <functional>

class QMenu;

namespace tavrel {

class NotificationIcon {
public:
    virtual ~NotificationIcon() = default;

    // Whether a notification area is there to hold the icon.
    virtual bool Available() const = 0;
    virtual void SetShowIcon(bool show) = 0;
    virtual void SetHint(const QString& hint) = 0;
    virtual void SetIcon(const QIcon& icon) = 0;
    virtual void SetPopupMenu(QMenu* menu) = 0;

    std::function<void()> OnDblClick;
    // The notification area arrived (true) or left (false) while the icon was wanted.
    std::function<void(bool available)> OnAvailabilityChanged;
};

}  // namespace tavrel
