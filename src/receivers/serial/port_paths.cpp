// Port names and the device paths they stand for.
#include "receivers/serial/com_port_types.h"

#include "platform/serial_device.h"

namespace tavrel {

std::uint32_t BaudRateValue(TComPortBaudRate rate) {
    static constexpr std::array<std::uint32_t, kBaudRateCount> kRates = {
        110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200};
    return kRates.at(rate);
}

std::string PortName(TComPortNumber port) {
    return "COM" + std::to_string(static_cast<int>(port) + 1);
}

DevicePathTable DefaultDevicePaths() {
    DevicePathTable paths;
    for (int i = 0; i < kComPortCount; ++i) {
        paths[static_cast<std::size_t>(i)] = DefaultSerialDevice(i + 1);
    }
    return paths;
}

}  // namespace tavrel
