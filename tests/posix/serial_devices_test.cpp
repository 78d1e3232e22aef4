// The receiver picker's list: by-id links with readable names first, links
// whose device is gone left out, and a device reached by a link listed once.
#include "platform/posix/serial_devices.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "temp_dir.h"

namespace tavrel {
namespace {

TEST(SerialDevices, ReadableNamesDropTheBusAndInterfaceParts) {
    const std::pair<const char*, const char*> cases[] = {
        {"usb-FTDI_FT232R_USB_UART_A12345-if00-port0", "FTDI FT232R USB UART A12345"},
        {"pci-Intel_Serial-if02", "Intel Serial"},
        {"Receiver", "Receiver"},
    };
    for (const auto& [link, name] : cases) {
        EXPECT_EQ(ReadableDeviceName(link), name) << link;
    }
}

TEST(SerialDevices, LinksComeFirstAndNoDeviceIsListedTwice) {
    namespace fs = std::filesystem;
    const testing::TempDir dir;
    const fs::path base = dir.path();
    fs::create_directories(base / "by-id");
    dir.put("ttyUSB0", "x");
    dir.put("ttyUSB1", "x");
    fs::create_symlink(base / "ttyUSB1", base / "by-id" / "usb-Maker_IR-if00-port0");
    fs::create_symlink(base / "ttyUSB9", base / "by-id" / "usb-Unplugged-if00-port0");

    const auto devices =
        ListSerialDevices({(base / "by-id").string(), {(base / "ttyUSB*").string()}});
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].path, (base / "by-id" / "usb-Maker_IR-if00-port0").string());
    EXPECT_EQ(devices[0].name, "Maker IR (" + (base / "ttyUSB1").string() + ")");
    EXPECT_EQ(devices[1].path, (base / "ttyUSB0").string());
}

}  // namespace
}  // namespace tavrel
