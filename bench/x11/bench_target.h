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

namespace tavrel::bench {

inline std::unique_ptr<X11Backend> OpenBackend(benchmark::State& state) {
    auto opened = X11Backend::Open();
    if (!opened.backend) {
        state.SkipWithError(opened.problem.c_str());
    }
    return std::move(opened.backend);
}

inline bool Focus(benchmark::State& state, Desktop& desktop, test::TestWindow& window) {
    const bool focused = test::WaitUntil([&] {
        desktop.RaiseAndActivate(window.id());
        return window.records().focused;
    });
    if (!focused) {
        state.SkipWithError("the target window never got the focus");
    }
    return focused;
}

}  // namespace tavrel::bench
