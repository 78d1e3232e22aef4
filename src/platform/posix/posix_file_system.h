// The file system of a POSIX system: open/write/fsync/rename, errno as text.
#pragma once

#include "platform/file_system.h"

namespace tavrel {

class PosixFileSystem : public FileSystem {
public:
    bool exists(const std::string& path) const override;
    FileContents readFile(const std::string& path) const override;
    std::string linkTarget(const std::string& path) const override;
    FileStatus replaceable(const std::string& path) const override;
    FileStatus writeFileDurably(const std::string& path, std::string_view bytes,
                                const std::string& modelFile) override;
    FileStatus replaceFile(const std::string& from, const std::string& to) override;
    FileStatus removeFile(const std::string& path) override;

private:
    // Follows links from a UTF-8 path, as far as they go.
    static std::string nativeLinkTarget(const std::string& path);
};

}  // namespace tavrel
