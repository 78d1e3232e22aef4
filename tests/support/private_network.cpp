// unshare, loopback's flags, a silent port 53 and a resolv.conf bound over
// the system's.
#include "private_network.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace tavrel::testing {
namespace {

std::string Failed(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

int Bound(int type) {
    const int fd = socket(AF_INET, type | SOCK_CLOEXEC, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(53);
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0 ||
        (type == SOCK_STREAM && listen(fd, 16) != 0)) {
        if (fd >= 0) {
            close(fd);
        }
        return -1;
    }
    return fd;
}

}  // namespace

bool EnterPrivateNetwork(std::string& why) {
    if (geteuid() != 0) {
        why = "a network namespace of the test's own needs root";
        return false;
    }
    if (unshare(CLONE_NEWNET) != 0) {
        why = Failed("unshare(CLONE_NEWNET)");
        return false;
    }
    if (!SetLoopbackUp(true)) {
        why = Failed("loopback up");
        return false;
    }
    return true;
}

bool SetLoopbackUp(bool up) {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool done = fd >= 0 && ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    if (done) {
        request.ifr_flags =
            static_cast<short>(up ? request.ifr_flags | IFF_UP : request.ifr_flags & ~IFF_UP);
        done = ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    }
    if (fd >= 0) {
        close(fd);
    }
    return done;
}

namespace {

// A mount namespace of this process's own, entered once.
bool OwnMounts(std::string& why) {
    static bool own = false;
    if (!own) {
        if (unshare(CLONE_NEWNS) != 0) {
            why = Failed("unshare(CLONE_NEWNS)");
            return false;
        }
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            why = Failed("mount private");
            return false;
        }
        own = true;
    }
    return true;
}

}  // namespace

bool MountEmptyFolder(const std::string& folder, std::string& why) {
    if (!OwnMounts(why)) {
        return false;
    }
    if (mount("tmpfs", folder.c_str(), "tmpfs", 0, "mode=0755") != 0) {
        why = Failed(("tmpfs on " + folder).c_str());
        return false;
    }
    return true;
}

bool BindEtcFile(const std::string& name, const std::string& content, std::string& why) {
    if (!OwnMounts(why)) {
        return false;
    }
    // Unlinked once bound: the mount keeps it, and it goes with the namespace.
    char path[] = "/tmp/tavrel-etc-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) {
        why = Failed("mkstemp");
        return false;
    }
    close(fd);
    std::ofstream(path) << content;
    const std::string target = "/etc/" + name;
    const bool bound = mount(path, target.c_str(), nullptr, MS_BIND, nullptr) == 0;
    if (!bound) {
        why = Failed(("bind " + target).c_str());
    }
    unlink(path);
    return bound;
}

SilentNameServer::SilentNameServer() {
    // Questions over UDP and TCP are read by the kernel's queues alone.
    udp_ = Bound(SOCK_DGRAM);
    tcp_ = Bound(SOCK_STREAM);
    if (udp_ < 0 || tcp_ < 0) {
        problem_ = Failed("127.0.0.1:53");
        return;
    }
    BindEtcFile("resolv.conf", "nameserver 127.0.0.1\n", problem_);
}

SilentNameServer::~SilentNameServer() {
    for (int fd : {udp_, tcp_}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

}  // namespace tavrel::testing
