// The device file a port name stands for when nothing maps it elsewhere.
#pragma once

#include <string>

namespace tavrel {

// COMn is /dev/ttyS(n-1).
inline std::string DefaultSerialDevice(int comNumber) {
    return "/dev/ttyS" + std::to_string(comNumber - 1);
}

}  // namespace tavrel
