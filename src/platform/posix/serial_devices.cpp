// The serial devices present, from /dev.
#include "platform/posix/serial_devices.h"

#include <dirent.h>
#include <fcntl.h>
#include <glob.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <set>

#include "platform/posix/unique_fd.h"

namespace tavrel {
namespace {

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

std::vector<std::string> SortedEntries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> Glob(const std::string& pattern) {
    std::vector<std::string> paths;
    glob_t found{};
    if (::glob(pattern.c_str(), 0, nullptr, &found) == 0) {
        paths.assign(found.gl_pathv, found.gl_pathv + found.gl_pathc);
    }
    ::globfree(&found);
    return paths;
}

// A UART driver reports a port type; an empty slot reports PORT_UNKNOWN.
bool Answers(const std::string& path) {
    const UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
        return false;
    }
    serial_struct info{};
    termios line{};
    return ::ioctl(fd.get(), TIOCGSERIAL, &info) == 0 ? info.type != PORT_UNKNOWN
                                                      : ::tcgetattr(fd.get(), &line) == 0;
}

}  // namespace

std::string ReadableDeviceName(const std::string& link) {
    std::string name = link;
    for (const char* prefix : {"usb-", "pci-", "platform-"}) {
        if (name.rfind(prefix, 0) == 0) {
            name.erase(0, std::char_traits<char>::length(prefix));
            break;
        }
    }
    const auto suffix = name.rfind("-if");
    if (suffix != std::string::npos && suffix > 0) {
        name.erase(suffix);
    }
    std::replace(name.begin(), name.end(), '_', ' ');
    return name;
}

std::vector<SerialDeviceEntry> ListSerialDevices(const SerialDeviceSearch& search) {
    std::vector<SerialDeviceEntry> devices;
    std::set<std::string> reached;
    for (const std::string& link : SortedEntries(search.byIdFolder)) {
        const std::string path = search.byIdFolder + '/' + link;
        const std::string target = RealPath(path);
        if (::access(target.c_str(), F_OK) != 0) {
            continue;  // a link left behind by a device that is gone
        }
        devices.push_back({path, ReadableDeviceName(link) + " (" + target + ')'});
        reached.insert(target);
    }
    for (const std::string& pattern : search.patterns) {
        const bool uart = pattern.find("ttyS") != std::string::npos;
        for (const std::string& path : Glob(pattern)) {
            std::string target = RealPath(path);
            if (reached.count(target) == 0 && (!uart || Answers(path))) {
                devices.push_back({path, path});
                reached.insert(std::move(target));
            }
        }
    }
    return devices;
}

}  // namespace tavrel
