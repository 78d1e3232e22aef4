// The backend under test on the current display, with helpers to bring a
// test window to the front.
#pragma once

#include <algorithm>
#include <memory>

#include "test_window.h"
// clang-format off
#include "platform/x11/x11_backend.h"
// clang-format on

namespace tavrel::test {

class X11BackendTest : public X11Test {
protected:
    void SetUp() override {
        X11Test::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        auto opened = X11Backend::Open();
        ASSERT_NE(opened.backend, nullptr) << opened.problem;
        ASSERT_TRUE(opened.problem.empty()) << opened.problem;
        backend_ = std::move(opened.backend);
    }

    Input& input() { return backend_->input(); }
    Desktop& desktop() { return backend_->desktop(); }

    bool Listed(const TestWindow& window) {
        const auto windows = desktop().TopLevelWindows();
        return std::find(windows.begin(), windows.end(), window.id()) != windows.end();
    }

    // Waits until the window manager manages and shows the window (it
    // refuses to activate one it has not shown yet), then activates it.
    void Activate(TestWindow& window) {
        ASSERT_TRUE(WaitUntil([&] { return Listed(window); })) << "window never managed";
        ASSERT_TRUE(window.WaitFor([](const WindowRecords& r) { return r.mapped; }))
            << "window never shown";
        desktop().RaiseAndActivate(window.id());
        ASSERT_TRUE(WaitUntil([&] { return desktop().GetForegroundWindow() == window.id(); }))
            << "window never became active";
        ASSERT_TRUE(window.WaitFor([](const WindowRecords& r) { return r.focused; }))
            << "window never got the focus";
    }

    std::unique_ptr<X11Backend> backend_;
};

}  // namespace tavrel::test
