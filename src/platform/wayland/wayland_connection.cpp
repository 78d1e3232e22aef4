// Connecting, the registry, and non-blocking reads.
#include "platform/wayland/wayland_connection.h"

#include <poll.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tavrel {
namespace {

constexpr std::uint32_t kSeatVersion = 5;

}  // namespace

std::unique_ptr<WaylandConnection> WaylandConnection::Connect(const char* name,
                                                              std::string* problem) {
    wl_display* display = wl_display_connect(name);
    if (display == nullptr) {
        const char* shown = name != nullptr ? name : std::getenv("WAYLAND_DISPLAY");
        *problem = std::string("Cannot connect to the Wayland display \"") +
                   (shown != nullptr ? shown : "wayland-0") + "\": " + std::strerror(errno) + ".";
        return nullptr;
    }
    std::unique_ptr<WaylandConnection> connection(new WaylandConnection(display));
    if (!connection->Roundtrip()) {
        *problem = "The Wayland display closed the connection at once.";
        return nullptr;
    }
    connection->seat_ = static_cast<wl_seat*>(connection->Bind(&wl_seat_interface, kSeatVersion));
    return connection;
}

WaylandConnection::WaylandConnection(wl_display* display) : display_(display) {
    static const wl_registry_listener listener = {&WaylandConnection::OnGlobal,
                                                  &WaylandConnection::OnGlobalRemove};
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &listener, this);
}

WaylandConnection::~WaylandConnection() {
    if (seat_ != nullptr) {
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(seat_));
    }
    wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
}

void WaylandConnection::OnGlobal(void* data, wl_registry* /*registry*/, std::uint32_t name,
                                 const char* interface, std::uint32_t version) {
    static_cast<WaylandConnection*>(data)->globals_.push_back({name, interface, version});
}

void WaylandConnection::OnGlobalRemove(void* data, wl_registry* /*registry*/, std::uint32_t name) {
    auto& globals = static_cast<WaylandConnection*>(data)->globals_;
    globals.erase(std::remove_if(globals.begin(), globals.end(),
                                 [name](const Global& g) { return g.name == name; }),
                  globals.end());
}

int WaylandConnection::fd() const {
    return wl_display_get_fd(display_);
}

bool WaylandConnection::Offers(const char* interfaceName) const {
    return std::any_of(globals_.begin(), globals_.end(),
                       [interfaceName](const Global& g) { return g.interface == interfaceName; });
}

void* WaylandConnection::Bind(const wl_interface* interface, std::uint32_t highestVersion) {
    for (const Global& global : globals_) {
        if (global.interface == interface->name) {
            const std::uint32_t version = std::min(
                {global.version, highestVersion, static_cast<std::uint32_t>(interface->version)});
            return wl_registry_bind(registry_, global.name, interface, version);
        }
    }
    return nullptr;
}

bool WaylandConnection::Roundtrip() {
    return wl_display_roundtrip(display_) >= 0;
}

bool WaylandConnection::DispatchPending() {
    while (wl_display_prepare_read(display_) != 0) {
        if (wl_display_dispatch_pending(display_) < 0) {
            return false;
        }
    }
    wl_display_flush(display_);
    pollfd readable{fd(), POLLIN, 0};
    if (poll(&readable, 1, 0) > 0) {
        if (wl_display_read_events(display_) < 0) {
            return false;
        }
    } else {
        wl_display_cancel_read(display_);
    }
    return wl_display_dispatch_pending(display_) >= 0;
}

void WaylandConnection::Flush() {
    wl_display_flush(display_);
}

int WaylandConnection::error() const {
    return wl_display_get_error(display_);
}

}  // namespace tavrel
