// The receivers present: serial devices from /dev, kernel receivers from
// /sys/class/rc, the daemon from its socket.
#include "platform/posix/receiver_devices.h"

#include <dirent.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/posix/serial_devices.h"
#include "platform/posix/unique_fd.h"

namespace tavrel {
namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A KEY=value line of a uevent file.
std::string UeventValue(const std::string& uevent, const std::string& key) {
    std::istringstream lines(uevent);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(key + "=", 0) == 0) {
            return line.substr(key.size() + 1);
        }
    }
    return {};
}

std::vector<std::string> Entries(const std::string& folder, const std::string& prefix) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.rfind(prefix, 0) == 0 && name.size() > prefix.size()) {
                names.push_back(name);
            }
        }
        ::closedir(dir);
    }
    // rc2 before rc10.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return names;
}

bool Answers(const std::string& socketPath) {
    sockaddr_un where{};
    if (socketPath.size() >= sizeof where.sun_path) {
        return false;
    }
    where.sun_family = AF_UNIX;
    std::memcpy(where.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    return fd && ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&where), sizeof where) == 0;
}

}  // namespace

std::vector<std::string> EnabledProtocols(const std::string& protocolsFile) {
    std::vector<std::string> enabled;
    std::istringstream words(protocolsFile);
    std::string word;
    while (words >> word) {
        if (word.size() > 2 && word.front() == '[' && word.back() == ']' && word != "[lirc]") {
            enabled.push_back(word.substr(1, word.size() - 2));
        }
    }
    return enabled;
}

std::vector<SerialDeviceEntry> ListReceiverDevices(const ReceiverDeviceSearch& search) {
    std::vector<SerialDeviceEntry> devices = ListSerialDevices(search.serial);
    for (const std::string& rc : Entries(search.rcFolder, "rc")) {
        const std::string folder = search.rcFolder + "/" + rc;
        const std::vector<std::string> lirc = Entries(folder, "lirc");
        if (lirc.empty()) {
            continue;  // a receiver without raw access (HDMI-CEC) has nothing to read
        }
        const std::string driver = UeventValue(ReadText(folder + "/uevent"), "DRV_NAME");
        const std::vector<std::string> protocols =
            EnabledProtocols(ReadText(folder + "/protocols"));
        std::string decoders;
        for (const std::string& protocol : protocols) {
            decoders += (decoders.empty() ? "" : ", ") + protocol;
        }
        const std::string path = "/dev/" + lirc.front();
        const std::string name = path + " (" + (driver.empty() ? rc : driver) + ")";
        devices.push_back(
            {path,
             name + ": " + (decoders.empty() ? std::string("no decoder enabled") : decoders)});
        devices.push_back({path + ":raw", name + ": raw timings"});
    }
    if (Answers(search.daemonSocket)) {
        devices.push_back(
            {"lircd:" + search.daemonSocket, "LIRC daemon (" + search.daemonSocket + ")"});
    }
    return devices;
}

}  // namespace tavrel
