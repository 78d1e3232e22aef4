// The receiver picker's list: by-id links with readable names first, links
// whose device is gone left out, and a device reached by a link listed once;
// then the kernel's receivers and a daemon that answers.
#include "platform/posix/serial_devices.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstring>
#include <filesystem>

#include "platform/posix/receiver_devices.h"
#include "platform/posix/unique_fd.h"

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

// Each kernel receiver with raw access twice (decoded, raw), named by its
// driver and enabled decoders; the daemon only when its socket answers.
TEST(ReceiverDevices, KernelReceiversAndARunningDaemonFollowTheSerialDevices) {
    namespace fs = std::filesystem;
    const testing::TempDir dir;
    const fs::path rc = fs::path(dir.path()) / "rc";
    const auto receiver = [&](const char* name, const char* uevent, const char* protocols,
                              const char* lirc) {
        fs::create_directories(rc / name);
        dir.put(std::string("rc/") + name + "/uevent", uevent);
        dir.put(std::string("rc/") + name + "/protocols", protocols);
        if (lirc != nullptr) {
            fs::create_directories(rc / name / lirc);
        }
    };
    receiver("rc10", "NAME=rc-rc6-mce\nDRV_NAME=mceusb\n", "rc-5 [nec] [rc-6] [lirc]\n", "lirc3");
    receiver("rc2", "DRV_NAME=rc-loopback\n", "[lirc] nec rc-5\n", "lirc0");
    receiver("rc3", "DRV_NAME=cec\n", "[cec]\n", nullptr);
    const std::string socketPath = dir.file("lircd");
    ReceiverDeviceSearch search{{dir.file("none"), {}}, rc.string(), socketPath};

    const auto paths = [&] {
        std::vector<std::string> listed;
        for (const SerialDeviceEntry& device : ListReceiverDevices(search)) {
            listed.push_back(device.path + " = " + device.name);
        }
        return listed;
    };
    const std::vector<std::string> kernel = {
        "/dev/lirc0 = /dev/lirc0 (rc-loopback): no decoder enabled",
        "/dev/lirc0:raw = /dev/lirc0 (rc-loopback): raw timings",
        "/dev/lirc3 = /dev/lirc3 (mceusb): nec, rc-6",
        "/dev/lirc3:raw = /dev/lirc3 (mceusb): raw timings",
    };
    EXPECT_EQ(paths(), kernel);

    const UniqueFd daemon(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_un where{};
    where.sun_family = AF_UNIX;
    std::strncpy(where.sun_path, socketPath.c_str(), sizeof where.sun_path - 1);
    ASSERT_EQ(bind(daemon.get(), reinterpret_cast<const sockaddr*>(&where), sizeof where), 0);
    EXPECT_EQ(paths(), kernel) << "a socket nobody listens at";
    ASSERT_EQ(listen(daemon.get(), 1), 0);
    std::vector<std::string> withDaemon = kernel;
    withDaemon.push_back("lircd:" + socketPath + " = LIRC daemon (" + socketPath + ")");
    EXPECT_EQ(paths(), withDaemon);
}

}  // namespace
}  // namespace tavrel
