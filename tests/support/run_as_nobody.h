// Runs a piece of a test in a child process, as another user where root may
// give up its privileges: for what root is allowed but a user is not (files
// without read permission), and for what one user must not do to another.
#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <string>

namespace tavrel::testing {

constexpr uid_t kNobody = 65534;
// A second user without a name, as the other party where two are needed.
constexpr uid_t kOtherUser = 65533;

// body runs at once in a child process, as user (with a group of the same
// number) when one is given; result() waits for it and returns what body
// returned, or why it could not run. Several may run at the same time.
class ChildBody {
public:
    explicit ChildBody(const std::function<std::string()>& body,
                       std::optional<uid_t> user = std::nullopt) {
        int result[2];
        if (pipe(result) != 0) {
            failure_ = "pipe failed";
            return;
        }
        child_ = fork();
        if (child_ < 0) {
            close(result[0]);
            close(result[1]);
            failure_ = "fork failed";
            return;
        }
        if (child_ == 0) {
            close(result[0]);
            std::string text = "could not drop privileges";
            if (!user || (setgroups(0, nullptr) == 0 && setgid(*user) == 0 && setuid(*user) == 0)) {
                text = body();
            }
            const bool written = write(result[1], text.data(), text.size()) >= 0;
            _exit(written ? 0 : 1);
        }
        close(result[1]);
        fd_ = result[0];
    }
    ~ChildBody() { (void)result(); }
    ChildBody(const ChildBody&) = delete;
    ChildBody& operator=(const ChildBody&) = delete;

    std::string result() {
        if (fd_ >= 0) {
            char buffer[512];
            for (ssize_t got; (got = read(fd_, buffer, sizeof buffer)) > 0;) {
                text_.append(buffer, static_cast<std::size_t>(got));
            }
            close(fd_);
            fd_ = -1;
            int status = 0;
            waitpid(child_, &status, 0);
        }
        return failure_.empty() ? text_ : failure_;
    }

private:
    pid_t child_ = -1;
    int fd_ = -1;
    std::string text_;
    std::string failure_;
};

inline std::string RunAs(uid_t user, const std::function<std::string()>& body) {
    return ChildBody(body, user).result();
}

inline std::string RunAsNobody(const std::function<std::string()>& body) {
    return RunAs(kNobody, body);
}

}  // namespace tavrel::testing
