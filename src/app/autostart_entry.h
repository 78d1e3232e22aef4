// The XDG autostart entry that starts Tavrel at login:
// <configuration directory>/autostart/tavrel.desktop, written or removed.
#pragma once

#include <optional>
#include <string>

#include "commands/safe_file_write.h"
#include "platform/file_system.h"

namespace tavrel {

class AutostartEntry {
public:
    // configHome is the user's configuration directory ($XDG_CONFIG_HOME), in
    // Windows-1252 like every path the file system takes.
    AutostartEntry(FileSystem& files, std::string configHome);

    const std::string& path() const { return path_; }
    // True while an entry exists that the desktop will start (not Hidden).
    bool Enabled() const;
    // Writes an entry that starts executable, or removes it. A failure
    // changes nothing and is returned.
    std::optional<WriteFailure> SetEnabled(bool on, const std::string& executable);

private:
    FileSystem& files_;
    std::string directory_;
    std::string path_;
};

// The entry's text for the program at executable, quoted for Exec.
std::string AutostartDesktopEntry(const std::string& executable);

}  // namespace tavrel
