// The receivers found below /sys/class/rc: a tree of the kernel's shape with
// a receiver that has everything, one without decoders or an event device,
// and one without LIRC access.
#include "receivers/lirc_device/rc_devices.h"

#include <sys/sysmacros.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "temp_dir.h"

namespace tavrel {
namespace {

void Put(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

TEST(RcProtocols, BracketsMarkTheEnabledDecodersAndLircIsNone) {
    const struct {
        const char* text;
        std::vector<std::string> offered;
        std::vector<std::string> enabled;
    } cases[] = {
        {"rc-5 [nec] rc-6 [lirc]\n", {"rc-5", "nec", "rc-6"}, {"nec"}},
        {"rc-5 nec [lirc]\n", {"rc-5", "nec"}, {}},
        {"[rc-5] [rc-6]\n", {"rc-5", "rc-6"}, {"rc-5", "rc-6"}},
        {"", {}, {}},
    };
    for (const auto& c : cases) {
        const RcProtocols parsed = ParseRcProtocols(c.text);
        EXPECT_EQ(parsed.offered, c.offered) << c.text;
        EXPECT_EQ(parsed.enabled, c.enabled) << c.text;
    }
}

TEST(RcDevices, FindsEachReceiverWithItsLircAndEventDevice) {
    testing::TempDir sys;
    const std::filesystem::path rc = std::filesystem::path(sys.path()) / "class/rc";
    Put(rc / "rc10/lirc3/dev", "246:3\n");
    Put(rc / "rc10/uevent", "NAME=rc-empty\nDRV_NAME=mceusb\nDEV_NAME=MCE\n");
    Put(rc / "rc10/protocols", "rc-5 nec [lirc]\n");
    Put(rc / "rc2/lirc0/dev", "246:0\n");
    Put(rc / "rc2/uevent", "DRV_NAME=rc-loopback\n");
    Put(rc / "rc2/protocols", "rc-5 [nec] [lirc]\n");
    Put(rc / "rc2/input7/event4/dev", "13:68\n");
    Put(rc / "rc3/protocols", "[cec]\n");  // no LIRC device

    const std::vector<RcDevice> devices = RcDevices(sys.path());
    ASSERT_EQ(devices.size(), 2U);
    EXPECT_EQ(devices[0].name, "rc2");
    EXPECT_EQ(devices[0].lircPath, "/dev/lirc0");
    EXPECT_EQ(devices[0].driver, "rc-loopback");
    EXPECT_EQ(devices[0].protocols.enabled, std::vector<std::string>{"nec"});
    EXPECT_EQ(devices[0].eventDevice, "/dev/input/event4");
    EXPECT_EQ(devices[1].name, "rc10");
    EXPECT_EQ(devices[1].driver, "mceusb");
    EXPECT_TRUE(devices[1].eventDevice.empty());

    const auto found = RcDeviceOf(makedev(246, 3), sys.path());
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->name, "rc10");
    EXPECT_TRUE(found->protocols.enabled.empty());
    EXPECT_FALSE(RcDeviceOf(makedev(246, 9), sys.path()).has_value());
}

}  // namespace
}  // namespace tavrel
