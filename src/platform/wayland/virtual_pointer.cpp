// mouse_event as virtual pointer motion and button events.
#include "platform/wayland/virtual_pointer.h"

#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include "platform/event_loop_wait.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/windows.h"
#include "wlr-virtual-pointer-unstable-v1-client.h"

namespace tavrel {
namespace {

std::uint32_t EvdevButton(MouseButton button) {
    switch (button) {
        case MouseButton::Left:
            return BTN_LEFT;
        case MouseButton::Right:
            return BTN_RIGHT;
        case MouseButton::Middle:
            return BTN_MIDDLE;
    }
    return BTN_LEFT;
}

}  // namespace

VirtualPointer::VirtualPointer(WaylandConnection& connection, zwlr_virtual_pointer_v1* pointer,
                               EventLoopWait& wait)
    : connection_(connection),
      pointer_(pointer),
      wait_(wait),
      created_(std::chrono::steady_clock::now()) {}

VirtualPointer::~VirtualPointer() {
    zwlr_virtual_pointer_v1_destroy(pointer_);
    connection_.Flush();
}

void VirtualPointer::mouse_event(std::uint32_t flags, std::int32_t dx, std::int32_t dy) {
    if (!settled_) {
        settled_ = true;
        const auto ready = created_ + kSettle;
        wait_.Until([ready] { return std::chrono::steady_clock::now() >= ready; }, kSettle);
    }
    if ((flags & MOUSEEVENTF_MOVE) != 0) {
        zwlr_virtual_pointer_v1_motion(pointer_, EventMilliseconds(), wl_fixed_from_int(dx),
                                       wl_fixed_from_int(dy));
        zwlr_virtual_pointer_v1_frame(pointer_);
    }
    for (const MouseButtonEvent& event : kMouseButtonEvents) {
        if ((flags & event.flag) != 0) {
            zwlr_virtual_pointer_v1_button(
                pointer_, EventMilliseconds(), EvdevButton(event.button),
                event.press ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
            zwlr_virtual_pointer_v1_frame(pointer_);
        }
    }
    connection_.Flush();
}

}  // namespace tavrel
