// The value below which a fraction of the measured values lie (0.5: the
// median), for the benchmarks that report their own distribution.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace tavrel::bench {

inline double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

}  // namespace tavrel::bench
