// What the reasons for a device that will not open are made of: the group
// that may use it, and the system's words for an error.
#pragma once

#include <string>

namespace tavrel {

// The group that may read and write the device file, for advice to join it;
// empty when its group may not (a root-only 0600 device belongs to group root
// for nothing) or it cannot be looked at.
std::string GroupThatMayUse(const std::string& path);

// The name this program's user logs in with, for a command that names it;
// "$USER", for the shell to fill in, when it cannot be found.
std::string CurrentUserName();

// strerror's text starting in lower case, to follow "<path>: ".
std::string SystemErrorText(int error);

}  // namespace tavrel
