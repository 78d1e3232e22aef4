// The daemon's client in a network of the test's own: a daemon machine that
// vanishes without a word is noticed within seconds, and a name server that
// never answers holds nothing up.
#include <gtest/gtest.h>

#include "daemon_stand_in.h"
#include "lircd_client_fixture.h"
#include "private_network.h"

namespace tavrel::testing {
namespace {

class LircdNetwork : public LircdClientTest {
protected:
    void SetUp() override {
        std::string why;
        if (!EnterPrivateNetwork(why)) {
            GTEST_SKIP() << why;
        }
    }
};

TEST_F(LircdNetwork, ADaemonMachineThatVanishesIsNoticedWithinSeconds) {
    const auto daemon = DaemonStandIn::OnTcp("127.0.0.1", DaemonStandIn::Behaviour::Silent);
    use("lircd:127.0.0.1:" + std::to_string(daemon->port()));
    client->OpenPort();
    ASSERT_TRUE(runUntil([&] { return client->IsOpen(); })) << client->LastError();
    ASSERT_TRUE(SetLoopbackUp(false));
    EXPECT_TRUE(runUntil([&] { return hangups == 1; }, 20000));
    EXPECT_FALSE(client->IsOpen());
}

TEST_F(LircdNetwork, ANameServerThatNeverAnswersHoldsNothingUp) {
    const SilentNameServer names;
    if (!names.problem().empty()) {
        GTEST_SKIP() << names.problem();
    }
    use("lircd:tavrel-daemon.test:8765");
    EXPECT_FALSE(client->OpenPort());
    EXPECT_TRUE(client->Opening());
    clock.advance(LircdClient::kConnectDeadline);
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(client->LastFailure().path, "tavrel-daemon.test:8765");
    // Asked again at once, and dropped while the lookup still hangs.
    EXPECT_FALSE(client->OpenPort());
    client.reset();
}

}  // namespace
}  // namespace tavrel::testing
