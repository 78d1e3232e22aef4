// Comparar: the one matching rule, used by recognition and by learning to
// check a new code against its samples.
#pragma once

#include <cstdint>

#include "commands/secuencia.h"
#include "commands/sequence_settings.h"

namespace tavrel {

// Does sequence a (received, or a newly learned code) match reference b (a
// command's code, or a learning sample)? Only the first min(a, b) values take
// part. With one value the first values must be equal; otherwise every
// position after the first SkipFirst must lie within Tolerance of the
// reference, both ends included. Uses SkipFirst and Tolerance of settings as
// they are at the call; a negative SkipFirst counts as 0.
bool Comparar(const TSecuencia& a, const TSecuencia& b, const SequenceSettings& settings);

// The same rule, telling where it fails: 0 when a matches b, else the position
// (1-based) of the first value that does not; past the compared values when
// SkipFirst leaves none to compare.
std::int32_t FirstMismatch(const TSecuencia& a, const TSecuencia& b,
                           const SequenceSettings& settings);

// How a sequence still being received fares against reference b, for itself
// and for every longer sequence that begins with it.
enum class Verdict {
    Match,    // all of them match
    NoMatch,  // none of them does
    Open,     // it depends on values still to come
};
Verdict CompararSoFar(const TSecuencia& a, const TSecuencia& b, const SequenceSettings& settings);

}  // namespace tavrel
