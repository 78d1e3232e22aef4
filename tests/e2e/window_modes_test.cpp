// The main window and the window manager: with "Load minimized" the window is
// never put on screen, and minimising it from the window manager's title bar
// in editing mode goes to the tray like Cancel's minimise.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on

#include <filesystem>
#include <set>
#include <string>

#include "program_process.h"
#include "temp_dir.h"
#include "x11_backend_fixture.h"

namespace tavrel::testing {
namespace {

using test::WaitUntil;

// Sees every top-level window the window manager takes into a frame of its
// own, which it does when a program shows a window.
class FramedWindows {
public:
    FramedWindows() : display_(XOpenDisplay(nullptr)) {
        XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
        XSync(display_, False);
    }
    ~FramedWindows() { XCloseDisplay(display_); }
    FramedWindows(const FramedWindows&) = delete;
    FramedWindows& operator=(const FramedWindows&) = delete;

    // The titles of the windows framed so far.
    const std::multiset<std::string>& titles() {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == ReparentNotify &&
                event.xreparent.parent != DefaultRootWindow(display_)) {
                titles_.insert(Title(event.xreparent.window));
            }
        }
        return titles_;
    }

private:
    std::string Title(Window window) {
        XTextProperty name{};
        std::string title;
        if (XGetWMName(display_, window, &name) != 0 && name.value != nullptr) {
            title.assign(reinterpret_cast<const char*>(name.value), name.nitems);
            XFree(name.value);
        }
        return title;
    }

    Display* display_;
    std::multiset<std::string> titles_;
};

class WindowModes : public test::X11BackendTest {
protected:
    std::string startWith(const std::string& settings) {
        dir.put("tavrel.ini", settings);
        program = std::make_unique<ProgramProcess>(dir.path());
        return program->start() ? "" : "not started";
    }
    void TearDown() override {
        if (program) {
            EXPECT_EQ(program->terminate(), 0) << program->output();
        }
    }

    TempDir dir;
    std::unique_ptr<ProgramProcess> program;
};

TEST_F(WindowModes, LoadMinimizedStartsInTheTrayWithoutShowingTheWindow) {
    FramedWindows framed;
    ASSERT_EQ(startWith("[Config]\r\nArranque=1\r\n"), "");
    ASSERT_TRUE(WaitUntil([] { return FindWindows("--onlyvisible --class tavrel").size() == 1; },
                          std::chrono::seconds(20)))
        << program->output();
    // Settled: the files of Save/Run are written.
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(dir.file("vorkumel.ini")); }));
    for (const std::string& title : framed.titles()) {
        EXPECT_NE(title.rfind("Tavrel", 0), 0u) << "shown: " << title;
    }
}

TEST_F(WindowModes, MinimisingFromTheTitleBarInEditingModeGoesToTheTray) {
    ASSERT_EQ(startWith("[Config]\r\nSonido=0\r\n"), "");
    std::vector<std::string> shown;
    ASSERT_TRUE(WaitUntil(
        [&] {
            shown = FindWindows("--onlyvisible --name '^Tavrel'");
            return shown.size() == 1;
        },
        std::chrono::seconds(20)))
        << program->output();
    ASSERT_TRUE(FindWindows("--onlyvisible --class tavrel").size() == 1) << "no icon yet";

    RunCommand("xdotool windowminimize " + shown[0]);
    EXPECT_TRUE(WaitUntil([&] {
        return FindWindows("--onlyvisible --class tavrel").size() == 1 &&
               WindowState(shown[0]).empty();
    })) << "not in the tray: window state "
        << WindowState(shown[0]);
}

}  // namespace
}  // namespace tavrel::testing
