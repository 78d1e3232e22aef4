// _NET_WM_PING to a window, its answers read from the root window.
#include "window_pinger.h"

#include <X11/Xlib.h>
#include <poll.h>

#include <algorithm>

namespace tavrel::testing {

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
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return;
    }
    const Window root = DefaultRootWindow(display);
    // The answer goes to the root window, to those who watch its children.
    XSelectInput(display, root, SubstructureNotifyMask);
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom ping = XInternAtom(display, "_NET_WM_PING", False);
    long number = 0;
    Clock::time_point next = Clock::now();
    while (!stop_) {
        if (Clock::now() >= next) {
            XEvent event{};
            event.xclient.type = ClientMessage;
            event.xclient.window = window_;
            event.xclient.message_type = protocols;
            event.xclient.format = 32;
            event.xclient.data.l[0] = static_cast<long>(ping);
            event.xclient.data.l[1] = ++number;  // stands for the time stamp
            event.xclient.data.l[2] = static_cast<long>(window_);
            {
                const std::lock_guard lock(mutex_);
                waiting_[number] = Clock::now();
            }
            XSendEvent(display, window_, False, NoEventMask, &event);
            XFlush(display);
            next += std::chrono::milliseconds(periodMs_);
        }
        pollfd wait{ConnectionNumber(display), POLLIN, 0};
        poll(&wait, 1, 5);
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != ClientMessage || event.xclient.message_type != protocols ||
                static_cast<Atom>(event.xclient.data.l[0]) != ping) {
                continue;
            }
            const std::lock_guard lock(mutex_);
            const auto sent = waiting_.find(event.xclient.data.l[1]);
            if (sent != waiting_.end()) {
                worst_ = std::max<std::int64_t>(
                    worst_, std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() -
                                                                                  sent->second)
                                .count());
                waiting_.erase(sent);
                ++answers_;
            }
        }
    }
    XCloseDisplay(display);
}

}  // namespace tavrel::testing
