// The file system of a POSIX system: open/write/fsync/rename, errno as text.
// Scratch files are named temporal-XXXXXXXX.tmp and locked (flock) while in use.
#pragma once

#include <map>
#include <string>

#include "platform/file_system.h"
#include "platform/posix/unique_fd.h"

namespace tavrel {

class PosixFileSystem : public FileSystem {
public:
    bool exists(const std::string& path) const override;
    FileContents readFile(const std::string& path) const override;
    std::string linkTarget(const std::string& path) const override;
    FileStatus replaceable(const std::string& path) const override;
    ScratchFile writeScratchFile(const std::string& directory, std::string_view bytes,
                                 const std::string& modelFile) override;
    void removeStaleScratchFiles(const std::string& directory) override;
    FileStatus replaceFile(const std::string& from, const std::string& to) override;
    FileStatus renameToFreshName(const std::string& from, const std::string& to) override;
    FileStatus removeFile(const std::string& path) override;
    FileStatus appendToFile(const std::string& path, std::string_view bytes) override;

private:
    // Follows links from a UTF-8 path, as far as they go.
    static std::string nativeLinkTarget(const std::string& path);

    // The scratch files written and not yet renamed or removed, each with a
    // descriptor that holds its lock: a writer that is alive keeps its
    // scratch file locked, so only one whose writer died is ever stale.
    std::map<std::string, UniqueFd> scratchInUse_;
};

}  // namespace tavrel
