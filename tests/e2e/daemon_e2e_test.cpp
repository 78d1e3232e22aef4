// The real tavrel program whose COM2 is the real LIRC daemon: a press sent
// into the daemon types into a real X window.
#include <gtest/gtest.h>
// clang-format off
#include <X11/keysym.h>
// clang-format on

#include <string>
#include <thread>
#include <vector>

#include "lircd_process.h"
#include "program_process.h"
#include "temp_dir.h"
#include "window_answers.h"
#include "x11_backend_fixture.h"

namespace tavrel::testing {
namespace {

using test::WaitUntil;
using test::WindowRecords;

class DaemonEndToEnd : public test::X11BackendTest {
protected:
    void SetUp() override {
        test::X11BackendTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        if (!LircdProcess::Available()) {
            GTEST_SKIP() << "lircd and irsend are not installed (scripts/install-deps test)";
        }
        daemon = std::make_unique<LircdProcess>(dir.path());
        ASSERT_TRUE(daemon->started());
        window = std::make_unique<test::TestWindow>("Tavrel daemon target");
    }

    // The program in running mode (Load minimized), COM2 on the daemon; the
    // command Remote > Up types "up", into the window titled target or, with
    // none, into whichever has the focus.
    void startProgram(const std::string& logFile, const char* target) {
        dir.put("tavrel.ini", "[Files]\r\nLogFile=" + logFile +
                                  "\r\n\r\n[Config]\r\narranque=1\r\n\r\n[Ports]\r\nCOM2=lircd:" +
                                  daemon->socketPath() + "\r\n");
        dir.put("vorkumel.ini",
                std::string("[Config]\r\nPuerto=2\r\nNumComandos=2\r\n"
                            "[Comandos]\r\n1=Remote\r\n2=Up\r\n"
                            "[1]\r\nLevel=0\r\n"
                            "[2]\r\nLevel=1\r\nCodigo=0000000000FF18E7\r\n") +
                    (target != nullptr ? std::string("TargetWindow=") + target + "\r\n"
                                       : std::string()) +
                    "0=\xA1SendKeys\xA1NNNNup\r\n");
        program = std::make_unique<ProgramProcess>(dir.path());
        ASSERT_TRUE(program->start({}, {"TAVREL_TRACE=1"}));
        // In running mode, its icon in the tray, and connected again after
        // the reload that Save/Run ends with.
        ASSERT_TRUE(WaitUntil(
            [&] { return FindWindows("--onlyvisible --class tavrel").size() == 1 && connected(); },
            std::chrono::seconds(20)))
            << program->output();
    }

    bool connected() const { return DaemonConnected(program->output()); }

    int logLines() const {
        const std::string log = dir.get("tavrel.log");
        int lines = 0;
        for (auto at = log.find("Remote,Up\r\n"); at != std::string::npos;
             at = log.find("Remote,Up\r\n", at + 1)) {
            ++lines;
        }
        return lines;
    }

    void TearDown() override {
        if (program) {
            EXPECT_EQ(program->terminate(), 0) << program->output();
        }
    }

    TempDir dir;
    std::unique_ptr<LircdProcess> daemon;
    std::unique_ptr<test::TestWindow> window;
    std::unique_ptr<ProgramProcess> program;
};

TEST_F(DaemonEndToEnd, APressSentIntoTheDaemonTypesIntoAWindow) {
    startProgram(dir.file("tavrel.log"), "daemon target");
    Activate(*window);
    window->ClearRecords();
    ASSERT_TRUE(daemon->simulate(0x00FF18E7, 0, "KEY_UP"));
    EXPECT_TRUE(window->WaitFor([](const WindowRecords& r) {
        return r.pressedKeysyms().size() >= 2;
    })) << program->output();
    EXPECT_EQ(window->records().pressedKeysyms(), (std::vector<unsigned long>{XK_u, XK_p}));
    EXPECT_TRUE(WaitUntil([&] { return dir.get("tavrel.log") == "Remote,Up\r\n"; }))
        << dir.get("tavrel.log");
}

// Joined as soon as its socket answers: of 20 presses sent from then on,
// 200 ms apart, at most one is lost.
TEST_F(DaemonEndToEnd, ARestartedDaemonIsJoinedAsSoonAsItAnswers) {
    startProgram(dir.file("tavrel.log"), "daemon target");
    daemon->stop();
    ASSERT_TRUE(WaitUntil([&] { return !connected(); })) << program->output();
    ASSERT_TRUE(daemon->start());
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(daemon->simulate(0x00FF18E7, 0, "KEY_UP"));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    WaitUntil([&] { return logLines() == 20; }, std::chrono::seconds(3));
    EXPECT_GE(logLines(), 19) << program->output();
}

// A log that cannot be written is said where it takes no focus: the next
// press types into the window the user works in, as the first did.
TEST_F(DaemonEndToEnd, RunningModeNeverTakesTheFocusFromTheUsersWindow) {
    startProgram(dir.file("no such folder/tavrel.log"), nullptr);
    Activate(*window);
    window->ClearRecords();
    ASSERT_TRUE(daemon->simulate(0x00FF18E7, 0, "KEY_UP"));
    ASSERT_TRUE(window->WaitFor([](const WindowRecords& r) {
        return r.pressedKeysyms().size() >= 2;
    })) << program->output();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the report follows the run
    ASSERT_TRUE(daemon->simulate(0x00FF18E7, 0, "KEY_UP"));
    window->WaitFor([](const WindowRecords& r) { return r.pressedKeysyms().size() >= 4; });
    EXPECT_EQ(window->records().pressedKeysyms(),
              (std::vector<unsigned long>{XK_u, XK_p, XK_u, XK_p}))
        << program->output();
    EXPECT_EQ(desktop().GetForegroundWindow(), window->id());
}

}  // namespace
}  // namespace tavrel::testing
