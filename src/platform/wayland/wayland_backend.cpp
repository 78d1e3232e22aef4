// Opening the Wayland backend: what the compositor offers decides which
// parts carry keys, the pointer and windows.
#include "platform/wayland/wayland_backend.h"

#include <wayland-client.h>

#include "platform/read_watch.h"
#include "platform/split_input.h"
#include "platform/trace.h"
#include "platform/uinput/keymap_input.h"
#include "platform/wayland/foreign_toplevels.h"
#include "platform/wayland/seat_keymap.h"
#include "platform/wayland/silent_sound.h"
#include "platform/wayland/virtual_keyboard.h"
#include "platform/wayland/virtual_keymap.h"
#include "platform/wayland/virtual_pointer.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_desktop.h"
#include "virtual-keyboard-unstable-v1-client.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client.h"
#include "wlr-virtual-pointer-unstable-v1-client.h"

namespace tavrel {
namespace {

constexpr char kConnectionClosed[] = "The Wayland display closed the connection.";
constexpr char kNoWindowList[] =
    "This desktop does not let programs list or activate other programs' windows.";

}  // namespace

WaylandBackend::WaylandBackend() = default;

WaylandBackend::~WaylandBackend() {
    // The parts go before the connection they speak through.
    watch_.reset();
    desktop_.reset();
    input_.reset();
    seatKeymap_.reset();
    pointer_.reset();
    keyboard_.reset();
    uinput_.reset();
}

DesktopBackendOpen WaylandBackend::Open(const Options& options) {
    DesktopBackendOpen result;
    std::unique_ptr<WaylandBackend> backend(new WaylandBackend());
    std::string problem = backend->Build(options, true);
    if (backend->connection_ && backend->connection_->error() != 0) {
        // A compositor may advertise a virtual keyboard and then refuse it,
        // which ends the connection: a second one goes without.
        TraceEvent([] { return "desktop: the compositor refused a virtual keyboard"; });
        backend.reset(new WaylandBackend());
        problem = backend->Build(options, false);
    }
    // Without a display, or without the kernel devices asked for, another
    // way in may serve: the chooser goes on.
    if (!backend->connection_ || (options.useUinput && !backend->uinput_)) {
        result.problem = problem;
        return result;
    }
    result.problem = problem;
    result.backend = std::move(backend);
    return result;
}

std::string WaylandBackend::Build(const Options& options, bool virtualKeyboardAllowed) {
    std::string problem;
    connection_ = WaylandConnection::Connect(options.displayName, &problem);
    if (!connection_) {
        return problem;
    }
    WaylandConnection& connection = *connection_;
    wl_seat* seat = connection.seat();
    const bool protocols = !options.useUinput && seat != nullptr;

    if (protocols && virtualKeyboardAllowed &&
        connection.Offers(zwp_virtual_keyboard_manager_v1_interface.name)) {
        std::unique_ptr<VirtualKeymap> keymap = VirtualKeymap::Create(&problem);
        auto* manager = static_cast<zwp_virtual_keyboard_manager_v1*>(
            connection.Bind(&zwp_virtual_keyboard_manager_v1_interface, 1));
        if (keymap && manager != nullptr) {
            keyboard_ = std::make_unique<VirtualKeyboard>(
                connection, zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager, seat),
                std::move(keymap), wait_);
            // The keymap goes first: a keyboard without one may not send keys.
            keyboard_->SendKeymap();
        }
        if (manager != nullptr) {
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(manager));
        }
    }
    if (protocols && connection.Offers(zwlr_virtual_pointer_manager_v1_interface.name)) {
        auto* manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            connection.Bind(&zwlr_virtual_pointer_manager_v1_interface, 1));
        if (manager != nullptr) {
            pointer_ = std::make_unique<VirtualPointer>(
                connection, zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat),
                wait_);
            zwlr_virtual_pointer_manager_v1_destroy(manager);
        }
    }
    if (!connection.Roundtrip()) {
        return kConnectionClosed;
    }

    std::string uinputProblem;
    if (!keyboard_ || !pointer_) {
        KeymapInput::OpenResult opened = KeymapInput::OpenUinput(wait_, options.uinputPath);
        uinputProblem = opened.problem;
        uinput_ = std::move(opened.input);
        if (uinput_ && seat != nullptr) {
            // Kernel devices type on the keymap the compositor gives its clients.
            seatKeymap_ = SeatKeymap::Feeding(seat, *uinput_);
            connection.Roundtrip();
            connection.Roundtrip();
        }
    }

    std::unique_ptr<ForeignToplevels> toplevels;
    if (connection.Offers(zwlr_foreign_toplevel_manager_v1_interface.name)) {
        toplevels = std::make_unique<ForeignToplevels>(
            connection, static_cast<zwlr_foreign_toplevel_manager_v1*>(
                            connection.Bind(&zwlr_foreign_toplevel_manager_v1_interface, 3)));
        // The windows, then each window's state.
        connection.Roundtrip();
        connection.Roundtrip();
    }

    Input* keys = keyboard_ ? static_cast<Input*>(keyboard_.get()) : uinput_.get();
    Input* pointer = pointer_ ? static_cast<Input*>(pointer_.get()) : uinput_.get();
    const bool windows = toplevels != nullptr;
    const std::string noDevices =
        (seat == nullptr ? std::string("The Wayland display has no seat. ") : std::string()) +
        uinputProblem;
    if (keys == nullptr) {
        capabilities_.keys = Ability::No(
            (options.useUinput ? "" : "The compositor offers no virtual keyboard. ") + noDevices);
    }
    if (pointer == nullptr) {
        capabilities_.pointer = Ability::No(
            (options.useUinput ? "" : "The compositor offers no virtual pointer. ") + noDevices);
    }
    if (!windows) {
        capabilities_.windows = Ability::No(kNoWindowList);
    }
    input_ = std::make_unique<SplitInput>(keys, pointer, capabilities_.keys.reason,
                                          capabilities_.pointer.reason);
    desktop_ = std::make_unique<WaylandDesktop>(connection, std::move(toplevels), *input_, wait_);
    sound_ = std::make_unique<SilentSound>();

    if (keys == nullptr || pointer == nullptr) {
        return (keys == nullptr ? capabilities_.keys.reason : capabilities_.pointer.reason) +
               (windows ? "" : " Windows cannot be listed or activated either.");
    }
    return {};
}

std::string WaylandBackend::description() const {
    const char* keys = keyboard_ ? "virtual keyboard" : uinput_ ? "uinput keyboard" : "no keys";
    const char* pointer = pointer_ ? "virtual pointer" : uinput_ ? "uinput pointer" : "no pointer";
    const char* windows =
        capabilities_.windows.available ? "foreign-toplevel windows" : "no window list";
    return std::string("Wayland (") + keys + ", " + pointer + ", " + windows + ")";
}

Input& WaylandBackend::input() {
    return *input_;
}
Desktop& WaylandBackend::desktop() {
    return *desktop_;
}
Sound& WaylandBackend::sound() {
    return *sound_;
}

int WaylandBackend::connectionFd() const {
    return connection_->fd();
}

// A connection that failed is a hang-up: said once, and no longer watched,
// since its descriptor would stay readable for ever.
void WaylandBackend::watchEvents(ReadWatchFactory& watches) {
    watch_ = watches.watchReadable(connection_->fd(), [this] {
        if (connection_->DispatchPending()) {
            return;
        }
        watch_.reset();
        const Ability closed = Ability::No(kConnectionClosed);
        capabilities_ = {closed, closed, closed};
        desktop_->connectionClosed(kConnectionClosed);
        TraceEvent([&] {
            return "desktop: the Wayland display closed the backend's connection (error " +
                   std::to_string(connection_->error()) + "); keys, pointer and windows are " +
                   "unavailable";
        });
    });
}

void WaylandBackend::setMessagePump(std::function<void()> processMessages) {
    wait_.setMessagePump(std::move(processMessages));
}

}  // namespace tavrel
