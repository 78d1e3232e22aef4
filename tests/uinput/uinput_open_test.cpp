// What the user is told when the virtual devices cannot be made.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "platform/uinput/uinput_devices.h"
#include "run_as_nobody.h"
#include "temp_dir.h"

namespace tavrel::test {
namespace {

TEST(UinputOpen, SaysWhatToDoForEachReason) {
    testing::TempDir dir;
    const std::string locked = dir.file("locked");
    const std::string plainFile = dir.file("plain");
    dir.put("locked", "x");
    dir.put("plain", "x");
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    struct Case {
        std::string path;
        bool asUser;
        std::string says;
    } const cases[] = {
        {dir.file("missing"), false, "modprobe uinput"},
        {locked, true, "Install the package tavrel-uinput-access"},
        {locked, true, "70-tavrel-uinput.rules"},
        // A copy built from source has the rule in its source tree.
        {locked, true, "packaging/udev/70-tavrel-uinput.rules"},
        {locked, true, "log out and in again"},
        {plainFile, false, "Cannot make the virtual keyboard and pointer through"},
    };
    for (const Case& c : cases) {
        auto open = [&c] {
            UinputDevices::OpenResult result = UinputDevices::Open(c.path);
            return result.devices ? std::string("opened") : result.problem;
        };
        // Root opens any file: it plays a user as nobody.
        const std::string problem =
            c.asUser && geteuid() == 0 ? testing::RunAsNobody(open) : open();
        EXPECT_NE(problem.find(c.says), std::string::npos) << c.path << ": " << problem;
        EXPECT_NE(problem.find("keystrokes and pointer actions are not sent"), std::string::npos);
    }
}

}  // namespace
}  // namespace tavrel::test
