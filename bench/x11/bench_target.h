// The X11 backend and a client window with the keyboard focus, for the
// benchmarks that send keys to a real X client; each skips the benchmark with
// the reason when it cannot be had.
#pragma once

// clang-format off
#include "platform/x11/x11_backend.h"
#include "test_window.h"
#include <benchmark/benchmark.h>
// clang-format on

#include <memory>
#include <string>

namespace tavrel::bench {

struct FocusedTarget {
    std::unique_ptr<X11Backend> backend;
    std::unique_ptr<test::TestWindow> window;  // goes before the backend
    explicit operator bool() const { return window != nullptr; }
};

// Opens the backend and shows a client window titled title with the focus;
// application, when given, is its class.
inline FocusedTarget OpenFocusedTarget(benchmark::State& state, const std::string& title,
                                       const std::string& application = "") {
    auto opened = X11Backend::Open();
    if (!opened.backend) {
        state.SkipWithError(opened.problem.c_str());
        return {};
    }
    auto window = std::make_unique<test::TestWindow>(title, test::TestWindow::TitleKind::Utf8,
                                                     test::TestWindow::Focus::Accepts, application);
    Desktop& desktop = opened.backend->desktop();
    const bool focused = test::WaitUntil([&] {
        desktop.RaiseAndActivate(window->id());
        return window->records().focused;
    });
    if (!focused) {
        state.SkipWithError("the target window never got the focus");
        return {};
    }
    return {std::move(opened.backend), std::move(window)};
}

}  // namespace tavrel::bench
