// Hears a StatusNotifierItem host (the D-Bus notification area of Wayland
// desktops and of some X11 ones) come and go: the watcher service gaining or
// losing its owner, and hosts registering with it or leaving it. Signals only;
// the bus is never asked anything while nothing changes.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <functional>

namespace tavrel {

class StatusNotifierWatch : public QObject {
    Q_OBJECT
public:
    StatusNotifierWatch(const QDBusConnection& bus, std::function<void()> changed,
                        QObject* parent = nullptr);

private slots:
    void hostsChanged();

private:
    std::function<void()> changed_;
};

}  // namespace tavrel
