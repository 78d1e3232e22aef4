// The kernel's remote-control receivers as /sys/class/rc shows them: each
// one's LIRC device, driver, protocol decoders and input event device.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

struct RcProtocols {
    std::vector<std::string> offered;  // every decoder the receiver can use
    std::vector<std::string> enabled;  // those switched on
};

// A protocols file: "rc-5 [nec] rc-6 [lirc]" offers rc-5, nec and rc-6 and has
// nec enabled; "lirc" is the raw access every receiver has, not a decoder.
RcProtocols ParseRcProtocols(std::string_view text);

struct RcDevice {
    std::string name;      // rc0
    std::string lircPath;  // /dev/lirc0
    dev_t lircNumber = 0;  // the LIRC device's number
    std::string driver;    // rc-loopback, mceusb, ...
    RcProtocols protocols;
    std::string eventDevice;  // /dev/input/event3, or empty without one
};

// Every receiver with a LIRC device, by name. sysRoot is where /sys is
// mounted (tests point it elsewhere).
std::vector<RcDevice> RcDevices(const std::string& sysRoot = "/sys");

// The receiver whose LIRC device has this number.
std::optional<RcDevice> RcDeviceOf(dev_t lircNumber, const std::string& sysRoot = "/sys");

}  // namespace tavrel
