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

// Positions that Comparar looks at for a code and a sample: [first, end).
struct ComparedRange {
    std::int32_t first = 0;
    std::int32_t end = 0;
    bool usable = false;  // false: no tolerance makes these two match
};

ComparedRange Compared(const TSecuencia& code, const TSecuencia& sample,
                       const SequenceSettings& settings) {
    const std::int32_t n = std::min({code.NumValores, sample.NumValores, kMaxValores});
    const std::int32_t skip = std::max<std::int32_t>(settings.SkipFirst, 0);
    if (n <= 0) {
        return {};
    }
    if (n == 1) {
        return {0, 1, code.Valores[0] == sample.Valores[0]};
    }
    return {skip, n, skip < n};
}

std::int64_t Difference(const TSecuencia& sample, const TSecuencia& code, std::int32_t i) {
    const auto at = static_cast<std::size_t>(i);
    return std::int64_t{sample.Valores[at]} - code.Valores[at];
}

SampleDifference Explain(const TSecuencia& code,
                         const std::array<TSecuencia, kMaxMuestras>& muestras, std::size_t count,
                         std::size_t failed, const SequenceSettings& settings) {
    SampleDifference found;
    found.sample = static_cast<std::int32_t>(failed + 1);
    const TSecuencia& sample = muestras[failed];
    // Past the compared values: the sample had nothing to compare.
    const std::int32_t at = FirstMismatch(code, sample, settings);
    if (at >= 1 && at <= std::min({code.NumValores, sample.NumValores, kMaxValores})) {
        found.position = at;
        found.difference = Difference(sample, code, at - 1);
    }
    std::int64_t needed = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const ComparedRange r = Compared(code, muestras[k], settings);
        if (!r.usable) {
            return found;
        }
        for (std::int32_t i = r.first; i < r.end; ++i) {
            const std::int64_t d = Difference(muestras[k], code, i);
            needed = std::max(needed, d < 0 ? -d : d);
        }
    }
    found.toleranceNeeded = needed;
    return found;
}

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
                                CommandTable& table, std::int32_t& shortestCodeLength) {
    const auto count = static_cast<std::size_t>(std::clamp(numMuestras, 0, kMaxMuestras));
    if (count < kMinMuestras) {
        return {LearningOutcome::TooFewSamples,
                MessageIcon::Stop,
                {kInsufficient, kRepeat},
                std::nullopt};
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

    for (std::size_t k = 0; k < count; ++k) {
        if (!Comparar(code, muestras[k], settings)) {
            LearningResult result{LearningOutcome::Disagrees,
                                  MessageIcon::Stop,
                                  {kVeryDifferent, kRepeat},
                                  std::nullopt};
            result.difference = Explain(code, muestras, count, k, settings);
            command.Codigo = TSecuencia{};
            table.noteCodeChanged();
            return result;
        }
    }
    command.Codigo = std::move(code);
    table.noteCodeChanged();

    for (int pos = 0; pos < table.count(); ++pos) {
        if (table.level(pos) != 1) {
            continue;
        }
        const std::int32_t n = table.record(pos).Codigo.NumValores;
        if (n > 0 && n < shortestCodeLength) {
            shortestCodeLength = n;
        }
    }
    return {LearningOutcome::Agrees, MessageIcon::Information, {kCorrect}, std::nullopt};
}

std::vector<int> CollidingCommands(const CommandTable& table, const TComando& command,
                                   const SequenceSettings& settings) {
    std::vector<int> found;
    if (command.Codigo.NumValores <= 0) {
        return found;
    }
    for (int pos = 0; pos < table.count(); ++pos) {
        const TComando& other = table.record(pos);
        if (&other != &command && table.isCommand(pos) && other.Codigo.NumValores > 0 &&
            (Comparar(command.Codigo, other.Codigo, settings) ||
             Comparar(other.Codigo, command.Codigo, settings))) {
            found.push_back(pos);
        }
    }
    return found;
}

}  // namespace tavrel
