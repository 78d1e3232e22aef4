// The code-sequence settings in effect, shared by capture, matching, learning
// and the commands file.
#pragma once

#include <cstdint>

namespace tavrel {

// Both exceed what a sequence can hold, so no recognition starts without a code.
constexpr std::int32_t kShortestCodeLengthAtStart = 100000;
constexpr std::int32_t kShortestCodeLengthAtLoad = 10000;

struct SequenceSettings {
    std::int32_t SkipFirst = 1;  // leading values that matching ignores
    std::int32_t Tolerance = 4;  // largest difference that still matches
    std::int32_t ValueSize = 1;  // bytes per value, 1..4
    std::int32_t ShortestCodeLength = kShortestCodeLengthAtStart;  // recognition threshold
};

// The one rule for ValueSize: 1..4 are the sizes a value can have, anything
// else is taken as 1. The commands file, the configuration dialog and capture
// all pass it through here, so a hand-edited 0 or 9 can neither divide by zero
// nor assemble values of another width than the file's code texts.
constexpr std::int32_t UsableValueSize(std::int32_t valueSize) {
    return valueSize >= 1 && valueSize <= 4 ? valueSize : 1;
}

}  // namespace tavrel
