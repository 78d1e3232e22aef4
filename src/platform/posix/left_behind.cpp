// Telling a file or folder left behind by a killed owner from one in use.
#include "platform/posix/left_behind.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

namespace tavrel {

UniqueFd LockIfLeftBehind(const std::string& path, bool directory) {
    struct stat named {};
    if (::lstat(path.c_str(), &named) != 0 || named.st_uid != ::geteuid() ||
        !(directory ? S_ISDIR(named.st_mode) : S_ISREG(named.st_mode))) {
        return {};
    }
    UniqueFd opened(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC |
                                             (directory ? O_DIRECTORY : 0)));
    struct stat held {};
    // In use (locked), or no longer the one looked at: left alone.
    if (!opened || ::fstat(opened.get(), &held) != 0 || held.st_ino != named.st_ino ||
        held.st_dev != named.st_dev || ::flock(opened.get(), LOCK_EX | LOCK_NB) != 0) {
        return {};
    }
    return opened;
}

}  // namespace tavrel
