// The device picker's receivers beyond the serial devices: each kernel
// receiver with raw access twice (decoded, raw), named by its driver and
// enabled decoders; the daemon only when its socket answers.
#include "receivers/receiver_devices.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstring>
#include <filesystem>
#include <future>
#include <memory>

#include "daemon_stand_in.h"
#include "platform/posix/unique_fd.h"
#include "temp_dir.h"

namespace tavrel {
namespace {

TEST(ReceiverDevices, KernelReceiversAndARunningDaemonFollowTheSerialDevices) {
    namespace fs = std::filesystem;
    const testing::TempDir dir;
    const auto receiver = [&](const std::string& name, const char* uevent, const char* protocols,
                              const char* lirc) {
        fs::create_directories(fs::path(dir.path()) / "class/rc" / name);
        dir.put("class/rc/" + name + "/uevent", uevent);
        dir.put("class/rc/" + name + "/protocols", protocols);
        if (lirc != nullptr) {
            fs::create_directories(fs::path(dir.path()) / "class/rc" / name / lirc);
        }
    };
    receiver("rc10", "NAME=rc-rc6-mce\nDRV_NAME=mceusb\n", "rc-5 [nec] [rc-6] [lirc]\n", "lirc3");
    receiver("rc2", "DRV_NAME=rc-loopback\n", "[lirc] nec rc-5\n", "lirc0");
    receiver("rc3", "DRV_NAME=cec\n", "[cec]\n", nullptr);
    const std::string socketPath = dir.file("lircd");
    const ReceiverDeviceSearch search{{dir.file("none"), {}}, dir.path(), socketPath};

    const auto listed = [&] {
        std::vector<std::string> entries;
        for (const SerialDeviceEntry& device : ListReceiverDevices(search)) {
            entries.push_back(device.path + " = " + device.name);
        }
        return entries;
    };
    const std::vector<std::string> kernel = {
        "/dev/lirc0 = /dev/lirc0 (rc-loopback): no decoder enabled",
        "/dev/lirc0:raw = /dev/lirc0 (rc-loopback): raw timings",
        "/dev/lirc3 = /dev/lirc3 (mceusb): nec, rc-6",
        "/dev/lirc3:raw = /dev/lirc3 (mceusb): raw timings",
    };
    EXPECT_EQ(listed(), kernel);

    const UniqueFd daemon(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_un where{};
    where.sun_family = AF_UNIX;
    std::strncpy(where.sun_path, socketPath.c_str(), sizeof where.sun_path - 1);
    ASSERT_EQ(bind(daemon.get(), reinterpret_cast<const sockaddr*>(&where), sizeof where), 0);
    EXPECT_EQ(listed(), kernel) << "a socket nobody listens at";
    ASSERT_EQ(listen(daemon.get(), 1), 0);
    std::vector<std::string> withDaemon = kernel;
    withDaemon.push_back("lircd:" + socketPath + " = LIRC daemon (" + socketPath + ")");
    EXPECT_EQ(listed(), withDaemon);
}

// A daemon that is there but takes no one (stopped, its queue full) holds
// the list up no more than one that is gone: it is listed as not answering.
TEST(ReceiverDevices, ADaemonThatNeverAcceptsIsListedAsNotAnsweringAtOnce) {
    const testing::TempDir dir;
    const std::string socketPath = dir.file("lircd");
    auto daemon = std::make_unique<testing::DaemonStandIn>(
        socketPath, testing::DaemonStandIn::Behaviour::NeverAccepts);
    ASSERT_TRUE(daemon->listening());
    const ReceiverDeviceSearch search{{dir.file("none"), {}}, dir.path(), socketPath};
    auto listing = std::async(std::launch::async, [&] { return ListReceiverDevices(search); });
    if (listing.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        daemon.reset();  // lets the connect that waits fail
        FAIL() << "the list waits for the daemon";
    }
    const std::vector<SerialDeviceEntry> devices = listing.get();
    ASSERT_EQ(devices.size(), 1U);
    EXPECT_EQ(devices[0].path, "lircd:" + socketPath);
    EXPECT_EQ(devices[0].name, "LIRC daemon (" + socketPath + "): not answering");
}

}  // namespace
}  // namespace tavrel
