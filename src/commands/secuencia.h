// TSecuencia: one code sequence, the unit that capture, matching, learning and
// the command table exchange. Always copied whole.
#pragma once

#include <array>
#include <cstdint>

namespace tavrel {

constexpr std::int32_t kMaxValores = 3840;

struct TSecuencia {
    // Position p (1..kMaxValores) is stored at index p - 1. Values at
    // positions above NumValores are stale and never read.
    std::array<std::int32_t, kMaxValores> Valores{};
    std::int32_t NumValores = 0;
};

}  // namespace tavrel
