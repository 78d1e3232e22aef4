// Reading the receivers' folders below /sys/class/rc.
#include "receivers/lirc_device/rc_devices.h"

#include <sys/sysmacros.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tavrel {

namespace fs = std::filesystem;

namespace {

std::string ReadSmallFile(const fs::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// "246:0\n" as a device number; 0 when it is not one.
dev_t DeviceNumber(const fs::path& devFile) {
    unsigned major = 0;
    unsigned minor = 0;
    char colon = 0;
    std::istringstream in(ReadSmallFile(devFile));
    if (in >> major >> colon >> minor && colon == ':') {
        return makedev(major, minor);
    }
    return 0;
}

std::string UeventField(const fs::path& uevent, std::string_view key) {
    std::istringstream in(ReadSmallFile(uevent));
    for (std::string line; std::getline(in, line);) {
        if (line.size() > key.size() && line.compare(0, key.size(), key) == 0 &&
            line[key.size()] == '=') {
            return line.substr(key.size() + 1);
        }
    }
    return {};
}

// The first child of folder whose name starts with prefix, in name order.
std::optional<fs::path> ChildStartingWith(const fs::path& folder, std::string_view prefix) {
    std::vector<fs::path> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.path().filename().string().starts_with(prefix)) {
            found.push_back(entry.path());
        }
    }
    if (found.empty()) {
        return std::nullopt;
    }
    return *std::min_element(found.begin(), found.end());
}

}  // namespace

RcProtocols ParseRcProtocols(std::string_view text) {
    RcProtocols protocols;
    std::istringstream words{std::string(text)};
    for (std::string word; words >> word;) {
        const bool enabled = word.size() > 2 && word.front() == '[' && word.back() == ']';
        if (enabled) {
            word = word.substr(1, word.size() - 2);
        }
        if (word == "lirc") {
            continue;
        }
        protocols.offered.push_back(word);
        if (enabled) {
            protocols.enabled.push_back(word);
        }
    }
    return protocols;
}

std::vector<RcDevice> RcDevices(const std::string& sysRoot) {
    std::vector<RcDevice> devices;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fs::path(sysRoot) / "class/rc", error)) {
        const fs::path folder = entry.path();
        const auto lirc = ChildStartingWith(folder, "lirc");
        if (!lirc) {
            continue;  // a receiver without LIRC access (CEC, some transmitters)
        }
        RcDevice device;
        device.name = folder.filename().string();
        device.lircPath = "/dev/" + lirc->filename().string();
        device.lircNumber = DeviceNumber(*lirc / "dev");
        device.driver = UeventField(folder / "uevent", "DRV_NAME");
        device.protocols = ParseRcProtocols(ReadSmallFile(folder / "protocols"));
        if (const auto input = ChildStartingWith(folder, "input")) {
            if (const auto event = ChildStartingWith(*input, "event")) {
                device.eventDevice = "/dev/input/" + event->filename().string();
            }
        }
        devices.push_back(std::move(device));
    }
    // rc2 before rc10.
    std::sort(devices.begin(), devices.end(), [](const RcDevice& a, const RcDevice& b) {
        return a.name.size() != b.name.size() ? a.name.size() < b.name.size() : a.name < b.name;
    });
    return devices;
}

std::optional<RcDevice> RcDeviceOf(dev_t lircNumber, const std::string& sysRoot) {
    for (RcDevice& device : RcDevices(sysRoot)) {
        if (device.lircNumber == lircNumber) {
            return std::move(device);
        }
    }
    return std::nullopt;
}

}  // namespace tavrel
