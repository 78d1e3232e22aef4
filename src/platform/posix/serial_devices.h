// Finding the serial devices present on this machine, for the receiver picker.
#pragma once

#include <vector>

#include "platform/serial_device.h"

namespace tavrel {

// The by-id links first (sorted, each named from its link), then every device
// of the patterns that is not already reached through a link: USB and ACM
// devices always, a /dev/ttyS* line only when it answers as a real UART
// (most of the 32 the kernel creates have no hardware behind them).
std::vector<SerialDeviceEntry> ListSerialDevices(const SerialDeviceSearch& search = {});

// "usb-FTDI_FT232R_USB_UART_A12345-if00-port0" -> "FTDI FT232R USB UART A12345".
std::string ReadableDeviceName(const std::string& byIdLinkName);

}  // namespace tavrel
