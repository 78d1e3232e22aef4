// A small real X client for tests: a titled top-level window that records the
// key, pointer and client-message events it receives, read on a thread of its
// own as a normal client would, plus the fixture that needs an X display.
#pragma once

// GoogleTest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
// clang-format on

#include "client_records.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tavrel::test {

class TestWindow final : public TestClient {
public:
    enum class TitleKind { Utf8, Latin1Only };
    enum class Focus { Accepts, Declines };

    // title is UTF-8; with Latin1Only it is stored only as a Latin-1 WM_NAME,
    // as older programs do. A window that declines the focus (as a clock
    // does) is never made active by the window manager. application, when
    // given, is the class of its WM_CLASS.
    explicit TestWindow(const std::string& title, TitleKind kind = TitleKind::Utf8,
                        Focus focus = Focus::Accepts, const std::string& application = "");
    ~TestWindow() override;
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    Window id() const { return window_; }

    // Waits until ready(records) holds; false after timeout.
    bool WaitFor(const std::function<bool(const WindowRecords&)>& ready,
                 std::chrono::milliseconds timeout = std::chrono::seconds(5)) override;
    WindowRecords records() const override;
    void ClearRecords() override;
    // Hides (unmaps) or shows the window again, as a program leaving or
    // entering its tray does.
    void SetShown(bool shown);
    // Gives the window another title (UTF-8), as a browser does for its tab.
    void SetTitle(const std::string& title);

private:
    Display* display_;
    Window window_ = None;
    Atom protocols_ = None;
    Atom deleteWindow_ = None;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    WindowRecords records_;
    std::atomic<bool> stop_{false};
    std::thread pump_;

    void Pump();
    void Handle(XEvent& event);
};

// Tests that need an X server: skipped without DISPLAY, failed instead when
// TAVREL_REQUIRE_X=1 (as under scripts/xstack).
class X11Test : public ::testing::Test {
protected:
    void SetUp() override;
};

}  // namespace tavrel::test
