// The evaluation of learning samples: merges them into a code, checks the
// code against every sample, and says which message the dialog shows.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
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

struct LearningResult {
    LearningOutcome outcome = LearningOutcome::TooFewSamples;
    MessageIcon icon = MessageIcon::Stop;
    std::vector<MessageText> sentences;  // shown joined by kSentenceBreak

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
// otherwise. After success shortestCodeLength is lowered to the shortest code
// of the table's commands when that is smaller.
LearningResult EvaluateLearning(TComando& command,
                                const std::array<TSecuencia, kMaxMuestras>& muestras,
                                std::int32_t numMuestras, const SequenceSettings& settings,
                                const CommandTable& table, std::int32_t& shortestCodeLength);

}  // namespace tavrel
