// The recording Wayland test window.
#include "wayland_test_window.h"

#include <linux/input-event-codes.h>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "platform/uinput/xkb_layout.h"
#include "xdg-shell-client.h"

namespace tavrel::test {

struct WaylandTestWindow::Client {
    WaylandTestWindow* owner = nullptr;
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    xdg_wm_base* shell = nullptr;
    wl_seat* seat = nullptr;
    wl_keyboard* keyboard = nullptr;
    wl_pointer* pointer = nullptr;
    wl_surface* surface = nullptr;
    xdg_surface* shellSurface = nullptr;
    xdg_toplevel* toplevel = nullptr;
    wl_buffer* buffer = nullptr;
    int width = 320, height = 200;
    int pendingWidth = 0, pendingHeight = 0;  // from the last configure
    xkb_context* xkb = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_keymap* keymap = nullptr;
    xkb_state* state = nullptr;
    // Dead keys compose as in any real client, with the locale's table.
    xkb_compose_table* composeTable = xkb_compose_table_new_from_locale(
        xkb, tavrel::XkbComposeLocale(), XKB_COMPOSE_COMPILE_NO_FLAGS);
    xkb_compose_state* compose =
        composeTable != nullptr ? xkb_compose_state_new(composeTable, XKB_COMPOSE_STATE_NO_FLAGS)
                                : nullptr;

    ~Client() {
        const auto destroy = [](auto* proxy) {
            if (proxy != nullptr) {
                wl_proxy_destroy(reinterpret_cast<wl_proxy*>(proxy));
            }
        };
        destroy(buffer);
        destroy(toplevel);
        destroy(shellSurface);
        destroy(surface);
        destroy(keyboard);
        destroy(pointer);
        destroy(seat);
        destroy(shell);
        destroy(shm);
        destroy(compositor);
        destroy(registry);
        if (state != nullptr) {
            xkb_state_unref(state);
        }
        if (keymap != nullptr) {
            xkb_keymap_unref(keymap);
        }
        xkb_compose_state_unref(compose);
        xkb_compose_table_unref(composeTable);
        xkb_context_unref(xkb);
        if (display != nullptr) {
            wl_display_disconnect(display);
        }
    }

    void Paint(int w, int h) {
        width = w > 0 ? w : width;
        height = h > 0 ? h : height;
        const int stride = width * 4;
        const int size = stride * height;
        const int fd = memfd_create("tavrel-test-window", MFD_CLOEXEC);
        if (fd < 0 || ftruncate(fd, size) != 0) {
            return;
        }
        void* pixels = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (pixels != MAP_FAILED) {
            std::memset(pixels, 0xFF, size);
            munmap(pixels, size);
        }
        wl_shm_pool* pool = wl_shm_create_pool(shm, fd, size);
        if (buffer != nullptr) {
            wl_buffer_destroy(buffer);
        }
        buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
        wl_shm_pool_destroy(pool);
        close(fd);
        wl_surface_attach(surface, buffer, 0, 0);
        wl_surface_damage(surface, 0, 0, width, height);
        wl_surface_commit(surface);
    }

    unsigned Mods() const {
        unsigned mods = 0;
        if (state == nullptr) {
            return mods;
        }
        const auto active = [this](const char* name) {
            return xkb_state_mod_name_is_active(state, name, XKB_STATE_MODS_EFFECTIVE) > 0;
        };
        mods |= active(XKB_MOD_NAME_SHIFT) ? kShiftBit : 0;
        mods |= active(XKB_MOD_NAME_CTRL) ? kControlBit : 0;
        mods |= active(XKB_MOD_NAME_ALT) ? kAltBit : 0;
        return mods;
    }
};

namespace {

using Client = WaylandTestWindow::Client;

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version) {
    auto* c = static_cast<Client*>(data);
    const std::string which = interface;
    if (which == wl_compositor_interface.name) {
        c->compositor = static_cast<wl_compositor*>(
            wl_registry_bind(registry, name, &wl_compositor_interface, 4));
    } else if (which == wl_shm_interface.name) {
        c->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    } else if (which == xdg_wm_base_interface.name) {
        c->shell =
            static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
    } else if (which == wl_seat_interface.name && c->seat == nullptr) {
        c->seat = static_cast<wl_seat*>(
            wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, 5u)));
    }
}

const wl_registry_listener kRegistry = {OnGlobal, [](void*, wl_registry*, std::uint32_t) {}};

const xdg_wm_base_listener kShell = {
    [](void*, xdg_wm_base* shell, std::uint32_t serial) { xdg_wm_base_pong(shell, serial); }};

const xdg_toplevel_listener kToplevel = {
    [](void* data, xdg_toplevel*, std::int32_t w, std::int32_t h, wl_array*) {
        auto* c = static_cast<Client*>(data);
        c->pendingWidth = w;
        c->pendingHeight = h;
    },
    [](void* data, xdg_toplevel*) {
        auto* c = static_cast<Client*>(data);
        // As a real client does: the window goes.
        xdg_toplevel_destroy(c->toplevel);
        c->toplevel = nullptr;
        xdg_surface_destroy(c->shellSurface);
        c->shellSurface = nullptr;
        // The surface itself stays until the end: events on their way may
        // still name it.
        c->owner->Record([](WindowRecords& r) { r.closeRequested = r.destroyed = true; });
    },
    [](void*, xdg_toplevel*, std::int32_t, std::int32_t) {},  // configure_bounds
    [](void*, xdg_toplevel*, wl_array*) {},                   // wm_capabilities
};

const xdg_surface_listener kShellSurface = {
    [](void* data, xdg_surface* surface, std::uint32_t serial) {
        auto* c = static_cast<Client*>(data);
        xdg_surface_ack_configure(surface, serial);
        c->Paint(c->pendingWidth, c->pendingHeight);
        c->owner->Record([](WindowRecords& r) { r.mapped = true; });
    }};

const wl_keyboard_listener kKeyboard = {
    [](void* data, wl_keyboard*, std::uint32_t format, int fd, std::uint32_t size) {
        auto* c = static_cast<Client*>(data);
        void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        close(fd);
        if (format != WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 || text == MAP_FAILED) {
            return;
        }
        xkb_keymap* keymap =
            xkb_keymap_new_from_string(c->xkb, static_cast<const char*>(text),
                                       XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
        munmap(text, size);
        if (keymap == nullptr) {
            return;
        }
        if (c->state != nullptr) {
            xkb_state_unref(c->state);
            xkb_keymap_unref(c->keymap);
        }
        c->keymap = keymap;
        c->state = xkb_state_new(keymap);
    },
    [](void* data, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {
        static_cast<Client*>(data)->owner->Record([](WindowRecords& r) { r.focused = true; });
    },
    [](void* data, wl_keyboard*, std::uint32_t, wl_surface*) {
        static_cast<Client*>(data)->owner->Record([](WindowRecords& r) { r.focused = false; });
    },
    [](void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key,
       std::uint32_t pressed) {
        auto* c = static_cast<Client*>(data);
        if (c->state == nullptr) {
            return;
        }
        KeyRecord record;
        record.at = std::chrono::steady_clock::now();
        record.press = pressed == WL_KEYBOARD_KEY_STATE_PRESSED;
        record.keycode = key + 8;
        record.keysym = record.typed = xkb_state_key_get_one_sym(c->state, key + 8);
        if (record.press && c->compose != nullptr &&
            xkb_compose_state_feed(c->compose, record.keysym) == XKB_COMPOSE_FEED_ACCEPTED) {
            switch (xkb_compose_state_get_status(c->compose)) {
                case XKB_COMPOSE_COMPOSING:
                    record.typed = XKB_KEY_NoSymbol;
                    break;
                case XKB_COMPOSE_COMPOSED:
                    record.typed = xkb_compose_state_get_one_sym(c->compose);
                    xkb_compose_state_reset(c->compose);
                    break;
                case XKB_COMPOSE_CANCELLED:
                    xkb_compose_state_reset(c->compose);
                    break;
                default:
                    break;
            }
        }
        record.state = c->Mods();
        c->owner->Record([&](WindowRecords& r) { r.keys.push_back(record); });
    },
    [](void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed, std::uint32_t latched,
       std::uint32_t locked, std::uint32_t group) {
        auto* c = static_cast<Client*>(data);
        if (c->state != nullptr) {
            xkb_state_update_mask(c->state, depressed, latched, locked, 0, 0, group);
        }
    },
    [](void*, wl_keyboard*, std::int32_t, std::int32_t) {},
};

void Motion(Client* c, wl_fixed_t x) {
    const int at = wl_fixed_to_int(x);
    c->owner->Record([at](WindowRecords& r) { r.motionX.push_back(at); });
}

const wl_pointer_listener kPointer = {
    [](void* data, wl_pointer*, std::uint32_t, wl_surface*, wl_fixed_t x, wl_fixed_t) {
        Motion(static_cast<Client*>(data), x);
    },
    [](void*, wl_pointer*, std::uint32_t, wl_surface*) {},
    [](void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t) {
        Motion(static_cast<Client*>(data), x);
    },
    [](void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button,
       std::uint32_t pressed) {
        const unsigned number = button == BTN_LEFT ? 1 : button == BTN_MIDDLE ? 2 : 3;
        static_cast<Client*>(data)->owner->Record([&](WindowRecords& r) {
            r.buttons.push_back({pressed == WL_POINTER_BUTTON_STATE_PRESSED, number});
        });
    },
    [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {},
    [](void*, wl_pointer*) {},
    [](void*, wl_pointer*, std::uint32_t) {},
    [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {},
    [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
    [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},  // axis_value120
};

const wl_seat_listener kSeat = {
    [](void* data, wl_seat* seat, std::uint32_t capabilities) {
        auto* c = static_cast<Client*>(data);
        if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0 && c->keyboard == nullptr) {
            c->keyboard = wl_seat_get_keyboard(seat);
            wl_keyboard_add_listener(c->keyboard, &kKeyboard, c);
        }
        if ((capabilities & WL_SEAT_CAPABILITY_POINTER) != 0 && c->pointer == nullptr) {
            c->pointer = wl_seat_get_pointer(seat);
            wl_pointer_add_listener(c->pointer, &kPointer, c);
        }
    },
    [](void*, wl_seat*, const char*) {},
};

}  // namespace

WaylandTestWindow::WaylandTestWindow(const std::string& title, const std::string& appId)
    : client_(std::make_unique<Client>()) {
    Client& c = *client_;
    c.owner = this;
    c.display = wl_display_connect(nullptr);
    if (c.display == nullptr) {
        throw std::runtime_error("WaylandTestWindow: no Wayland display");
    }
    c.registry = wl_display_get_registry(c.display);
    wl_registry_add_listener(c.registry, &kRegistry, &c);
    wl_display_roundtrip(c.display);
    if (c.compositor == nullptr || c.shm == nullptr || c.shell == nullptr) {
        throw std::runtime_error("WaylandTestWindow: the compositor lacks xdg-shell");
    }
    xdg_wm_base_add_listener(c.shell, &kShell, &c);
    if (c.seat != nullptr) {
        wl_seat_add_listener(c.seat, &kSeat, &c);
    }
    c.surface = wl_compositor_create_surface(c.compositor);
    c.shellSurface = xdg_wm_base_get_xdg_surface(c.shell, c.surface);
    xdg_surface_add_listener(c.shellSurface, &kShellSurface, &c);
    c.toplevel = xdg_surface_get_toplevel(c.shellSurface);
    xdg_toplevel_add_listener(c.toplevel, &kToplevel, &c);
    xdg_toplevel_set_title(c.toplevel, title.c_str());
    xdg_toplevel_set_app_id(c.toplevel, appId.c_str());
    // Over the whole output, so that the pointer is over it wherever it is
    // (a tiling compositor fills the output anyway).
    xdg_toplevel_set_maximized(c.toplevel);
    wl_surface_commit(c.surface);
    wl_display_flush(c.display);
    pump_ = std::thread(&WaylandTestWindow::Pump, this);
}

WaylandTestWindow::~WaylandTestWindow() {
    stop_ = true;
    pump_.join();
    // Events still queued hold objects the window already let go of.
    wl_display_roundtrip(client_->display);
}

void WaylandTestWindow::Pump() {
    wl_display* display = client_->display;
    while (!stop_) {
        while (wl_display_prepare_read(display) != 0) {
            wl_display_dispatch_pending(display);
        }
        wl_display_flush(display);
        pollfd fd{wl_display_get_fd(display), POLLIN, 0};
        if (poll(&fd, 1, 10) > 0) {
            wl_display_read_events(display);
        } else {
            wl_display_cancel_read(display);
        }
        if (wl_display_dispatch_pending(display) < 0) {
            break;
        }
    }
}

void WaylandTestWindow::Record(const std::function<void(WindowRecords&)>& change) {
    std::lock_guard lock(mutex_);
    change(records_);
    changed_.notify_all();
}

bool WaylandTestWindow::WaitFor(const std::function<bool(const WindowRecords&)>& ready,
                                std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return ready(records_); });
}

WindowRecords WaylandTestWindow::records() const {
    std::lock_guard lock(mutex_);
    return records_;
}

void WaylandTestWindow::ClearRecords() {
    std::lock_guard lock(mutex_);
    records_.keys.clear();
    records_.buttons.clear();
    records_.motionX.clear();
    records_.messages.clear();
}

void WaylandTest::SetUp() {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    if (display != nullptr && *display != '\0') {
        return;
    }
    const char* require = std::getenv("TAVREL_REQUIRE_WAYLAND");
    if (require != nullptr && std::string(require) == "1") {
        FAIL() << "TAVREL_REQUIRE_WAYLAND=1 but WAYLAND_DISPLAY is not set";
    }
    GTEST_SKIP() << "no Wayland display (run under scripts/waystack)";
}

}  // namespace tavrel::test
