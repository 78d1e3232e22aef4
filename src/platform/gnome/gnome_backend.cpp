// Opening the GNOME backend: the Wayland display for GNOME's keymap, the
// session bus for the remote desktop session.
#include "platform/gnome/gnome_backend.h"

#include "platform/gnome/remote_desktop.h"
#include "platform/read_watch.h"
#include "platform/uinput/keymap_input.h"
#include "platform/wayland/seat_keymap.h"
#include "platform/wayland/silent_sound.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_desktop.h"
#include "platform/wayland/window_list.h"

namespace tavrel {
namespace {

constexpr char kNoWindows[] =
    "GNOME does not let programs list or activate other programs' windows.";

}  // namespace

GnomeBackend::GnomeBackend() = default;

GnomeBackend::~GnomeBackend() {
    // The parts go before the connections they speak through.
    busWatch_.reset();
    displayWatch_.reset();
    desktop_.reset();
    seatKeymap_.reset();
    input_.reset();
}

DesktopBackendOpen GnomeBackend::Open(const Options& options) {
    DesktopBackendOpen result;
    std::unique_ptr<GnomeBackend> backend(new GnomeBackend());
    backend->connection_ = WaylandConnection::Connect(options.displayName, &result.problem);
    if (!backend->connection_) {
        return result;
    }
    RemoteDesktopSession::OpenResult opened = RemoteDesktopSession::Open(options.longest);
    if (!opened.session) {
        result.problem = std::move(opened.problem);
        return result;
    }
    backend->session_ = opened.session.get();
    backend->input_ =
        KeymapInput::WithDefaultLayout(std::move(opened.session), backend->wait_, &result.problem);
    WaylandConnection& connection = *backend->connection_;
    if (connection.seat() != nullptr) {
        // The keymap GNOME gives its clients, once its seat has a keyboard.
        backend->seatKeymap_ = SeatKeymap::Feeding(connection.seat(), *backend->input_);
        connection.Roundtrip();
        connection.Roundtrip();
    }
    backend->desktop_ = std::make_unique<WaylandDesktop>(connection, nullptr, *backend->input_,
                                                         backend->wait_, kNoWindows);
    backend->sound_ = std::make_unique<SilentSound>();
    result.backend = std::move(backend);
    return result;
}

Input& GnomeBackend::input() {
    return *input_;
}
Desktop& GnomeBackend::desktop() {
    return *desktop_;
}
Sound& GnomeBackend::sound() {
    return *sound_;
}

DesktopCapabilities GnomeBackend::capabilities() const {
    DesktopCapabilities can;
    can.windows = Ability::No(kNoWindows);
    return can;
}

void GnomeBackend::setMessagePump(std::function<void()> processMessages) {
    wait_.setMessagePump(std::move(processMessages));
}

void GnomeBackend::watchEvents(ReadWatchFactory& watches) {
    busWatch_ = watches.watchReadable(session_->fd(), [this] { session_->Dispatch(); });
    displayWatch_ =
        watches.watchReadable(connection_->fd(), [this] { connection_->DispatchPending(); });
}

}  // namespace tavrel
