// inotify on the socket's folder, its events read when they arrive.
#include "receivers/lircd/socket_appearance.h"

#include <sys/inotify.h>

#include <array>
#include <cstring>

#include "platform/trace.h"

namespace tavrel {

SocketAppearance::SocketAppearance(const std::string& path, ReadWatchFactory& watches,
                                   std::function<void()> onAppeared)
    : onAppeared_(std::move(onAppeared)) {
    const auto slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    name_ = slash == std::string::npos ? path : path.substr(slash + 1);
    inotify_ = UniqueFd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!inotify_ || inotify_add_watch(inotify_.get(), folder.c_str(),
                                       IN_CREATE | IN_MOVED_TO | IN_ATTRIB) < 0) {
        const int error = errno;
        TraceEvent([&] { return "lircd: " + folder + " not watched: " + std::strerror(error); });
        inotify_.close();
        return;
    }
    watch_ = watches.watchReadable(inotify_.get(), [this] { readEvents(); });
}

void SocketAppearance::readEvents() {
    // One read a wake-up; what is left makes the folder readable again.
    alignas(inotify_event) std::array<char, 4096> buffer;
    bool appeared = false;
    const ssize_t got = read(inotify_.get(), buffer.data(), buffer.size());
    for (ssize_t at = 0; at < got;) {
        inotify_event event;
        std::memcpy(&event, buffer.data() + at, sizeof event);
        const char* name = buffer.data() + at + sizeof event;
        appeared = appeared || (event.len > 0 && name_ == name);
        at += static_cast<ssize_t>(sizeof event + event.len);
    }
    if (appeared) {
        // A copy: the handler may end this object.
        const std::function<void()> handler = onAppeared_;
        handler();
    }
}

}  // namespace tavrel
