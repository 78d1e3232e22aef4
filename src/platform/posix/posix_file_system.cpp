// The file system of a POSIX system: open/write/fsync/rename, errno as text.
// Paths arrive as the program keeps them, in Windows-1252 (from tavrel.ini and
// the configuration dialog's fields), and become UTF-8 here, at the one edge
// where they meet the system: each operation converts its paths once.
#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/posix/unique_fd.h"
#include "platform/text_encoding.h"

namespace tavrel {
namespace {

std::string Native(const std::string& path) {
    return Cp1252ToUtf8(path);
}

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

// More links than this in a row is a loop.
constexpr int kMostLinksFollowed = 40;

// Only a regular file is read: a device could give endless bytes and a FIFO
// could wait forever for a writer.
FileStatus CheckReadable(const struct stat& st) {
    if (!S_ISREG(st.st_mode)) {
        return FileStatus::Failure("Not a regular file");
    }
    if (static_cast<std::uint64_t>(st.st_size) > kLargestReadableFile) {
        return FromErrno(EFBIG);
    }
    return FileStatus::Success();
}

void TakeOwnerAndMode(int fd, const std::string& modelFile) {
    struct stat st {};
    if (modelFile.empty() || ::stat(modelFile.c_str(), &st) != 0) {
        return;
    }
    // Only root may give a file away; the group may still be kept.
    if (::fchown(fd, st.st_uid, st.st_gid) != 0 &&
        ::fchown(fd, static_cast<uid_t>(-1), st.st_gid) != 0) {
        // Neither: the file stays the writer's, as a new file would be.
    }
    // After the owner: a change of owner clears the set-id bits.
    (void)::fchmod(fd, st.st_mode & 07777);
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
            const std::string dir = DirectoryOf(current);
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

FileStatus PosixFileSystem::writeFileDurably(const std::string& storedPath, std::string_view bytes,
                                             const std::string& storedModelFile) {
    const std::string path = Native(storedPath);
    const std::string modelFile = Native(storedModelFile);
    UniqueFd file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!file) {
        return FromErrno(errno);
    }
    TakeOwnerAndMode(file.get(), modelFile);
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

FileStatus PosixFileSystem::replaceFile(const std::string& storedFrom,
                                        const std::string& storedTo) {
    const std::string from = Native(storedFrom);
    const std::string to = Native(storedTo);
    if (::rename(from.c_str(), to.c_str()) != 0) {
        return FromErrno(errno);
    }
    SyncDirectoryOf(to);
    return FileStatus::Success();
}

FileStatus PosixFileSystem::removeFile(const std::string& storedPath) {
    const std::string path = Native(storedPath);
    if (::unlink(path.c_str()) != 0) {
        return FromErrno(errno);
    }
    return FileStatus::Success();
}

}  // namespace tavrel
