// What the user is told when a kernel receiver does not open, for the cases
// the test kernel cannot stage: a group that may use the device (with the
// command that joins it), a receiver that decodes in hardware; and that a
// serial device's words stay as they were.
#include <gtest/gtest.h>

#include "receivers/receiver.h"

namespace tavrel {
namespace {

TEST(KernelReceiverFailure, SaysWhatHappenedAndWhatToDo) {
    const struct {
        OpenFailure failure;
        const char* text;
    } cases[] = {
        {{OpenFailure::PermissionDenied, "/dev/lirc1", "video", {}, "alice"},
         "/dev/lirc1: permission denied (the device belongs to the group video; add your user to "
         "it with \"sudo adduser alice video\", then log out and in again)"},
        {{OpenFailure::PermissionDenied, "/dev/ttyS0", "dialout", {}},
         "/dev/ttyS0: permission denied (the device belongs to the group dialout; add your user "
         "to it with \"sudo adduser $USER dialout\", then log out and in again)"},
        {{OpenFailure::PermissionDenied, "/dev/lirc1", {}, {}},
         "/dev/lirc1: permission denied (install the udev rule that comes with Tavrel, which "
         "gives the user at the screen access to infrared receivers)"},
        {{OpenFailure::PermissionDenied, "/dev/ttyS0", {}, {}}, "/dev/ttyS0: permission denied"},
        {{OpenFailure::NoRawTimings, "/dev/lirc1", {}, {}},
         "/dev/lirc1: this receiver decodes in hardware and gives no raw timings; choose it "
         "without :raw"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DescribeOpenFailure(c.failure), c.text);
    }
}

}  // namespace
}  // namespace tavrel
