// The file system of a POSIX system: open/write/fsync/rename, errno as text.
// Paths arrive as the program keeps them, in Windows-1252 (from tavrel.ini and
// the configuration dialog's fields), and become UTF-8 here, at the one edge
// where they meet the system.
#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/text_encoding.h"

namespace tavrel {
namespace {

FileStatus FromErrno(int error) {
    return FileStatus::Failure(std::strerror(error));
}

std::string Native(const std::string& path) {
    return Cp1252ToUtf8(path);
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
    const int fd = ::open(Native(DirectoryOf(path)).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

bool PosixFileSystem::exists(const std::string& path) const {
    struct stat st {};
    return ::stat(Native(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

FileContents PosixFileSystem::readFile(const std::string& path) const {
    FileContents result;
    const int fd = ::open(Native(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.status = FromErrno(errno);
        return result;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
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
    ::close(fd);
    return result;
}

FileStatus PosixFileSystem::writeFileDurably(const std::string& path, std::string_view bytes) {
    const int fd = ::open(Native(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return FromErrno(errno);
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            ::close(fd);
            return FromErrno(error);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        return FromErrno(error);
    }
    // Some file systems report a failed write-back only at close.
    if (::close(fd) != 0) {
        return FromErrno(errno);
    }
    return FileStatus::Success();
}

FileStatus PosixFileSystem::replaceFile(const std::string& from, const std::string& to) {
    if (::rename(Native(from).c_str(), Native(to).c_str()) != 0) {
        return FromErrno(errno);
    }
    SyncDirectoryOf(to);
    return FileStatus::Success();
}

FileStatus PosixFileSystem::removeFile(const std::string& path) {
    if (::unlink(Native(path).c_str()) != 0) {
        return FromErrno(errno);
    }
    return FileStatus::Success();
}

}  // namespace tavrel
