// The daemon's client against the real LIRC daemon on a private socket:
// simulated presses arrive as batches, its notices do not, and a daemon that
// stops hangs the client up until it is back.
#include <gtest/gtest.h>

#include <csignal>
#include <thread>

#include "lircd_process.h"
#include "platform/fake/virtual_clock.h"
#include "receivers/lircd/lircd_client.h"
#include "temp_dir.h"

namespace tavrel::testing {
namespace {

using Batch = std::vector<std::uint8_t>;

class LircdDaemon : public ::testing::Test {
protected:
    void SetUp() override {
        if (!LircdProcess::Available()) {
            GTEST_SKIP() << "lircd and irsend are not installed (scripts/install-deps test)";
        }
        ASSERT_TRUE(daemon.started());
        client.SetOnReceiveData([this](Receiver&, const std::uint8_t* data, std::int32_t size) {
            batches.emplace_back(data, data + size);
        });
        client.SetOnHangup([this](Receiver&) { ++hangups; });
    }

    // Lets the clock run (and the client read) until condition holds; the
    // daemon answers in real time.
    bool runUntil(const std::function<bool()>& condition) {
        for (int i = 0; i < 1000 && !condition(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            clock.advance(1);
        }
        return condition();
    }

    TempDir dir;
    LircdProcess daemon{dir.path()};
    VirtualClock clock;
    LircdClient client{ChooseReceiver("lircd:" + dir.file("lircd.socket")), clock, clock};
    std::vector<Batch> batches;
    int hangups = 0;
};

TEST_F(LircdDaemon, SimulatedPressesAreBatchesOfTheirCodeAndItsNoticeIsNone) {
    ASSERT_TRUE(client.OpenPort()) << client.LastError();
    // irsend keeps the low 32 bits of a code.
    ASSERT_TRUE(daemon.simulate(0xDEADBEEFCAFE, 0, "KEY_UP"));
    ASSERT_TRUE(runUntil([&] { return batches.size() == 1; }));
    daemon.signal(SIGHUP);  // "BEGIN SIGHUP END" to every client
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(daemon.simulate(0x00FF4AB5, 0, "KEY_DOWN"));
    ASSERT_TRUE(runUntil([&] { return batches.size() == 2; }));
    clock.advance(50);
    EXPECT_EQ(batches, (std::vector<Batch>{{0, 0, 0, 0, 0xBE, 0xEF, 0xCA, 0xFE},
                                           {0, 0, 0, 0, 0x00, 0xFF, 0x4A, 0xB5}}));
    EXPECT_EQ(hangups, 0);
}

TEST_F(LircdDaemon, ADaemonThatStopsHangsUpAndOpensAgainOnceBack) {
    ASSERT_TRUE(client.OpenPort()) << client.LastError();
    daemon.stop();
    ASSERT_TRUE(runUntil([&] { return hangups == 1; }));
    EXPECT_FALSE(client.IsOpen());
    EXPECT_FALSE(client.OpenPort());
    EXPECT_EQ(client.LastFailure().kind, OpenFailure::DaemonNotRunning);

    ASSERT_TRUE(daemon.start());
    ASSERT_TRUE(client.OpenPort()) << client.LastError();
    ASSERT_TRUE(daemon.simulate(0x00FF38C7, 0, "KEY_OK"));
    EXPECT_TRUE(runUntil([&] { return batches.size() == 1; }));
}

// Said once the attempt, made off the message loop, has ended.
TEST(LircdAddress, NothingListeningOverTcpIsADaemonNotRunning) {
    VirtualClock clock;
    LircdClient client{ChooseReceiver("lircd:127.0.0.1:1"), clock, clock};
    bool ended = false;
    client.SetOnOpenEnded([&](Receiver&) { ended = true; });
    EXPECT_FALSE(client.OpenPort());
    for (int i = 0; i < 1000 && !ended; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        clock.advance(1);
    }
    EXPECT_EQ(client.LastFailure().kind, OpenFailure::DaemonNotRunning);
    EXPECT_EQ(client.LastError(), "127.0.0.1:1: the LIRC daemon is not running there");
}

}  // namespace
}  // namespace tavrel::testing
