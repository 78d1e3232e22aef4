// The evaluation of learning samples: merges them into a code, checks the
// code against every sample, and says which message the dialog shows.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "capture/code_capture.h"
#include "commands/comando.h"
#include "commands/command_table.h"
#include "commands/secuencia.h"
#include "commands/sequence_settings.h"

namespace tavrel {

// A text with its translation key.
struct MessageText {
    std::string_view defaultText;
    std::string_view key;
};

// Caption of every learning message box.
inline constexpr MessageText kLearningCaption{"Learning process info", "learningprocessinfo"};
// Between the two sentences of a message: an empty line in a message box.
inline constexpr std::string_view kSentenceBreak = "\r\r";

enum class LearningOutcome {
    TooFewSamples,  // fewer than 3 samples: the code is not touched
    Disagrees,      // the code did not match every sample: the code is cleared
    Agrees,         // the code is stored
};

enum class MessageIcon { Stop, Information };

// Why a check failed: the first sample that did not match the code, the first
// position at which it lay outside the tolerance (both counted from 1;
// position 0 when the sample had too few values to compare at all), by how
// much the sample differed there, and the smallest Tolerance with which every
// sample would have matched (-1 when no tolerance would have helped).
struct SampleDifference {
    std::int32_t sample = 0;
    std::int32_t position = 0;
    std::int64_t difference = 0;
    std::int64_t toleranceNeeded = -1;
};

struct LearningResult {
    LearningOutcome outcome = LearningOutcome::TooFewSamples;
    MessageIcon icon = MessageIcon::Stop;
    std::vector<MessageText> sentences;          // shown joined by kSentenceBreak
    std::optional<SampleDifference> difference;  // set when the samples disagreed

    // The message with every sentence passed through translate(default, key).
    std::string Message(const std::function<std::string(std::string_view defaultText,
                                                        std::string_view key)>& translate) const;
    // The message in its default texts.
    std::string DefaultMessage() const;
};

// Evaluates samples 1..numMuestras of muestras for command. With at least 3
// samples the command's code becomes, position by position up to the shortest
// sample, the midpoint of the samples' values (truncated toward zero); it is
// kept when it matches every sample under settings, and cleared (NumValores 0)
// otherwise; either way the table hears of the change (noteCodeChanged).
// After success shortestCodeLength is lowered to the shortest code of the
// table's commands when that is smaller.
LearningResult EvaluateLearning(TComando& command,
                                const std::array<TSecuencia, kMaxMuestras>& muestras,
                                std::int32_t numMuestras, const SequenceSettings& settings,
                                CommandTable& table, std::int32_t& shortestCodeLength);

// Recognition takes the first match in tree order, so a code that another
// learned command also answers to either never runs or takes that command's
// presses. The positions of the other commands with a code that Comparar
// matches with the command's code either way, in tree order.
std::vector<int> CollidingCommands(const CommandTable& table, const TComando& command,
                                   const SequenceSettings& settings);

}  // namespace tavrel
