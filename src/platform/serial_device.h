// The device file a port name stands for when nothing maps it elsewhere, and
// the serial devices a machine offers for the receiver.
#pragma once

#include <string>
#include <vector>

namespace tavrel {

// COMn is /dev/ttyS(n-1).
inline std::string DefaultSerialDevice(int comNumber) {
    return "/dev/ttyS" + std::to_string(comNumber - 1);
}

// A serial device present on this machine.
struct SerialDeviceEntry {
    std::string
        path;  // what to open (a /dev/serial/by-id link stays a link: it survives re-plugging)
    std::string name;  // readable: the maker's and model's words for a by-id link, else the path
};

// Where to look: the by-id folder first, then device name patterns.
struct SerialDeviceSearch {
    std::string byIdFolder = "/dev/serial/by-id";
    std::vector<std::string> patterns = {"/dev/ttyUSB*", "/dev/ttyACM*", "/dev/ttyS*"};
};

}  // namespace tavrel
