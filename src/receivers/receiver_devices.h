// Every receiver this machine offers, for the configuration dialog's picker:
// the serial devices, the kernel's infrared receivers with their driver and
// enabled protocols, and the LIRC daemon when it runs. Each entry's path is
// the [Ports] value that chooses it.
#pragma once

#include <string>
#include <vector>

#include "platform/serial_device.h"
#include "receivers/receiver.h"

namespace tavrel {

struct ReceiverDeviceSearch {
    SerialDeviceSearch serial;
    std::string sysRoot = "/sys";  // where /sys/class/rc is
    std::string daemonSocket = kLircdDefaultSocket;
};

// Serial devices first, then each kernel receiver twice (decoded, and raw
// timings as /dev/lircN:raw), then the daemon's socket when something
// answers there, or is there but takes no one ("not answering"). Nothing
// here waits on a device or a daemon.
std::vector<SerialDeviceEntry> ListReceiverDevices(const ReceiverDeviceSearch& search);

}  // namespace tavrel
