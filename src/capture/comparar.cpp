// The matching rule between a sequence and a reference code.
#include "capture/comparar.h"

#include <algorithm>
#include <cstdint>

namespace tavrel {

bool Comparar(const TSecuencia& a, const TSecuencia& b, const SequenceSettings& settings) {
    return FirstMismatch(a, b, settings) == 0;
}

std::int32_t FirstMismatch(const TSecuencia& a, const TSecuencia& b,
                           const SequenceSettings& settings) {
    // A count below 1 is no code at all, and one above the buffer cannot be
    // trusted further than the buffer reaches.
    if (a.NumValores <= 0 || b.NumValores <= 0) {
        return 1;
    }
    const std::int32_t n = std::min({a.NumValores, b.NumValores, kMaxValores});
    if (n == 1) {
        return a.Valores[0] == b.Valores[0] ? 0 : 1;
    }
    const std::int32_t skip = std::max<std::int32_t>(settings.SkipFirst, 0);
    if (skip >= n) {
        return n + 1;
    }
    // In 64 bits, so that a reference near the 32-bit limits plus or minus
    // the tolerance never wraps into a false match.
    const std::int64_t tolerance = settings.Tolerance;
    for (std::int32_t i = skip; i < n; ++i) {
        const std::int64_t difference = std::int64_t{a.Valores[static_cast<std::size_t>(i)]} -
                                        b.Valores[static_cast<std::size_t>(i)];
        if (difference > tolerance || -difference > tolerance) {
            return i + 1;
        }
    }
    return 0;
}

Verdict CompararSoFar(const TSecuencia& a, const TSecuencia& b, const SequenceSettings& settings) {
    if (b.NumValores <= 0) {
        return Verdict::NoMatch;
    }
    if (a.NumValores <= 0) {
        return Verdict::Open;
    }
    const std::int32_t mismatch = FirstMismatch(a, b, settings);
    // Values past the reference's, or past a sequence's room, are never
    // compared: more of them change nothing.
    if (a.NumValores >= std::min(b.NumValores, kMaxValores)) {
        return mismatch == 0 ? Verdict::Match : Verdict::NoMatch;
    }
    // More values only add positions to compare, so a disagreement among
    // those compared stays one. A single value is compared by the stricter
    // rule, which a second value replaces.
    if (a.NumValores >= 2 && mismatch != 0 && mismatch <= a.NumValores) {
        return Verdict::NoMatch;
    }
    return Verdict::Open;
}

}  // namespace tavrel
