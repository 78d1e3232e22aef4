// The kind a [Ports] value names, and the words of the receivers' own failures.
#include <gtest/gtest.h>

#include "receivers/receiver.h"

namespace tavrel {
namespace {

using K = ReceiverKind;

TEST(ChooseReceiver, TheValueNamesTheKind) {
    const struct {
        const char* value;
        ReceiverChoice expected;
    } cases[] = {
        {"/dev/ttyUSB0", {K::Serial, "/dev/ttyUSB0", {}, 0}},
        {"/dev/serial/by-id/usb-x-if00", {K::Serial, "/dev/serial/by-id/usb-x-if00", {}, 0}},
        {"/dev/lirc0", {K::KernelScancode, "/dev/lirc0", {}, 0}},
        {"/dev/lirc12:raw", {K::KernelRaw, "/dev/lirc12", {}, 0}},
        // Only the kernel's own names are kernel receivers.
        {"/dev/lircd", {K::Serial, "/dev/lircd", {}, 0}},
        {"/dev/lirc", {K::Serial, "/dev/lirc", {}, 0}},
        {"/dev/ttyS0:raw", {K::Serial, "/dev/ttyS0:raw", {}, 0}},
        {"lircd:", {K::Daemon, "/run/lirc/lircd", {}, 0}},
        {"lircd:/tmp/my socket", {K::Daemon, "/tmp/my socket", {}, 0}},
        {"lircd:mediapc", {K::Daemon, {}, "mediapc", 8765}},
        {"lircd:192.168.1.5:9000", {K::Daemon, {}, "192.168.1.5", 9000}},
        {"lircd:[::1]:8700", {K::Daemon, {}, "::1", 8700}},
        {"lircd:[::1]", {K::Daemon, {}, "::1", 8765}},
        // Addresses that cannot be read: no host, no path, port 0.
        {"lircd:host:0", {K::Daemon, {}, "host", 0}},
        {"lircd:host:70000", {K::Daemon, {}, "host", 0}},
        {"lircd:host:87x", {K::Daemon, {}, "host", 0}},
        {"lircd::8765", {K::Daemon, {}, {}, 0}},
        {"lircd:[::1", {K::Daemon, {}, {}, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChooseReceiver(c.value), c.expected) << c.value;
    }
}

TEST(DescribeOpenFailure, TheReceiversOwnReasonsSayWhatToDo) {
    OpenFailure noDecoder{OpenFailure::NoDecoder, "/dev/lirc1", {}, "rc2"};
    EXPECT_EQ(DescribeOpenFailure(noDecoder),
              "/dev/lirc1: no protocol decoder is enabled for this receiver (learn in raw mode by "
              "choosing /dev/lirc1:raw, or enable the decoders: sudo ir-keytable -s rc2 -p all)");
    OpenFailure daemon{OpenFailure::DaemonNotRunning, "/run/lirc/lircd", {}, {}};
    EXPECT_EQ(
        DescribeOpenFailure(
            daemon, [](const char*, const char* key) { return std::string("<") + key + ">"; }),
        "/run/lirc/lircd: <daemonnotrunning>");
}

}  // namespace
}  // namespace tavrel
