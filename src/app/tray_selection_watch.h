// Hears, on X11, the notification area's manager selection (_NET_SYSTEM_TRAY_S<screen>)
// change hands: a panel that starts, ends or dies. Events only; nothing is asked
// of the server while nothing changes.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <functional>

namespace tavrel {

class TraySelectionWatch : public QObject, public QAbstractNativeEventFilter {
public:
    // changed runs from the event loop after each change of owner, and once
    // more when the window of an owner that left is destroyed. Without an X11
    // display under Qt (Wayland, offscreen) the watch hears nothing.
    explicit TraySelectionWatch(std::function<void()> changed, QObject* parent = nullptr);
    ~TraySelectionWatch() override;

    bool watching() const { return eventBase_ >= 0; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void announce();

    std::function<void()> changed_;
    int eventBase_ = -1;
    unsigned long selection_ = 0;
    // The panel's window while it owns the selection; 0 when there is none.
    unsigned long owner_ = 0;
};

}  // namespace tavrel
