// Files and folders whose owner keeps them locked (flock) for as long as it
// uses them: one of this user's that nobody holds locked was left by an owner
// that was killed, and may be removed.
#pragma once

#include <string>

#include "platform/posix/unique_fd.h"

namespace tavrel {

// When path is a regular file (or, with directory, a folder), not a link, of
// this user, and no owner holds its lock: a descriptor of it that now holds
// the lock. Empty otherwise.
UniqueFd LockIfLeftBehind(const std::string& path, bool directory);

}  // namespace tavrel
