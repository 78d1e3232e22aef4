// A notification area that comes after Tavrel (a panel started later at
// login) and goes away again: the running program moves between the tray icon
// and its minimised window. Run on a desktop without a tray host
// (TAVREL_XSTACK_TRAY=0 scripts/xstack); the test starts trayer itself.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "program_process.h"
#include "temp_dir.h"
#include "tray_host.h"
#include "x11_backend_fixture.h"

namespace tavrel::testing {
namespace {

using test::WaitUntil;

class TrayHostLater : public test::X11BackendTest {
protected:
    void SetUp() override {
        const char* tray = std::getenv("TAVREL_XSTACK_TRAY");
        if (tray == nullptr || std::string(tray) != "0") {
            GTEST_SKIP()
                << "needs a desktop without a tray host: TAVREL_XSTACK_TRAY=0 scripts/xstack";
        }
        test::X11BackendTest::SetUp();
    }
};

TEST_F(TrayHostLater, TheIconMovesInWhenThePanelComesAndOutWhenItGoes) {
    TempDir dir;
    dir.put("tavrel.ini", "[Config]\r\nArranque=1\r\n");
    ProgramProcess program(dir.path());
    ASSERT_TRUE(program.start());

    // Load minimized without a notification area: the window is minimised.
    std::string window;
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (const std::string& id : FindWindows("--name '^Tavrel'")) {
                if (WindowState(id) == "Iconic") {
                    window = id;
                }
            }
            return !window.empty();
        },
        std::chrono::seconds(20)))
        << program.output();

    TrayHost panel;
    ASSERT_TRUE(panel.started());
    EXPECT_TRUE(WaitUntil(
        [&] {
            return FindWindows("--onlyvisible --class tavrel").size() == 1 &&
                   WindowState(window).empty();
        },
        std::chrono::seconds(10)))
        << "the icon did not move into the panel; window state " << WindowState(window);

    panel.stop();
    EXPECT_TRUE(
        WaitUntil([&] { return WindowState(window) == "Iconic"; }, std::chrono::seconds(10)))
        << "without the panel the window must be minimised, not hidden; state "
        << WindowState(window);

    EXPECT_EQ(program.terminate(), 0) << program.output();
}

}  // namespace
}  // namespace tavrel::testing
