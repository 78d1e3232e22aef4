// CommandNotice through org.freedesktop.Notifications or a popup of our own.
#include "app/command_notice.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include "actions/action_runner.h"
#include "commands/command_table.h"
#include "commands/command_variants.h"
#include "commands/program_state.h"
#include "ui/text_edge.h"

#ifdef TAVREL_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>
#endif

namespace tavrel {
namespace {

constexpr int kMarginPx = 24;

}  // namespace

CommandNotice::CommandNotice(QObject* parent) : QObject(parent), hide_(new QTimer(this)) {
    hide_->setSingleShot(true);
    hide_->setInterval(kShowMs);
    connect(hide_, &QTimer::timeout, this, [this] {
        if (popup_ != nullptr) {
            popup_->hide();
        }
    });
}

CommandNotice::~CommandNotice() {
    delete popup_;
}

void CommandNotice::Show(const QString& remote, const QString& command) {
    Show(remote, command, kShowMs);
}

void CommandNotice::ShowMessage(const QString& title, const QString& text) {
    Show(title, text, kMessageMs);
}

void CommandNotice::Show(const QString& title, const QString& text, int milliseconds) {
    if (!useBus_ || !SendToNotificationService(title, text, milliseconds)) {
        ShowPopup(title, text, milliseconds);
    }
}

bool CommandNotice::SendToNotificationService(const QString& remote, const QString& command,
                                              int milliseconds) {
#ifdef TAVREL_HAVE_DBUS
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("transient"), milliseconds == kShowMs);
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(0)));
    notify << QStringLiteral("Tavrel") << uint(lastId_) << QStringLiteral("tavrel") << remote
           << command << QStringList() << hints << milliseconds;
    // Never waited for: the command acts while the service answers, and a
    // service that fails sends this and every later notice to our own window.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(notify), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, remote, command, milliseconds] {
                const QDBusPendingReply<uint> reply = *watcher;
                watcher->deleteLater();
                if (reply.isError()) {
                    useBus_ = false;
                    ShowPopup(remote, command, milliseconds);
                } else {
                    lastId_ = reply.value();
                }
            });
    return true;
#else
    Q_UNUSED(remote);
    Q_UNUSED(command);
    Q_UNUSED(milliseconds);
    return false;
#endif
}

void CommandNotice::ShowPopup(const QString& remote, const QString& command, int milliseconds) {
    if (popup_ == nullptr) {
        // A tool tip window: the window manager neither frames nor focuses it.
        popup_ = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint |
                                         Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
        popup_->setObjectName(QStringLiteral("CommandNotice"));
        popup_->setAttribute(Qt::WA_ShowWithoutActivating);
        popup_->setAttribute(Qt::WA_TransparentForMouseEvents);
        popup_->setFocusPolicy(Qt::NoFocus);
        popup_->setMargin(10);
        popup_->setStyleSheet(QStringLiteral(
            "QLabel { background: #202329; color: white; border: 1px solid #5b606d; }"));
    }
    popup_->setText(
        QStringLiteral("<b>%1</b><br>%2")
            .arg(remote.toHtmlEscaped(),
                 command.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>"))));
    popup_->adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        popup_->move(area.right() - popup_->width() - kMarginPx,
                     area.bottom() - popup_->height() - kMarginPx);
    }
    popup_->show();
    hide_->start(milliseconds);
}

void AnnouncingRunner::RunCommandActions(TComando& command) {
    // The desktop is asked once: the notice names what runs.
    CommandVariant* variant = runner_.ChooseVariant(command);
    const int position = table_.selected();
    if (state_.ShowCommands() && position != kNoNode) {
        QString name = ToQt(table_.label(position));
        if (variant != nullptr) {
            name += QStringLiteral(" (%1)").arg(ToQt(VariantName(*variant)));
        }
        notice_.Show(ToQt(table_.label(table_.parentRemote(position))), name);
    }
    runner_.RunChosen(command, variant);
}

}  // namespace tavrel
