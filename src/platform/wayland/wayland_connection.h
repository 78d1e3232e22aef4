// The backend's own connection to the compositor, apart from the one the
// window toolkit keeps: its globals, and reading what the compositor sent
// without ever blocking the program.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct wl_display;
struct wl_registry;
struct wl_interface;
struct wl_seat;

namespace tavrel {

// The time stamp of an event the backend sends: milliseconds of the
// monotonic clock, wrapping as the protocol's 32 bits do.
inline std::uint32_t EventMilliseconds() {
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

class WaylandConnection {
public:
    // Connects to name (nullptr: WAYLAND_DISPLAY, else wayland-0) and learns
    // the globals. Null, with the reason in *problem, when it cannot.
    static std::unique_ptr<WaylandConnection> Connect(const char* name, std::string* problem);
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    wl_display* display() const { return display_; }
    int fd() const;
    // The first seat; null when the compositor has none.
    wl_seat* seat() const { return seat_; }

    // Binds the global of this interface at the highest version both know;
    // null when the compositor does not offer it.
    void* Bind(const wl_interface* interface, std::uint32_t highestVersion);
    bool Offers(const char* interfaceName) const;

    // Sends what is queued and waits for the compositor to handle it, its
    // answers dispatched. False once the connection has failed.
    bool Roundtrip();
    // Dispatches what has arrived, reading without blocking. False once the
    // connection has failed.
    bool DispatchPending();
    void Flush();
    // The protocol error or system error that ended the connection; 0 while fine.
    int error() const;

private:
    struct Global {
        std::uint32_t name;
        std::string interface;
        std::uint32_t version;
    };

    explicit WaylandConnection(wl_display* display);
    static void OnGlobal(void* data, wl_registry* registry, std::uint32_t name,
                         const char* interface, std::uint32_t version);
    static void OnGlobalRemove(void* data, wl_registry* registry, std::uint32_t name);

    wl_display* display_;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    std::vector<Global> globals_;
};

}  // namespace tavrel
