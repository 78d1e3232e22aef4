// A pseudo-terminal for driver tests: the test plays the device at the master
// end, the driver opens the slave path, and a watcher fd on the slave reads
// back what the driver set and what waits unread.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

namespace tavrel::testing {

class PtyPair {
public:
    PtyPair() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) {
            slavePath_ = ptsname(master_);
            watcher_ = open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        }
    }
    ~PtyPair() {
        for (int fd : {watcher_, master_}) {
            if (fd >= 0) {
                close(fd);
            }
        }
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return watcher_ >= 0; }
    int master() const { return master_; }
    int watcher() const { return watcher_; }
    const std::string& slavePath() const { return slavePath_; }

    // The device goes away: the driver's end hangs up.
    void closeDevice() {
        close(master_);
        master_ = -1;
    }

    bool sendFromDevice(const std::string& bytes) const {
        return write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

private:
    int master_ = -1;
    int watcher_ = -1;
    std::string slavePath_;
};

}  // namespace tavrel::testing
