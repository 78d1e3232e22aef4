// What scripts/waystack needs of a compositor besides itself:
//   wayland-helper ready SECONDS   waits until the display answers
//   wayland-helper keyboard        keeps an idle virtual keyboard until ended
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
    tavrel::VirtualKeyboard keyboard(
        *connection,
        zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager, connection->seat()),
        std::move(keymap));
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

}  // namespace

int main(int argc, char* argv[]) {
    if (argc >= 2 && std::strcmp(argv[1], "ready") == 0) {
        return Ready(argc >= 3 ? std::atoi(argv[2]) : 10);
    }
    if (argc >= 2 && std::strcmp(argv[1], "keyboard") == 0) {
        return HoldKeyboard();
    }
    std::fprintf(stderr, "usage: wayland-helper ready SECONDS | keyboard\n");
    return 2;
}
