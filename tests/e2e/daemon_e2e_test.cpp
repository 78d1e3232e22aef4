// The real tavrel program whose COM2 is the real LIRC daemon: a press sent
// into the daemon types into a real X window.
#include <gtest/gtest.h>
// clang-format off
#include <X11/keysym.h>
// clang-format on

#include <string>
#include <vector>

#include "lircd_process.h"
#include "program_process.h"
#include "temp_dir.h"
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
        dir.put("tavrel.ini", "[Files]\r\nLogFile=" + dir.file("tavrel.log") +
                                  "\r\n\r\n[Config]\r\narranque=1\r\n\r\n[Ports]\r\nCOM2=lircd:" +
                                  daemon->socketPath() + "\r\n");
        dir.put("vorkumel.ini",
                "[Config]\r\nPuerto=2\r\nNumComandos=2\r\n"
                "[Comandos]\r\n1=Remote\r\n2=Up\r\n"
                "[1]\r\nLevel=0\r\n"
                "[2]\r\nLevel=1\r\nCodigo=0000000000FF18E7\r\nTargetWindow=daemon target\r\n"
                "0=\xA1SendKeys\xA1NNNNup\r\n");
        program = std::make_unique<ProgramProcess>(dir.path());
        ASSERT_TRUE(program->start({}, {"TAVREL_TRACE=1"}));
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
    // In running mode, its icon in the tray, and connected again after the
    // reload that Save/Run ends with.
    ASSERT_TRUE(WaitUntil(
        [&] {
            const std::string out = program->output();
            const auto open = out.rfind("lircd open");
            const auto closed = out.rfind("lircd closed");
            return FindWindows("--onlyvisible --class tavrel").size() == 1 &&
                   open != std::string::npos && (closed == std::string::npos || open > closed);
        },
        std::chrono::seconds(20)))
        << program->output();
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

}  // namespace
}  // namespace tavrel::testing
