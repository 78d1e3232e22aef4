// The daemon's client against peers of the test's own that misbehave, on a
// local socket and on loopback: a flood is read a slice per wake-up, in
// order; an address whose handshake nobody answers is waited for off the
// message loop, within one deadline; a closed client hears nothing of an
// attempt it gave up; a restarted daemon's socket is seen at once.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "daemon_stand_in.h"
#include "lircd_client_fixture.h"
#include "lircd_process.h"

namespace tavrel::testing {
namespace {

using Behaviour = DaemonStandIn::Behaviour;

using LircdPeers = LircdClientTest;

TEST_F(LircdPeers, AFloodIsHandledASliceAtATimeAndNothingOfItIsLost) {
    DaemonStandIn daemon(dir.file("lircd"), Behaviour::Floods,
                         LircdProcess::EventLine(0x1234, 0, "KEY_UP") + "\n");
    use("lircd:" + dir.file("lircd"));
    ASSERT_TRUE(client->OpenPort()) << client->LastError();
    // The socket's buffer fills with thousands of lines while nobody reads.
    std::int64_t written = 0;
    for (int i = 0; i < 100 && (written == 0 || written != daemon.linesWritten()); ++i) {
        written = daemon.linesWritten();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    daemon.pause(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const std::int64_t total = daemon.linesWritten();
    ASSERT_GT(total, 1000);
    clock.advance(0);  // one wake-up
    EXPECT_GT(batches.size(), 0U);
    EXPECT_LE(batches.size(), 256U);
    ASSERT_TRUE(runUntil([&] { return static_cast<std::int64_t>(batches.size()) >= total; }));
    EXPECT_EQ(static_cast<std::int64_t>(batches.size()), total);
    EXPECT_EQ(batches.back(), (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0x12, 0x34}));
    EXPECT_EQ(hangups, 0);
}

TEST_F(LircdPeers, AnAddressNobodyAnswersIsWaitedForOffTheLoopWithinOneDeadline) {
    const auto daemon = DaemonStandIn::OnTcp("127.0.0.1", Behaviour::NeverAccepts);
    ASSERT_TRUE(daemon->listening());
    const std::string address = "127.0.0.1:" + std::to_string(daemon->port());
    use("lircd:" + address);
    EXPECT_FALSE(client->OpenPort());
    EXPECT_TRUE(client->Opening());
    EXPECT_FALSE(client->OpenPort()) << "asked again while it is under way";
    clock.advance(LircdClient::kConnectDeadline - 1);
    EXPECT_EQ(ended, 0);
    clock.advance(1);
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(client->Opening());
    EXPECT_FALSE(client->IsOpen());
    EXPECT_EQ(client->LastFailure().path, address);
    EXPECT_EQ(client->LastFailure().kind, OpenFailure::Other);
}

TEST_F(LircdPeers, ADaemonOverTcpIsJoinedOnceItAnswersAndAnAttemptGivenUpOpensNothing) {
    const auto daemon = DaemonStandIn::OnTcp("127.0.0.1", Behaviour::Floods,
                                             LircdProcess::EventLine(0x1234, 0, "KEY_UP") + "\n");
    const std::string value = "lircd:127.0.0.1:" + std::to_string(daemon->port());
    use(value);
    EXPECT_FALSE(client->OpenPort());
    ASSERT_TRUE(runUntil([&] { return ended == 1; }));
    EXPECT_TRUE(client->IsOpen()) << client->LastError();
    EXPECT_TRUE(runUntil([&] { return !batches.empty(); }));

    // Closed while connecting: the answer that comes later opens nothing.
    use(value);
    EXPECT_FALSE(client->OpenPort());
    client->ClosePort();
    EXPECT_FALSE(client->Opening());
    runUntil([] { return false; }, 300);
    clock.advance(LircdClient::kConnectDeadline);
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(client->IsOpen());

    // Destroyed while connecting, to an address nobody answers.
    const auto never = DaemonStandIn::OnTcp("127.0.0.1", Behaviour::NeverAccepts);
    use("lircd:127.0.0.1:" + std::to_string(never->port()));
    EXPECT_FALSE(client->OpenPort());
    client.reset();
    clock.advance(LircdClient::kConnectDeadline);
}

TEST_F(LircdPeers, ARestartedDaemonsSocketIsSeenAsSoonAsItAppears) {
    const std::string path = dir.file("lircd");
    auto daemon = std::make_unique<DaemonStandIn>(path, Behaviour::Silent);
    use("lircd:" + path);
    ASSERT_TRUE(client->OpenPort()) << client->LastError();
    daemon.reset();
    std::filesystem::remove(path);
    ASSERT_TRUE(runUntil([&] { return hangups == 1; }));
    clock.advance(100);
    EXPECT_EQ(backs, 0);
    daemon = std::make_unique<DaemonStandIn>(path, Behaviour::Silent);
    ASSERT_TRUE(runUntil([&] { return backs > 0; }, 500));
    EXPECT_TRUE(client->OpenPort()) << client->LastError();
}

TEST_F(LircdPeers, AnAddressThatCannotBeReadIsNamedAsTyped) {
    for (const std::string typed : {"[::1]:99999", "::1", "[::1", "host:87x"}) {
        use("lircd:" + typed);
        EXPECT_FALSE(client->OpenPort());
        EXPECT_EQ(client->LastFailure().kind, OpenFailure::BadAddress) << typed;
        EXPECT_EQ(client->LastFailure().path, typed);
    }
}

}  // namespace
}  // namespace tavrel::testing
