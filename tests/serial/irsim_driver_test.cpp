// The driver talking to the simulated receiver: start-up bytes answered,
// one batch per burst while a button is held.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "irsim_process.h"
#include "platform/fake/virtual_clock.h"
#include "receivers/serial/ComDrv32.h"

namespace tavrel::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(DriverWithIrsim, StartUpBytesAreAnsweredAndEveryBurstIsOneBatch) {
    TempDir dir;
    IrsimProcess irsim({.linkPath = dir.file("ttyIR")});
    ASSERT_TRUE(irsim.started());
    // Shows what waits on the line without taking it away from the driver.
    const int watcher = open(dir.file("ttyIR").c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(watcher, 0);

    VirtualClock clock;
    TCommPortDriver driver(clock, clock);
    DevicePathTable paths = DefaultDevicePaths();
    paths[pnCOM3] = dir.file("ttyIR");
    driver.SetDevicePaths(paths);
    driver.SetComPort(pnCOM3);
    driver.SetComPortSpeed(br19200);
    std::vector<Bytes> batches;
    driver.SetOnReceiveData([&](Receiver&, const std::uint8_t* data, std::int32_t size) {
        batches.emplace_back(data, data + size);
    });
    ASSERT_TRUE(driver.OpenPort()) << driver.LastError();
    driver.SetDTR(true);
    driver.SetRTS(true);

    EXPECT_EQ(driver.SendBytes("I", 1), 1);
    ASSERT_TRUE(irsim.waitForEvents("rx", 1));
    EXPECT_EQ(driver.SendBytes("R", 1), 1);
    ASSERT_TRUE(WaitForQueuedInput(watcher, 2));
    clock.advance(50);
    EXPECT_EQ(batches, (std::vector<Bytes>{Bytes{'O', 'K'}}));

    irsim.send("hold 0A1F3C 300\n");
    for (int burst = 1; burst <= 3; ++burst) {
        ASSERT_TRUE(WaitForQueuedInput(watcher, 6));
        clock.advance(50);
        ASSERT_EQ(batches.size(), static_cast<std::size_t>(burst + 1));
        EXPECT_EQ(batches.back(), (Bytes{0x0A, 0x1F, 0x3C, 0x0A, 0x1F, 0x3C}));
    }
    close(watcher);
}

}  // namespace
}  // namespace tavrel::testing
