// TraySelectionWatch: XFixes selection events on Qt's own X connection.
//
// Qt's connection rather than one of our own: its reader thread already waits
// on the server's socket, so the events come with no further connection,
// notifier or queue to drain, and in order with all Qt itself hears of the
// panel. That order matters when a panel quits: the server tells of the
// selection's loss before it destroys the panel's window, and Qt goes on
// reporting the tray as there until it has seen that window destroyed.
#include "app/tray_selection_watch.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <string>

// After Qt's headers: Xlib's macros (None, Bool, Status) would break them.
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/xfixesproto.h>
#include <xcb/xcb.h>

namespace tavrel {

TraySelectionWatch::TraySelectionWatch(std::function<void()> changed, QObject* parent)
    : QObject(parent), changed_(std::move(changed)) {
    const auto* x11 = qGuiApp != nullptr
                          ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                          : nullptr;
    Display* display = x11 != nullptr ? x11->display() : nullptr;
    int errorBase = 0;
    if (display == nullptr || !XFixesQueryExtension(display, &eventBase_, &errorBase)) {
        eventBase_ = -1;
        return;
    }
    const int screen = DefaultScreen(display);
    const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(screen);
    selection_ = XInternAtom(display, name.c_str(), False);
    XFixesSelectSelectionInput(display, RootWindow(display, screen), selection_,
                               XFixesSetSelectionOwnerNotifyMask |
                                   XFixesSelectionWindowDestroyNotifyMask |
                                   XFixesSelectionClientCloseNotifyMask);
    owner_ = XGetSelectionOwner(display, selection_);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

TraySelectionWatch::~TraySelectionWatch() {
    if (watching() && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

bool TraySelectionWatch::nativeEventFilter(const QByteArray& eventType, void* message,
                                           qintptr* /*result*/) {
    if (eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const int type = event->response_type & 0x7f;
    if (type == eventBase_ + XFixesSelectionNotify) {
        // The event as it came over the wire; Qt hands every event so.
        const auto* notify = static_cast<const xXFixesSelectionNotifyEvent*>(message);
        if (notify->selection == selection_) {
            owner_ = notify->subtype == XFixesSetSelectionOwnerNotify ? notify->owner : owner_;
            announce();
        }
    } else if (type == XCB_DESTROY_NOTIFY && owner_ != 0) {
        const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
        if (destroyed->window == owner_) {
            owner_ = 0;
            announce();
        }
    }
    return false;
}

// Once Qt has handled the events read with this one.
void TraySelectionWatch::announce() {
    QMetaObject::invokeMethod(
        this, [this] { changed_(); }, Qt::QueuedConnection);
}

}  // namespace tavrel
