// StatusNotifierWatch over a service watcher and two signal matches.
#include "app/status_notifier_watch.h"

#include <QDBusServiceWatcher>

namespace tavrel {
namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");

}  // namespace

StatusNotifierWatch::StatusNotifierWatch(const QDBusConnection& bus, std::function<void()> changed,
                                         QObject* parent)
    : QObject(parent), changed_(std::move(changed)) {
    if (!bus.isConnected()) {
        return;
    }
    auto* owner = new QDBusServiceWatcher(kWatcherService, bus,
                                          QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(owner, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &StatusNotifierWatch::hostsChanged);
    QDBusConnection connection(bus);
    for (const char* signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"}) {
        connection.connect(kWatcherService, QStringLiteral("/StatusNotifierWatcher"),
                           kWatcherService, QString::fromLatin1(signal), this,
                           SLOT(hostsChanged()));
    }
}

void StatusNotifierWatch::hostsChanged() {
    changed_();
}

}  // namespace tavrel
