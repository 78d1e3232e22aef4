// What the POSIX file system's sources share: paths turned into the system's
// encoding, errno turned into the system's words.
#pragma once

#include <cstring>
#include <string>

#include "platform/file_system.h"
#include "platform/text_encoding.h"

namespace tavrel {

// Paths arrive in Windows-1252, as the program keeps them, and are UTF-8 on disk.
inline std::string Native(const std::string& path) {
    return Cp1252ToUtf8(path);
}

inline FileStatus FromErrno(int error) {
    return FileStatus::Failure(std::strerror(error));
}

// The directory part of a native path: "." for a bare name, "/" for the root.
inline std::string NativeDirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace tavrel
