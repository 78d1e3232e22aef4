// The real program's window keeps answering (_NET_WM_PING, which Qt answers
// on its GUI thread) whatever the daemon at the other end of its receiver
// does, and SIGTERM still ends it at once.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "daemon_stand_in.h"
#include "lircd_process.h"
#include "private_network.h"
#include "program_process.h"
#include "receivers/receiver.h"
#include "temp_dir.h"
#include "window_answers.h"
#include "window_pinger.h"
#include "x11_backend_fixture.h"

namespace tavrel::testing {
namespace {

using test::WaitUntil;
using Clock = std::chrono::steady_clock;

const std::string kDaemonSocket = kLircdDefaultSocket;

// Generous: the faults froze the window for 4 to 12 s, or for ever.
constexpr std::int64_t kLongestFreezeMs = 1000;

class WindowAnswers : public test::X11Test {
protected:
    void TearDown() override {
        if (program && program->running()) {
            EXPECT_EQ(program->terminate(), 0) << program->output();
        }
    }

    // The program in editing mode, its window shown; its COM2 is address.
    // The sanitizer's leak check at the exit, which takes seconds after a
    // flood, is left out where the time to end is measured.
    void start(const std::string& address, bool leakCheck = true) {
        PutDaemonPrograms(dir, address, false);
        program = std::make_unique<ProgramProcess>(dir.path());
        std::vector<std::string> environment = {"TAVREL_TRACE=1"};
        if (!leakCheck) {
            environment.emplace_back("ASAN_OPTIONS=detect_leaks=0");
        }
        ASSERT_TRUE(program->start({}, environment));
        ASSERT_TRUE(
            WaitUntil([&] { return !(window = MainWindow()).empty(); }, std::chrono::seconds(20)))
            << program->output();
    }

    // Pings the window for that long: it must answer all the while.
    void expectAnswersFor(std::chrono::seconds length) {
        WindowPinger pinger(std::stoul(window));
        std::this_thread::sleep_for(length);
        EXPECT_GT(pinger.answers(), 0);
        EXPECT_LT(pinger.worstGapMs(), kLongestFreezeMs);
    }

    TempDir dir;
    std::unique_ptr<ProgramProcess> program;
    std::string window;
};

TEST_F(WindowAnswers, WhileADaemonFloodsItWithPressesAndSigtermEndsItAtOnce) {
    DaemonStandIn daemon(dir.file("lircd"), DaemonStandIn::Behaviour::Floods,
                         LircdProcess::EventLine(kDaemonCode, 0, "KEY_UP") + "\n");
    ASSERT_TRUE(daemon.listening());
    start("lircd:" + dir.file("lircd"), false);
    ASSERT_TRUE(WaitUntil([&] { return daemon.linesWritten() > 1000; }, std::chrono::seconds(20)))
        << program->output();
    expectAnswersFor(std::chrono::seconds(5));
    const Clock::time_point asked = Clock::now();
    EXPECT_EQ(program->terminate(5000), 0);
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - asked).count(),
              1000);
}

// Namespaces of the test's own, entered before anything is started.
class WindowAnswersOnANetwork : public WindowAnswers {
protected:
    void SetUp() override {
        WindowAnswers::SetUp();
        std::string why;
        if (!IsSkipped() && !EnterPrivateNetwork(why)) {
            GTEST_SKIP() << why;
        }
    }

    std::string title() const { return RunCommand("xdotool getwindowname " + window); }
};

TEST_F(WindowAnswersOnANetwork, WhileANameServerNeverAnswers) {
    const SilentNameServer names;
    if (!names.problem().empty()) {
        GTEST_SKIP() << names.problem();
    }
    start("lircd:tavrel-daemon.test:8765");
    expectAnswersFor(std::chrono::seconds(8));
}

// Two addresses, neither of which answers the handshake.
TEST_F(WindowAnswersOnANetwork, WhileNoAddressOfTheHostAnswers) {
    std::string why;
    if (!BindEtcFile("hosts", "127.0.0.1 tavrel-daemon.test\n::1 tavrel-daemon.test\n", why)) {
        GTEST_SKIP() << why;
    }
    const auto v4 =
        DaemonStandIn::OnTcp("127.0.0.1", DaemonStandIn::Behaviour::NeverAccepts, {}, 8765);
    const auto v6 = DaemonStandIn::OnTcp("::1", DaemonStandIn::Behaviour::NeverAccepts, {}, 8765);
    ASSERT_TRUE(v4->listening() && v6->listening());
    start("lircd:tavrel-daemon.test:8765");
    expectAnswersFor(std::chrono::seconds(5));
}

// No FIN, no reset: loopback goes down under the connection.
TEST_F(WindowAnswersOnANetwork, AVanishedDaemonMachineIsSeenGoneAndJoinedAgainOnItsReturn) {
    const auto daemon = DaemonStandIn::OnTcp("127.0.0.1", DaemonStandIn::Behaviour::Silent);
    start("lircd:127.0.0.1:" + std::to_string(daemon->port()));
    ASSERT_TRUE(WaitUntil([&] { return title().find("Activated") != std::string::npos; },
                          std::chrono::seconds(10)))
        << title();
    ASSERT_TRUE(SetLoopbackUp(false));
    EXPECT_TRUE(WaitUntil([&] { return title().find("Inactive") != std::string::npos; },
                          std::chrono::seconds(20)))
        << title();
    ASSERT_TRUE(SetLoopbackUp(true));
    EXPECT_TRUE(WaitUntil([&] { return title().find("Activated") != std::string::npos; },
                          std::chrono::seconds(10)))
        << title() << program->output();
}

// The settings dialog lists the daemon at /run/lirc/lircd: one that is there
// but takes no one (stopped, its queue full) holds up no opening of it.
TEST_F(WindowAnswers, WhileTheSettingsListADaemonThatTakesNoOne) {
    std::string why;
    if (!MountEmptyFolder(kDaemonSocket.substr(0, kDaemonSocket.rfind('/')), why)) {
        GTEST_SKIP() << why;
    }
    const DaemonStandIn daemon(kDaemonSocket, DaemonStandIn::Behaviour::NeverAccepts);
    ASSERT_TRUE(daemon.listening());
    const DaemonStandIn port(dir.file("lircd"), DaemonStandIn::Behaviour::Silent);
    start("lircd:" + dir.file("lircd"));
    WindowPinger pinger(std::stoul(window));
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(OpenAndCloseSettings(window)) << i;
    }
    EXPECT_GT(pinger.answers(), 0);
    EXPECT_LT(pinger.worstGapMs(), kLongestFreezeMs);
}

}  // namespace
}  // namespace tavrel::testing
