// The file system of a POSIX system: open/write/fsync/rename, errno as text.
// Paths arrive as the program keeps them, in Windows-1252 (from tavrel.ini and
// the configuration dialog's fields), and become UTF-8 here, at the one edge
// where they meet the system: each operation converts its paths once.
#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/posix/posix_file_helpers.h"
#include "platform/posix/unique_fd.h"

namespace tavrel {
namespace {

// A rename is only durable once the directory entry itself is on disk.
void SyncDirectoryOf(const std::string& path) {
    const UniqueFd directory(
        ::open(NativeDirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory) {
        ::fsync(directory.get());
    }
}

// Why an append was refused, where the system's words would mislead.
constexpr char kLinkNotFollowed[] = "A symbolic link, which is not followed";
constexpr char kFifoWithoutReader[] = "A FIFO that nobody reads";
constexpr char kFifoFull[] = "A FIFO too full to take the line";
constexpr char kNotRegular[] = "Not a regular file";

FileStatus Refused(const char* why) {
    return FileStatus::Failure(why);
}

// A log goes to a regular file, or to a FIFO that a program reads.
FileStatus CheckAppendable(const struct stat& st) {
    if (S_ISLNK(st.st_mode)) {
        return Refused(kLinkNotFollowed);
    }
    return S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode) ? FileStatus::Success()
                                                       : Refused(kNotRegular);
}

// More links than this in a row is a loop.
constexpr int kMostLinksFollowed = 40;

// Only a regular file is read: a device could give endless bytes and a FIFO
// could wait forever for a writer.
FileStatus CheckReadable(const struct stat& st) {
    if (!S_ISREG(st.st_mode)) {
        return Refused(kNotRegular);
    }
    if (static_cast<std::uint64_t>(st.st_size) > kLargestReadableFile) {
        return FromErrno(EFBIG);
    }
    return FileStatus::Success();
}

}  // namespace

bool PosixFileSystem::exists(const std::string& storedPath) const {
    const std::string path = Native(storedPath);
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

FileContents PosixFileSystem::readFile(const std::string& storedPath) const {
    const std::string path = Native(storedPath);
    FileContents result;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        result.status = FromErrno(errno);
        return result;
    }
    if (result.status = CheckReadable(st); !result.status.ok()) {
        return result;
    }
    // Non-blocking, in case the path was swapped for a FIFO since the stat.
    const UniqueFd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file) {
        result.status = FromErrno(errno);
        return result;
    }
    if (::fstat(file.get(), &st) != 0) {
        result.status = FromErrno(errno);
    } else {
        result.status = CheckReadable(st);
    }
    std::vector<char> buffer(65536);
    while (result.status.ok()) {
        const ssize_t n = ::read(file.get(), buffer.data(), buffer.size());
        if (n > 0) {
            result.bytes.append(buffer.data(), static_cast<std::size_t>(n));
            if (result.bytes.size() > kLargestReadableFile) {
                result.status = FromErrno(EFBIG);  // it grew while being read
            }
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            result.status = FromErrno(errno);
        }
    }
    if (!result.status.ok()) {
        result.bytes.clear();
    }
    return result;
}

// The target goes back to Windows-1252 for the program; one it cannot hold
// is not followed (the link itself is then what a write replaces).
std::string PosixFileSystem::linkTarget(const std::string& storedPath) const {
    const std::string target = nativeLinkTarget(Native(storedPath));
    bool lossless = true;
    std::string stored = Utf8ToCp1252(target, &lossless);
    return lossless ? stored : storedPath;
}

std::string PosixFileSystem::nativeLinkTarget(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < kMostLinksFollowed; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return current;
        }
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) {
            return current;
        }
        target.resize(static_cast<std::size_t>(n));
        if (target.front() != '/') {
            const std::string dir = NativeDirectoryOf(current);
            target = (dir == "/" ? dir : dir + "/") + target;
        }
        current = std::move(target);
    }
    return current;
}

FileStatus PosixFileSystem::replaceable(const std::string& storedPath) const {
    const std::string path = Native(storedPath);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return errno == ENOENT ? FileStatus::Success() : FromErrno(errno);
    }
    if (::access(path.c_str(), W_OK) != 0) {
        return FromErrno(errno);
    }
    // Root may write anything: a file nobody may write is still left alone.
    if ((st.st_mode & 0222) == 0) {
        return FromErrno(EACCES);
    }
    return FileStatus::Success();
}

FileStatus PosixFileSystem::replaceFile(const std::string& storedFrom,
                                        const std::string& storedTo) {
    const std::string from = Native(storedFrom);
    const std::string to = Native(storedTo);
    if (::rename(from.c_str(), to.c_str()) != 0) {
        return FromErrno(errno);
    }
    scratchInUse_.erase(storedFrom);
    SyncDirectoryOf(to);
    return FileStatus::Success();
}

FileStatus PosixFileSystem::renameToFreshName(const std::string& storedFrom,
                                              const std::string& storedTo) {
    const std::string from = Native(storedFrom);
    const std::string to = Native(storedTo);
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
        return FromErrno(errno);
    }
    scratchInUse_.erase(storedFrom);
    SyncDirectoryOf(to);
    return FileStatus::Success();
}

FileStatus PosixFileSystem::removeFile(const std::string& storedPath) {
    const std::string path = Native(storedPath);
    if (::unlink(path.c_str()) != 0) {
        return FromErrno(errno);
    }
    scratchInUse_.erase(storedPath);
    return FileStatus::Success();
}

FileStatus PosixFileSystem::appendToFile(const std::string& storedPath, std::string_view bytes) {
    const std::string path = Native(storedPath);
    // A device is never opened (an open alone may act on it); the checks
    // after the open cover a path swapped meanwhile.
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (FileStatus status = CheckAppendable(st); !status.ok()) {
            return status;
        }
    }
    // Non-blocking: a FIFO without a reader fails at once instead of waiting
    // for one.
    UniqueFd file(::open(
        path.c_str(),
        O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666));
    if (!file) {
        return errno == ELOOP   ? Refused(kLinkNotFollowed)
               : errno == ENXIO ? Refused(kFifoWithoutReader)
                                : FromErrno(errno);
    }
    if (::fstat(file.get(), &st) != 0) {
        return FromErrno(errno);
    }
    if (FileStatus status = CheckAppendable(st); !status.ok()) {
        return status;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(file.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return errno == EAGAIN ? Refused(kFifoFull) : FromErrno(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    if (const int error = file.close(); error != 0) {
        return FromErrno(error);
    }
    return FileStatus::Success();
}

}  // namespace tavrel
