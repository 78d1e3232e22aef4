// Runs a piece of a test in a child process that has given up root, for what
// root is allowed but a user is not (files without read permission).
#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace tavrel::testing {

// Returns what body returned in the child, or why it could not run.
inline std::string RunAsNobody(const std::function<std::string()>& body) {
    int result[2];
    if (pipe(result) != 0) {
        return "pipe failed";
    }
    const pid_t child = fork();
    if (child == 0) {
        close(result[0]);
        std::string text = "could not drop privileges";
        if (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0) {
            text = body();
        }
        const bool written = write(result[1], text.data(), text.size()) >= 0;
        _exit(written ? 0 : 1);
    }
    close(result[1]);
    std::string text;
    char buffer[512];
    for (ssize_t got; (got = read(result[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    close(result[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return text;
}

}  // namespace tavrel::testing
