// What the user is told when a kernel receiver does not open: the cases the
// test kernel cannot stage (a group that may use the device, a receiver that
// decodes in hardware, a reason of the system's) and the words of a
// translation taking the English text's place.
#include <gtest/gtest.h>

#include "receivers/lirc_device/lirc_device_receiver.h"

namespace tavrel {
namespace {

KernelReceiverFailure Failure(KernelReceiverFailure::Kind kind) {
    KernelReceiverFailure failure;
    failure.kind = kind;
    failure.path = "/dev/lirc1";
    return failure;
}

TEST(KernelReceiverFailure, SaysWhatHappenedAndWhatToDo) {
    KernelReceiverFailure grouped = Failure(KernelReceiverFailure::PermissionDenied);
    grouped.group = "video";
    KernelReceiverFailure other = Failure(KernelReceiverFailure::Other);
    other.systemText = "input/output error";
    const struct {
        KernelReceiverFailure failure;
        const char* text;
    } cases[] = {
        {grouped,
         "/dev/lirc1: permission denied (the device belongs to the group video; your user must be "
         "a member of it: sudo usermod -aG video $USER)"},
        {Failure(KernelReceiverFailure::NoRawTimings),
         "/dev/lirc1: this receiver decodes in hardware and gives no raw timings; choose it "
         "without :raw"},
        {other, "/dev/lirc1: input/output error"},
        {Failure(KernelReceiverFailure::None), ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DescribeKernelReceiverFailure(c.failure), c.text);
    }
    const auto keys = [](const char*, const char* key) {
        return std::string(key) + (std::string(key) == "joingroup" ? " %s" : "");
    };
    EXPECT_EQ(DescribeKernelReceiverFailure(grouped, keys),
              "/dev/lirc1: permissiondenied (joingroup video: sudo usermod -aG video $USER)");
}

}  // namespace
}  // namespace tavrel
