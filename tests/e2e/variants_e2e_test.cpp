// The real tavrel program on a real X desktop, one learned button with
// variants for two applications: each press runs the actions for the
// application whose window is active, as the window manager announces it.
#include <gtest/gtest.h>
// clang-format off
#include <X11/keysym.h>
// clang-format on

#include <string>
#include <vector>

#include "irsim_process.h"
#include "program_process.h"
#include "variant_commands.h"
#include "x11_backend_fixture.h"

namespace tavrel::testing {
namespace {

using test::TestWindow;
using test::WaitUntil;

class VariantsEndToEnd : public test::X11BackendTest {
protected:
    void SetUp() override {
        test::X11BackendTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        irsim = std::make_unique<IrsimProcess>(IrsimOptions{.linkPath = dir.file("ttyIR")});
        ASSERT_TRUE(irsim->started());
        dir.put("tavrel.ini", VariantProgramSettings(dir.file("tavrel.log"), dir.file("ttyIR")));
        dir.put("vorkumel.ini", VariantCommandsFile());
        program = std::make_unique<ProgramProcess>(dir.path());
        ASSERT_TRUE(program->start({}, {"TAVREL_TRACE=1"}));
    }

    void TearDown() override {
        if (program) {
            EXPECT_EQ(program->terminate(), 0) << program->output();
        }
        if (irsim) {
            irsim->closeInput();
            irsim->waitExit();
        }
    }

    static std::unique_ptr<TestWindow> ClientOf(const std::string& application) {
        return std::make_unique<TestWindow>("tavrel " + application, TestWindow::TitleKind::Utf8,
                                            TestWindow::Focus::Accepts, application);
    }

    TempDir dir;
    std::unique_ptr<IrsimProcess> irsim;
    std::unique_ptr<ProgramProcess> program;
};

TEST_F(VariantsEndToEnd, OneButtonTypesWhatTheActiveApplicationsVariantSays) {
    ASSERT_TRUE(irsim->waitUntil([&] { return irsim->events("rx").size() >= 2; }, 20000))
        << program->output();
    ASSERT_TRUE(WaitUntil([] { return FindWindows("--onlyvisible --class tavrel").size() == 1; }))
        << "running mode, in the tray" << program->output();
    auto browser = ClientOf("TavrelBrowser");
    auto player = ClientOf("TavrelPlayer");
    auto other = ClientOf("TavrelOther");
    const struct {
        TestWindow* window;
        unsigned long keysym;
    } turns[] = {{browser.get(), XK_k},
                 {player.get(), XK_space},
                 {other.get(), XK_d},
                 {browser.get(), XK_k}};
    // All three on screen first: the window manager gives a window the focus as it maps.
    for (const auto& turn : turns) {
        ASSERT_TRUE(WaitUntil([&] { return Listed(*turn.window); }));
        ASSERT_TRUE(turn.window->WaitFor([](const test::WindowRecords& r) { return r.mapped; }));
    }
    std::string log;
    for (const auto& turn : turns) {
        Activate(*turn.window);
        PressTypes(*irsim, *program, dir, log, *turn.window, turn.keysym);
    }
    EXPECT_NE(program->output().find(
                  "\"TavrelPlayer\" (\"tavrel TavrelPlayer\") is active: the variant for "
                  "TavrelPlayer of \"Play\" run"),
              std::string::npos)
        << program->output();
}

}  // namespace
}  // namespace tavrel::testing
