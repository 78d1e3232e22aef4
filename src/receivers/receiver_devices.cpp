// The receivers present: serial devices from /dev, kernel receivers from
// /sys/class/rc, the daemon from its socket.
#include "receivers/receiver_devices.h"

#include <sys/socket.h>
#include <sys/un.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/serial_devices.h"
#include "platform/posix/unique_fd.h"
#include "receivers/lirc_device/rc_devices.h"

namespace tavrel {
namespace {

enum class Daemon { Absent, Answers, NotAnswering };

// Never waits: a connect to a local socket whose queue is full (a daemon
// stopped, or one that takes no one) fails at once instead of blocking.
Daemon Probe(const std::string& socketPath) {
    sockaddr_un where{};
    if (socketPath.size() >= sizeof where.sun_path) {
        return Daemon::Absent;
    }
    where.sun_family = AF_UNIX;
    std::memcpy(where.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd) {
        return Daemon::Absent;
    }
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&where), sizeof where) == 0) {
        return Daemon::Answers;
    }
    return errno == EAGAIN ? Daemon::NotAnswering : Daemon::Absent;
}

}  // namespace

std::vector<SerialDeviceEntry> ListReceiverDevices(const ReceiverDeviceSearch& search) {
    std::vector<SerialDeviceEntry> devices = ListSerialDevices(search.serial);
    for (const RcDevice& rc : RcDevices(search.sysRoot)) {
        std::string decoders;
        for (const std::string& protocol : rc.protocols.enabled) {
            decoders += (decoders.empty() ? "" : ", ") + protocol;
        }
        const std::string name =
            rc.lircPath + " (" + (rc.driver.empty() ? rc.name : rc.driver) + ")";
        devices.push_back(
            {rc.lircPath, name + ": " + (decoders.empty() ? "no decoder enabled" : decoders)});
        devices.push_back({rc.lircPath + ":raw", name + ": raw timings"});
    }
    const Daemon daemon = Probe(search.daemonSocket);
    if (daemon != Daemon::Absent) {
        devices.push_back({"lircd:" + search.daemonSocket,
                           "LIRC daemon (" + search.daemonSocket + ")" +
                               (daemon == Daemon::NotAnswering ? ": not answering" : "")});
    }
    return devices;
}

}  // namespace tavrel
