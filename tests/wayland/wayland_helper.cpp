// What scripts/waystack needs of a compositor besides itself:
//   wayland-helper ready SECONDS   waits until the display answers
//   wayland-helper keyboard        keeps an idle virtual keyboard until ended
//   wayland-helper gnome-keyboard  the same through a GNOME remote desktop session
//   wayland-helper locale LAYOUT   tells GNOME the keyboard layout, as the
//                                  system's locale service does
//   wayland-helper silent-gnome    holds GNOME's remote desktop name on the
//                                  session bus and never answers a call
// A seat whose only keyboard comes and goes makes clients drop keys and lose
// the focus, so the desktop keeps one keyboard for the whole run, as a
// physical one would be.
#include <signal.h>
#include <unistd.h>
#include <wayland-client.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <linux/input-event-codes.h>
#include <systemd/sd-bus.h>

#include "platform/event_loop_wait.h"
#include "platform/gnome/remote_desktop.h"
#include "platform/wayland/virtual_keyboard.h"
#include "platform/wayland/virtual_keymap.h"
#include "platform/wayland/wayland_connection.h"
#include "virtual-keyboard-unstable-v1-client.h"

namespace {

volatile sig_atomic_t ending = 0;

void End(int) {
    ending = 1;
}

int Ready(int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        std::string problem;
        if (auto connection = tavrel::WaylandConnection::Connect(nullptr, &problem);
            connection && connection->seat() != nullptr) {
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::fprintf(stderr, "wayland-helper: the display did not answer\n");
    return 1;
}

int HoldKeyboard() {
    std::string problem;
    auto connection = tavrel::WaylandConnection::Connect(nullptr, &problem);
    auto keymap = tavrel::VirtualKeymap::Create(&problem);
    auto* manager = connection ? static_cast<zwp_virtual_keyboard_manager_v1*>(connection->Bind(
                                     &zwp_virtual_keyboard_manager_v1_interface, 1))
                               : nullptr;
    if (manager == nullptr || !keymap || connection->seat() == nullptr) {
        std::fprintf(stderr, "wayland-helper: no virtual keyboard: %s\n", problem.c_str());
        return 1;
    }
    tavrel::EventLoopWait wait;
    tavrel::VirtualKeyboard keyboard(
        *connection,
        zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager, connection->seat()),
        std::move(keymap), wait);
    keyboard.SendKeymap();
    if (!connection->Roundtrip()) {
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    signal(SIGTERM, End);
    signal(SIGINT, End);
    while (ending == 0 && connection->DispatchPending()) {
        pause();
    }
    return 0;
}

// Waits for the end, reading the bus meanwhile.
int ServeUntilEnded(sd_bus* bus) {
    std::puts("ready");
    std::fflush(stdout);
    signal(SIGTERM, End);
    signal(SIGINT, End);
    while (ending == 0) {
        const int processed = sd_bus_process(bus, nullptr);
        if (processed < 0) {
            return 1;
        }
        if (processed == 0) {
            sd_bus_wait(bus, 100000);
        }
    }
    return 0;
}

int HoldGnomeKeyboard() {
    auto opened = tavrel::RemoteDesktopSession::Open(std::chrono::seconds(10));
    if (!opened.session) {
        std::fprintf(stderr, "wayland-helper: %s\n", opened.problem.c_str());
        return 1;
    }
    // GNOME makes the session's keyboard with its first key: a Shift tap.
    opened.session->Key(KEY_LEFTSHIFT, true);
    opened.session->Key(KEY_LEFTSHIFT, false);
    std::puts("ready");
    std::fflush(stdout);
    signal(SIGTERM, End);
    signal(SIGINT, End);
    while (ending == 0 && opened.session->Dispatch()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
}

// org.freedesktop.locale1's keyboard properties, which GNOME's compositor
// reads for its keymap when no shell tells it one.
int ServeLocale(const char* layout) {
    sd_bus* bus = nullptr;
    if (sd_bus_open_system(&bus) < 0) {
        std::fprintf(stderr, "wayland-helper: no bus for the locale service\n");
        return 1;
    }
    static std::string keyboardLayout;
    keyboardLayout = layout;
    static const auto property = [](sd_bus*, const char*, const char*, const char* name,
                                    sd_bus_message* reply, void*, sd_bus_error*) {
        return sd_bus_message_append(
            reply, "s", std::strcmp(name, "X11Layout") == 0 ? keyboardLayout.c_str() : "");
    };
    static const sd_bus_vtable vtable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_PROPERTY("X11Layout", "s", property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("X11Variant", "s", property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("X11Options", "s", property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("X11Model", "s", property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_VTABLE_END};
    if (sd_bus_add_object_vtable(bus, nullptr, "/org/freedesktop/locale1",
                                 "org.freedesktop.locale1", vtable, nullptr) < 0 ||
        sd_bus_request_name(bus, "org.freedesktop.locale1", 0) < 0) {
        std::fprintf(stderr, "wayland-helper: the locale service cannot be offered\n");
        return 1;
    }
    const int result = ServeUntilEnded(bus);
    sd_bus_flush_close_unref(bus);
    return result;
}

// A hostile peer: GNOME's remote desktop service that takes every call and
// answers none.
int ServeSilence() {
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0 ||
        sd_bus_add_fallback(
            bus, nullptr, "/",
            [](sd_bus_message*, void*, sd_bus_error*) { return 1; },  // taken, never answered
            nullptr) < 0 ||
        sd_bus_request_name(bus, "org.gnome.Mutter.RemoteDesktop", 0) < 0) {
        std::fprintf(stderr, "wayland-helper: the silent service cannot be offered\n");
        return 1;
    }
    const int result = ServeUntilEnded(bus);
    sd_bus_flush_close_unref(bus);
    return result;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc >= 2 && std::strcmp(argv[1], "ready") == 0) {
        return Ready(argc >= 3 ? std::atoi(argv[2]) : 10);
    }
    if (argc >= 2 && std::strcmp(argv[1], "keyboard") == 0) {
        return HoldKeyboard();
    }
    if (argc >= 2 && std::strcmp(argv[1], "gnome-keyboard") == 0) {
        return HoldGnomeKeyboard();
    }
    if (argc >= 3 && std::strcmp(argv[1], "locale") == 0) {
        return ServeLocale(argv[2]);
    }
    if (argc >= 2 && std::strcmp(argv[1], "silent-gnome") == 0) {
        return ServeSilence();
    }
    std::fprintf(stderr,
                 "usage: wayland-helper ready SECONDS | keyboard | gnome-keyboard | locale "
                 "LAYOUT | silent-gnome\n");
    return 2;
}
