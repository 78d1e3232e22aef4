// The file system of a POSIX system: open/write/fsync/rename, errno as text.
#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/unique_fd.h"

namespace tavrel {
namespace {

FileStatus FromErrno(int error) {
    return FileStatus::Failure(std::strerror(error));
}

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A rename is only durable once the directory entry itself is on disk.
void SyncDirectoryOf(const std::string& path) {
    const UniqueFd directory(::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory) {
        ::fsync(directory.get());
    }
}

}  // namespace

bool PosixFileSystem::exists(const std::string& path) const {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

FileContents PosixFileSystem::readFile(const std::string& path) const {
    FileContents result;
    const UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file) {
        result.status = FromErrno(errno);
        return result;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
        if (n > 0) {
            result.bytes.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            result.status = FromErrno(errno);
            result.bytes.clear();
            break;
        }
    }
    return result;
}

FileStatus PosixFileSystem::writeFileDurably(const std::string& path, std::string_view bytes) {
    UniqueFd file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!file) {
        return FromErrno(errno);
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(file.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return FromErrno(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(file.get()) != 0) {
        return FromErrno(errno);
    }
    // Some file systems report a failed write-back only at close.
    if (const int error = file.close(); error != 0) {
        return FromErrno(error);
    }
    return FileStatus::Success();
}

FileStatus PosixFileSystem::replaceFile(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        return FromErrno(errno);
    }
    SyncDirectoryOf(to);
    return FileStatus::Success();
}

FileStatus PosixFileSystem::removeFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0) {
        return FromErrno(errno);
    }
    return FileStatus::Success();
}

}  // namespace tavrel
