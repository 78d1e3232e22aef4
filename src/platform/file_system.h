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
    // Creates or truncates the file with the mode and owner of modelFile when
    // that exists (the owner only as far as the process may), writes all bytes
    // and waits until they are on disk, so that a later replaceFile never
    // exposes a half-written file.
    virtual FileStatus writeFileDurably(const std::string& path, std::string_view bytes,
                                        const std::string& modelFile) = 0;
    // Renames from onto to in one step: to names either the old or the new
    // file at every moment. Both must be on the same file system.
    virtual FileStatus replaceFile(const std::string& from, const std::string& to) = 0;
    virtual FileStatus removeFile(const std::string& path) = 0;
};

}  // namespace tavrel
