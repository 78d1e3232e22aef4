// Opening the Plasma backend: what KWin offers this program decides.
#include "platform/plasma/plasma_backend.h"

#include <wayland-client.h>

#include <algorithm>

#include "fake-input-client.h"
#include "plasma-window-management-client.h"
#include "platform/plasma/fake_input.h"
#include "platform/plasma/plasma_windows.h"
#include "platform/read_watch.h"
#include "platform/uinput/keymap_input.h"
#include "platform/wayland/seat_keymap.h"
#include "platform/wayland/silent_sound.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_desktop.h"

namespace tavrel {
namespace {

constexpr char kUntrusted[] =
    "KWin offers its fake input only to programs that an installed desktop file names "
    "(X-KDE-Wayland-Interfaces), and this copy of Tavrel is not one: install it (its menu entry "
    "carries that line), or start the installed program.";
constexpr char kNoWindows[] =
    "KWin does not let this copy of Tavrel list or activate other programs' windows (the "
    "installed desktop file's X-KDE-Wayland-Interfaces line does).";

}  // namespace

PlasmaBackend::PlasmaBackend() = default;

PlasmaBackend::~PlasmaBackend() {
    // The parts go before the connection they speak through.
    watch_.reset();
    desktop_.reset();
    seatKeymap_.reset();
    input_.reset();
}

DesktopBackendOpen PlasmaBackend::Open(const Options& options) {
    DesktopBackendOpen result;
    std::unique_ptr<PlasmaBackend> backend(new PlasmaBackend());
    backend->connection_ = WaylandConnection::Connect(options.displayName, &result.problem);
    if (!backend->connection_) {
        return result;
    }
    WaylandConnection& connection = *backend->connection_;
    auto* fake = static_cast<org_kde_kwin_fake_input*>(
        connection.Bind(&org_kde_kwin_fake_input_interface, FakeInput::kKeysVersion));
    if (fake == nullptr) {
        result.problem = kUntrusted;
        return result;
    }
    const bool keys =
        wl_proxy_get_version(reinterpret_cast<wl_proxy*>(fake)) >= FakeInput::kKeysVersion;
    backend->input_ = KeymapInput::WithDefaultLayout(std::make_unique<FakeInput>(connection, fake),
                                                     backend->wait_, &result.problem);
    if (connection.seat() != nullptr) {
        backend->seatKeymap_ = SeatKeymap::Feeding(connection.seat(), *backend->input_);
    }
    std::unique_ptr<PlasmaWindows> windows;
    if (auto* manager = static_cast<org_kde_plasma_window_management*>(
            connection.Bind(&org_kde_plasma_window_management_interface, PlasmaWindows::kVersion));
        manager != nullptr && wl_proxy_get_version(reinterpret_cast<wl_proxy*>(manager)) >=
                                  ORG_KDE_PLASMA_WINDOW_MANAGEMENT_WINDOW_WITH_UUID_SINCE_VERSION) {
        windows = std::make_unique<PlasmaWindows>(connection, manager);
    } else if (manager != nullptr) {
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(manager));
    }
    // The keymap and the windows, then each window's state.
    connection.Roundtrip();
    connection.Roundtrip();
    connection.Roundtrip();
    if (!keys) {
        backend->capabilities_.keys =
            Ability::No("This KWin's fake input carries no keys (it is older than Plasma 5.24).");
        result.problem = backend->capabilities_.keys.reason;
    }
    if (!windows) {
        backend->capabilities_.windows = Ability::No(kNoWindows);
    }
    backend->desktop_ = std::make_unique<WaylandDesktop>(
        connection, std::move(windows), *backend->input_, backend->wait_, kNoWindows);
    backend->sound_ = std::make_unique<SilentSound>();
    result.backend = std::move(backend);
    return result;
}

std::string PlasmaBackend::description() const {
    return capabilities_.windows.available ? "Plasma (KWin fake input, KWin window management)"
                                           : "Plasma (KWin fake input, no window list)";
}

Input& PlasmaBackend::input() {
    return *input_;
}
Desktop& PlasmaBackend::desktop() {
    return *desktop_;
}
Sound& PlasmaBackend::sound() {
    return *sound_;
}

void PlasmaBackend::setMessagePump(std::function<void()> processMessages) {
    wait_.setMessagePump(std::move(processMessages));
}

void PlasmaBackend::watchEvents(ReadWatchFactory& watches) {
    watch_ = watches.watchReadable(connection_->fd(), [this] { connection_->DispatchPending(); });
}

}  // namespace tavrel
