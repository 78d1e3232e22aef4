// Replacing a whole file so that it is never missing or half written: the new
// bytes go to a scratch file beside it, reach the disk, and are renamed over it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace tavrel {

constexpr char kScratchFileName[] = "temporal.tmp";

struct WriteFailure {
    std::string fileName;  // the file that could not be written
    std::string reason;    // the system's words

    std::string message() const { return "Unable to write to " + fileName; }
};

// The directory part of a path, without the final '/'; empty for a bare name.
std::string DirectoryOf(const std::string& path);
// dir + "/" + name, or name alone when dir is empty.
std::string JoinPath(const std::string& dir, const std::string& name);

// Writes bytes to the scratch file in path's directory and renames it onto
// path. On failure path keeps its old contents and the scratch file is removed.
std::optional<WriteFailure> ReplaceFileContents(FileSystem& files, const std::string& path,
                                                std::string_view bytes);

}  // namespace tavrel
