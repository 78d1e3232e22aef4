// Listening to the seat's keyboard for its keymap and layout.
#include "platform/wayland/seat_keymap.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include "platform/posix/unique_fd.h"
#include "platform/trace.h"
#include "platform/uinput/keymap_input.h"

namespace tavrel {

SeatKeymap::SeatKeymap(wl_seat* seat, std::function<void(std::string_view)> onKeymap,
                       std::function<void(unsigned)> onLayout)
    : seat_(seat), onKeymap_(std::move(onKeymap)), onLayout_(std::move(onLayout)) {
    static const wl_seat_listener listener = {&SeatKeymap::OnCapabilities,
                                              [](void*, wl_seat*, const char*) {}};
    wl_seat_add_listener(seat_, &listener, this);
}

std::unique_ptr<SeatKeymap> SeatKeymap::Feeding(wl_seat* seat, KeymapInput& input) {
    return std::make_unique<SeatKeymap>(
        seat,
        [&input](std::string_view text) {
            const std::string refused = input.SetKeymap(text);
            if (!refused.empty()) {
                TraceEvent([&] { return "keys: the desktop's keymap: " + refused; });
            }
        },
        [&input](unsigned layout) { input.SetActiveLayout(layout); });
}

SeatKeymap::~SeatKeymap() {
    if (keyboard_ != nullptr) {
        if (wl_keyboard_get_version(keyboard_) >= WL_KEYBOARD_RELEASE_SINCE_VERSION) {
            wl_keyboard_release(keyboard_);
        } else {
            wl_keyboard_destroy(keyboard_);
        }
    }
}

void SeatKeymap::OnCapabilities(void* data, wl_seat* seat, std::uint32_t capabilities) {
    auto* self = static_cast<SeatKeymap*>(data);
    if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) == 0 || self->keyboard_ != nullptr) {
        return;
    }
    static const wl_keyboard_listener listener = {
        &SeatKeymap::OnKeymap,
        [](void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {},  // enter
        [](void*, wl_keyboard*, std::uint32_t, wl_surface*) {},             // leave
        [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {},
        &SeatKeymap::OnModifiers,
        [](void*, wl_keyboard*, std::int32_t, std::int32_t) {},  // repeat_info
    };
    self->keyboard_ = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(self->keyboard_, &listener, self);
}

void SeatKeymap::OnKeymap(void* data, wl_keyboard* /*keyboard*/, std::uint32_t format, int fd,
                          std::uint32_t size) {
    auto* self = static_cast<SeatKeymap*>(data);
    const UniqueFd file(fd);
    if (format != WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 || size == 0) {
        return;
    }
    void* mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, file.get(), 0);
    if (mapped == MAP_FAILED) {
        return;
    }
    self->received_ = true;
    self->onKeymap_(std::string_view(static_cast<const char*>(mapped), size));
    munmap(mapped, size);
}

void SeatKeymap::OnModifiers(void* data, wl_keyboard* /*keyboard*/, std::uint32_t /*serial*/,
                             std::uint32_t /*depressed*/, std::uint32_t /*latched*/,
                             std::uint32_t /*locked*/, std::uint32_t group) {
    static_cast<SeatKeymap*>(data)->onLayout_(group);
}

}  // namespace tavrel
