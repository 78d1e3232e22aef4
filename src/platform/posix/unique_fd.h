// A file descriptor closed by its owner. close() hands back the error so that
// durable writing can still tell a failed write-back from success.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <utility>

namespace tavrel {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { close(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            close();
            fd_ = other.release();
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

    // Gives the descriptor up without closing it.
    int release() { return std::exchange(fd_, -1); }

    // 0, or the errno of a failed close. The descriptor is gone either way:
    // on Linux a close is never retried, even after EINTR.
    int close() {
        if (fd_ < 0) {
            return 0;
        }
        const int result = ::close(std::exchange(fd_, -1));
        return result == 0 ? 0 : errno;
    }

private:
    int fd_ = -1;
};

}  // namespace tavrel
