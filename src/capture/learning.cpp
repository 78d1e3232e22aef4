// Merging learning samples into a code and checking it against them.
#include "capture/learning.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "capture/comparar.h"

namespace tavrel {

namespace {

constexpr std::int32_t kMinMuestras = 3;

constexpr MessageText kInsufficient{"Insufficient number of samples to secure later recognition.",
                                    "InsufficientNumberOfSamplesToSecureLaterRecognition"};
constexpr MessageText kRepeat{"Repeat, please.", "RepeatPlease"};
constexpr MessageText kCorrect{"Sample correctly recognized.", "samplecorrectlyrecognized"};
constexpr MessageText kVeryDifferent{"The samples received are very different.",
                                     "TheSamplesReceivedAreVeryDifferent"};

}  // namespace

std::string LearningResult::Message(
    const std::function<std::string(std::string_view defaultText, std::string_view key)>& translate)
    const {
    std::string text;
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        if (i > 0) {
            text += kSentenceBreak;
        }
        text += translate(sentences[i].defaultText, sentences[i].key);
    }
    return text;
}

std::string LearningResult::DefaultMessage() const {
    return Message(
        [](std::string_view defaultText, std::string_view) { return std::string(defaultText); });
}

LearningResult EvaluateLearning(TComando& command,
                                const std::array<TSecuencia, kMaxMuestras>& muestras,
                                std::int32_t numMuestras, const SequenceSettings& settings,
                                const CommandTable& table, std::int32_t& shortestCodeLength) {
    const auto count = static_cast<std::size_t>(std::clamp(numMuestras, 0, kMaxMuestras));
    if (count < kMinMuestras) {
        return {LearningOutcome::TooFewSamples, MessageIcon::Stop, {kInsufficient, kRepeat}};
    }

    TSecuencia code;
    std::int32_t length = kMaxValores;
    for (std::size_t k = 0; k < count; ++k) {
        length = std::min(length, muestras[k].NumValores);
    }
    length = std::max(length, 0);
    // The last position first makes room for the whole code at once.
    for (std::size_t i = static_cast<std::size_t>(length); i-- > 0;) {
        std::int32_t largest = std::numeric_limits<std::int32_t>::min();
        std::int32_t smallest = std::numeric_limits<std::int32_t>::max();
        for (std::size_t k = 0; k < count; ++k) {
            largest = std::max(largest, muestras[k].Valores[i]);
            smallest = std::min(smallest, muestras[k].Valores[i]);
        }
        // The sum of two 32-bit values needs 33 bits; the midpoint fits in 32.
        code.Valores[i] = static_cast<std::int32_t>((std::int64_t{largest} + smallest) / 2);
    }
    code.NumValores = length;

    bool agrees = true;
    for (std::size_t k = 0; k < count && agrees; ++k) {
        agrees = Comparar(code, muestras[k], settings);
    }
    if (!agrees) {
        command.Codigo = TSecuencia{};
        return {LearningOutcome::Disagrees, MessageIcon::Stop, {kVeryDifferent, kRepeat}};
    }
    command.Codigo = std::move(code);

    for (int pos = 0; pos < table.count(); ++pos) {
        if (table.level(pos) != 1) {
            continue;
        }
        const std::int32_t n = table.record(pos).Codigo.NumValores;
        if (n > 0 && n < shortestCodeLength) {
            shortestCodeLength = n;
        }
    }
    return {LearningOutcome::Agrees, MessageIcon::Information, {kCorrect}};
}

}  // namespace tavrel
