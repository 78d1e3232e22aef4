// _NET_WM_PING to a window, its answers read from the root window. On xcb,
// whose errors (the window gone when the program ended) are mere events.
#include "window_pinger.h"

#include <poll.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace tavrel::testing {
namespace {

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

}  // namespace

WindowPinger::WindowPinger(unsigned long window, int periodMs)
    : window_(window), periodMs_(periodMs), thread_([this] { run(); }) {}

WindowPinger::~WindowPinger() {
    stop_ = true;
    thread_.join();
}

std::int64_t WindowPinger::worstGapMs() const {
    const std::lock_guard lock(mutex_);
    std::int64_t worst = worst_;
    const Clock::time_point now = Clock::now();
    for (const auto& [number, sent] : waiting_) {
        worst = std::max<std::int64_t>(
            worst, std::chrono::duration_cast<std::chrono::milliseconds>(now - sent).count());
    }
    return worst;
}

int WindowPinger::answers() const {
    const std::lock_guard lock(mutex_);
    return answers_;
}

void WindowPinger::reset() {
    const std::lock_guard lock(mutex_);
    worst_ = 0;
    answers_ = 0;
    for (auto& [number, sent] : waiting_) {
        sent = Clock::now();
    }
}

void WindowPinger::run() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    // The answer goes to the root window, to those who watch it (Qt) or its
    // children (as window managers are told to).
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    const xcb_atom_t protocols = Atom(connection, "WM_PROTOCOLS");
    const xcb_atom_t ping = Atom(connection, "_NET_WM_PING");
    const auto target = static_cast<xcb_window_t>(window_);
    std::uint32_t number = 0;
    Clock::time_point next = Clock::now();
    while (!stop_) {
        if (Clock::now() >= next) {
            xcb_client_message_event_t event{};
            event.response_type = XCB_CLIENT_MESSAGE;
            event.window = target;
            event.type = protocols;
            event.format = 32;
            event.data.data32[0] = ping;
            event.data.data32[1] = ++number;  // stands for the time stamp
            event.data.data32[2] = target;
            {
                const std::lock_guard lock(mutex_);
                waiting_[number] = Clock::now();
            }
            xcb_send_event(connection, 0, target, XCB_EVENT_MASK_NO_EVENT,
                           reinterpret_cast<const char*>(&event));
            xcb_flush(connection);
            next += std::chrono::milliseconds(periodMs_);
        }
        pollfd wait{xcb_get_file_descriptor(connection), POLLIN, 0};
        poll(&wait, 1, 5);
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
            if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE && message->type == protocols &&
                message->data.data32[0] == ping) {
                const std::lock_guard lock(mutex_);
                const auto sent = waiting_.find(message->data.data32[1]);
                if (sent != waiting_.end()) {
                    worst_ = std::max<std::int64_t>(
                        worst_, std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() -
                                                                                      sent->second)
                                    .count());
                    waiting_.erase(sent);
                    ++answers_;
                }
            }
            std::free(event);
        }
    }
    xcb_disconnect(connection);
}

}  // namespace tavrel::testing
