// Replacing a whole file so that it is never missing or half written: the new
// bytes go to a scratch file beside it, reach the disk, and are renamed over it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace tavrel {

struct WriteFailure {
    std::string fileName;  // the file that could not be written
    std::string reason;    // the system's words

    // What the user is told: the file, and on the next line why (a full
    // disk, a missing permission), when the system said.
    std::string message() const {
        return "Unable to write to " + fileName + (reason.empty() ? "" : "\n" + reason);
    }
};

// The message for a file that exists but could not be used: its name and why.
std::string UnableToRead(const std::string& fileName, const std::string& reason);

// The directory part of a path, without the final '/'; empty for a bare name.
std::string DirectoryOf(const std::string& path);
// dir + "/" + name, or name alone when dir is empty.
std::string JoinPath(const std::string& dir, const std::string& name);

// Who proves that a file about to be replaced can be read: the check itself,
// or the caller, which reads the whole file anyway and fails when it cannot.
enum class ReadCheck { Needed, ByCaller };

// Why path must not be replaced: it is read-only, or it exists but cannot be
// read (a device, or a file the user could not open); nothing when it may be.
std::optional<WriteFailure> CheckReplaceable(const FileSystem& files, const std::string& path,
                                             ReadCheck readCheck = ReadCheck::Needed);

// Writes bytes to a new scratch file in the directory of the file path
// finally names (through symbolic links), with that file's mode and owner, and
// renames it onto that file. Scratch files that killed writers left there are
// removed first. Refused as CheckReplaceable says. A file that already holds
// exactly these bytes is not touched at all. On failure the file keeps its
// old contents and the scratch file is removed.
std::optional<WriteFailure> ReplaceFileContents(FileSystem& files, const std::string& path,
                                                std::string_view bytes,
                                                ReadCheck readCheck = ReadCheck::Needed);

// Removes the scratch files that killed writers left beside the file path
// finally names; the file itself is not touched. ReplaceFileContents does it
// whether it writes or not, and so must a caller that finds nothing to write.
void ClearStaleScratchFiles(FileSystem& files, const std::string& path);

// Writes bytes as the file path, whatever holds that name now (a link there
// is replaced itself, never followed), with the mode and owner of the file
// original names; through a scratch file and a rename like ReplaceFileContents.
std::optional<WriteFailure> KeepCopy(FileSystem& files, const std::string& path,
                                     std::string_view bytes, const std::string& original);

// The same copy under a name beside path that nothing had ("<path>.1",
// "<path>.2", ...), made exclusively: for a path that cannot be replaced (in
// a folder everyone writes to, another user's file or link). The name taken,
// or nothing when none could be.
std::optional<std::string> KeepCopyUnderFreshName(FileSystem& files, const std::string& path,
                                                  std::string_view bytes,
                                                  const std::string& original);

}  // namespace tavrel
