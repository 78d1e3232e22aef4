// Whole-file access for the core: reading, durable writing and atomic
// replacement, with failures described in the system's own words.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace tavrel {

// Success, or why an operation failed (the system's error text).
struct [[nodiscard]] FileStatus {
    std::string error;  // empty on success

    bool ok() const { return error.empty(); }
    static FileStatus Success() { return {}; }
    static FileStatus Failure(std::string why) { return {std::move(why)}; }
};

struct [[nodiscard]] FileContents {
    std::string bytes;
    FileStatus status;
};

// A file written to be renamed over another: where it is, or why it could not
// be written (then nothing of it is left).
struct [[nodiscard]] ScratchFile {
    std::string path;
    FileStatus status;
};

// No real commands, settings or translation file comes near this size.
constexpr std::uint64_t kLargestReadableFile = 64ull * 1024 * 1024;

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // True when the path names something that is not a directory.
    virtual bool exists(const std::string& path) const = 0;
    // Reads a regular file of at most kLargestReadableFile bytes; a device, a
    // FIFO or a larger file is refused, and opening never blocks.
    virtual FileContents readFile(const std::string& path) const = 0;
    // The file a path finally names: symbolic links are followed (a dangling
    // one gives the path it points to); any other path is returned as it is.
    virtual std::string linkTarget(const std::string& path) const = 0;
    // Success when path is missing, or is a file this process may replace; a
    // file without any write permission counts as read-only even for root.
    virtual FileStatus replaceable(const std::string& path) const = 0;
    // Writes bytes to a new file in directory (empty: the current one) under
    // a name that no file had: it is made exclusively, never through a link
    // someone put there. The file gets the mode and owner of modelFile when
    // that exists (the owner only as far as the process may), and the bytes
    // are on disk on return, so that a later replaceFile never exposes a
    // half-written file. Until replaceFile or removeFile takes it, it is a
    // scratch file in use, which removeStaleScratchFiles leaves alone.
    virtual ScratchFile writeScratchFile(const std::string& directory, std::string_view bytes,
                                         const std::string& modelFile) = 0;
    // Removes the scratch files in directory that writers left behind when
    // they were killed: only this user's own regular files, never a link or
    // another user's file, and none still in use by a writer.
    virtual void removeStaleScratchFiles(const std::string& directory) = 0;
    // Renames from onto to in one step: to names either the old or the new
    // file at every moment. Both must be on the same file system.
    virtual FileStatus replaceFile(const std::string& from, const std::string& to) = 0;
    // The same rename, only while nothing at all has the name to (anyone's
    // file or link): never replaces, fails instead.
    virtual FileStatus renameToFreshName(const std::string& from, const std::string& to) = 0;
    virtual FileStatus removeFile(const std::string& path) = 0;
    // Appends bytes to a regular file, created when missing, or writes them
    // to a FIFO that has a reader. It never waits: a FIFO nobody reads, or
    // one too full to take the bytes, is a failure. A link is not followed,
    // and anything else (a device, a directory) is refused.
    virtual FileStatus appendToFile(const std::string& path, std::string_view bytes) = 0;
};

}  // namespace tavrel
