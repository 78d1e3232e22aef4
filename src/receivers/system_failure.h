// The open failures every kind of receiver shares, from the system's error:
// a device that is not there, one this user may not use (with the group that
// may, and this user's name, for the advice), or the system's own words.
#pragma once

#include <string>

#include "receivers/receiver.h"

namespace tavrel {

OpenFailure FailureOfKind(OpenFailure::Kind kind, const std::string& path);

// Each kind looks first at the errors that mean something of its own (a
// serial line in use, a daemon not running) and leaves the rest to this.
OpenFailure SystemOpenFailure(const std::string& path, int error);

}  // namespace tavrel
