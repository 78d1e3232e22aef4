// The iteration count of a benchmark that fixes its own: one under
// scripts/bench --smoke (TAVREL_BENCH_SMOKE set), which only proves that each
// benchmark runs.
#pragma once

#include <cstdlib>

namespace tavrel::bench {

inline int Runs(int iterations) {
    return std::getenv("TAVREL_BENCH_SMOKE") != nullptr ? 1 : iterations;
}

}  // namespace tavrel::bench
