// Tells when a socket appears at a path: a daemon that restarts binds its
// socket anew, and the client that lost it can connect at once instead of at
// its next retry. The socket's folder is watched (inotify) on the message
// loop; without that folder nothing is watched and the retries alone remain.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/posix/unique_fd.h"
#include "platform/read_watch.h"

namespace tavrel {

class SocketAppearance {
public:
    // onAppeared runs on the message loop each time a file is created, moved
    // in or changed at path; it may destroy this object.
    SocketAppearance(const std::string& path, ReadWatchFactory& watches,
                     std::function<void()> onAppeared);
    bool watching() const { return static_cast<bool>(watch_); }

private:
    void readEvents();

    std::string name_;
    UniqueFd inotify_;
    std::unique_ptr<ReadWatch> watch_;
    std::function<void()> onAppeared_;
};

}  // namespace tavrel
