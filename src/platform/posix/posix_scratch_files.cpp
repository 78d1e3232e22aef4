// Scratch files: written under a fresh name, made exclusively and never
// through a link, so that nobody can point the write at another file and two
// writers in one directory never share one. Each is locked (flock) while in
// use; one that is not locked was left by a writer that was killed.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "platform/posix/left_behind.h"
#include "platform/posix/posix_file_helpers.h"
#include "platform/posix/posix_file_system.h"

namespace tavrel {
namespace {

constexpr std::string_view kScratchPrefix = "temporal-";
constexpr std::string_view kScratchSuffix = ".tmp";
constexpr std::size_t kScratchLetters = 8;
constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyz0123456789";
// Earlier versions wrote to this one fixed name; one they left is removed
// under the same rules.
constexpr std::string_view kOldScratchName = "temporal.tmp";
// Names are drawn from 36^8; a clash this many times in a row is no chance.
constexpr int kNameAttempts = 100;

std::string ScratchName() {
    unsigned char random[kScratchLetters] = {};
    std::size_t got = 0;
    while (got < sizeof random) {
        const ssize_t n = ::getrandom(random + got, sizeof random - got, 0);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
        } else if (errno != EINTR) {
            break;  // the name is then less random; O_EXCL still guards it
        }
    }
    std::string name(kScratchPrefix);
    for (const unsigned char r : random) {
        name += kLetters[r % kLetters.size()];
    }
    return name.append(kScratchSuffix);
}

bool IsScratchName(std::string_view name) {
    if (name == kOldScratchName) {
        return true;
    }
    if (name.size() != kScratchPrefix.size() + kScratchLetters + kScratchSuffix.size() ||
        !name.starts_with(kScratchPrefix) || !name.ends_with(kScratchSuffix)) {
        return false;
    }
    const std::string_view letters = name.substr(kScratchPrefix.size(), kScratchLetters);
    return letters.find_first_not_of(kLetters) == std::string_view::npos;
}

std::string Join(const std::string& directory, std::string_view name) {
    if (directory.empty()) {
        return std::string(name);
    }
    std::string path = directory;
    if (path.back() != '/') {
        path += '/';
    }
    return path.append(name);
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

FileStatus WriteAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return FromErrno(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    return ::fsync(fd) == 0 ? FileStatus::Success() : FromErrno(errno);
}

// A new, empty file of a fresh name, locked; its lock is taken before anyone
// could find it unlocked and take it for stale (a remover holds the lock
// while it removes, so a file that lost its last link meanwhile is let go).
UniqueFd CreateLocked(const std::string& path, int& error) {
    UniqueFd file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!file) {
        error = errno;
        return file;
    }
    struct stat st {};
    if (::flock(file.get(), LOCK_EX) != 0 || ::fstat(file.get(), &st) != 0) {
        error = errno;
        (void)::unlink(path.c_str());
        return {};
    }
    if (st.st_nlink == 0) {
        error = EEXIST;  // removed before it was locked: try another name
        return {};
    }
    return file;
}

}  // namespace

ScratchFile PosixFileSystem::writeScratchFile(const std::string& storedDirectory,
                                              std::string_view bytes,
                                              const std::string& storedModelFile) {
    const std::string directory = Native(storedDirectory);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string name = ScratchName();
        const std::string path = Join(directory.empty() ? "." : directory, name);
        int error = 0;
        UniqueFd file = CreateLocked(path, error);
        if (!file) {
            if (error == EEXIST) {
                continue;
            }
            return {{}, FromErrno(error)};
        }
        TakeOwnerAndMode(file.get(), Native(storedModelFile));
        FileStatus status = WriteAll(file.get(), bytes);
        // A second descriptor keeps the lock while the first is closed: some
        // file systems report a failed write-back only at close.
        UniqueFd lock(::fcntl(file.get(), F_DUPFD_CLOEXEC, 0));
        if (status.ok() && !lock) {
            status = FromErrno(errno);
        }
        if (const int closeError = file.close(); status.ok() && closeError != 0) {
            status = FromErrno(closeError);
        }
        if (!status.ok()) {
            (void)::unlink(path.c_str());
            return {{}, std::move(status)};
        }
        const std::string stored = Join(storedDirectory, name);
        scratchInUse_[stored] = std::move(lock);
        return {stored, FileStatus::Success()};
    }
    return {{}, FromErrno(EEXIST)};
}

void PosixFileSystem::removeStaleScratchFiles(const std::string& storedDirectory) {
    const std::string directory =
        storedDirectory.empty() ? std::string(".") : Native(storedDirectory);
    DIR* listing = ::opendir(directory.c_str());
    if (listing == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(listing)) {
        if (!IsScratchName(entry->d_name)) {
            continue;
        }
        const std::string path = Join(directory, entry->d_name);
        if (LockIfLeftBehind(path, false)) {
            (void)::unlink(path.c_str());
        }
    }
    ::closedir(listing);
}

}  // namespace tavrel
