// The evaluation of learning samples: the three outcomes, the midpoint rule,
// and the shortest code length.
#include "capture/learning.h"

#include <gtest/gtest.h>

#include <limits>

#include "test_doubles.h"

namespace tavrel {
namespace {

using testing::Seq;
using testing::ValuesOf;

class LearningTest : public ::testing::Test {
protected:
    LearningTest() {
        const int remote = table.appendRemote("TV");
        other = &table.record(table.appendCommand(remote, "Other", 2));
        target = &table.record(table.appendCommand(remote, "Target", 3));
        other->Codigo = Seq({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
        target->Codigo = Seq({42, 42, 42});
    }

    LearningResult Evaluate(std::initializer_list<TSecuencia> samples) {
        std::array<TSecuencia, kMaxMuestras> muestras{};
        std::int32_t n = 0;
        for (const TSecuencia& s : samples) {
            muestras[static_cast<std::size_t>(n++)] = s;
        }
        return EvaluateLearning(*target, muestras, n, settings, table, shortest);
    }

    CommandTable table;
    SequenceSettings settings;  // SkipFirst 1, Tolerance 4
    std::int32_t shortest = 10;
    TComando* other = nullptr;
    TComando* target = nullptr;
};

TEST_F(LearningTest, FewerThanThreeSamplesLeaveTheCodeAlone) {
    const auto result = Evaluate({Seq({1, 2}), Seq({1, 2})});
    EXPECT_EQ(result.outcome, LearningOutcome::TooFewSamples);
    EXPECT_EQ(result.icon, MessageIcon::Stop);
    EXPECT_EQ(result.DefaultMessage(),
              "Insufficient number of samples to secure later recognition.\r\rRepeat, please.");
    EXPECT_EQ(ValuesOf(target->Codigo), (std::vector<std::int32_t>{42, 42, 42}));
    EXPECT_EQ(shortest, 10);
}

TEST_F(LearningTest, TheCodeIsTheMidpointOverTheShortestSample) {
    const auto result = Evaluate({Seq({9, 100, 7, 0, 1, 1, 1, 1}), Seq({9, 104, 7, 0, 1, 1, 1}),
                                  Seq({9, 101, 7, -3, 1, 1, 1, 1})});
    EXPECT_EQ(result.outcome, LearningOutcome::Agrees);
    EXPECT_EQ(result.icon, MessageIcon::Information);
    EXPECT_EQ(result.DefaultMessage(), "Sample correctly recognized.");
    // 102 is the middle of 100..104, not the mean 101; -1.5 truncates to -1.
    EXPECT_EQ(ValuesOf(target->Codigo), (std::vector<std::int32_t>{9, 102, 7, -1, 1, 1, 1}));
    EXPECT_EQ(shortest, 7);
}

TEST_F(LearningTest, TheMidpointOfValuesAtTheLimitsDoesNotOverflow) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    settings.Tolerance = 2;
    const auto result = Evaluate({Seq({kMax, kMax, kMin + 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
                                  Seq({kMax, kMax - 3, kMin, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
                                  Seq({kMax, kMax, kMin, 0, 0, 0, 0, 0, 0, 0, 0, 0})});
    EXPECT_EQ(result.outcome, LearningOutcome::Agrees);
    EXPECT_EQ(target->Codigo.Valores[0], kMax);
    EXPECT_EQ(target->Codigo.Valores[1], kMax - 2);  // 2147483645.5 toward zero
    EXPECT_EQ(target->Codigo.Valores[2], kMin + 1);  // -2147483647.5 toward zero
    EXPECT_EQ(shortest, 10);                         // a longer code leaves it alone
}

TEST_F(LearningTest, SamplesTooFarApartClearTheCode) {
    const auto result =
        Evaluate({Seq({1, 100, 5}), Seq({1, 110, 5}), Seq({1, 105, 5}), Seq({1, 105, 5})});
    EXPECT_EQ(result.outcome, LearningOutcome::Disagrees);
    EXPECT_EQ(result.icon, MessageIcon::Stop);
    EXPECT_EQ(result.DefaultMessage(),
              "The samples received are very different.\r\rRepeat, please.");
    EXPECT_EQ(target->Codigo.NumValores, 0);
    EXPECT_EQ(shortest, 10);
}

// The first sample that disagrees, where, and by how much: the position
// Comparar stops at, whatever the tolerance.
TEST_F(LearningTest, TheDisagreementNamedIsWhereComparisonStops) {
    const auto named = [](const LearningResult& result) {
        const SampleDifference d = result.difference.value_or(SampleDifference{});
        return std::vector<std::int64_t>{d.sample, d.position, d.difference};
    };
    // 100 against the midpoint 105, in the first sample.
    EXPECT_EQ(named(Evaluate({Seq({1, 100, 5}), Seq({1, 110, 5}), Seq({1, 105, 5})})),
              (std::vector<std::int64_t>{1, 2, -5}));
    // No tolerance accepts even equal values: the first compared one is named.
    settings.Tolerance = -1;
    EXPECT_EQ(named(Evaluate({Seq({1, 7, 5}), Seq({1, 7, 5}), Seq({1, 7, 5})})),
              (std::vector<std::int64_t>{1, 2, 0}));
}

TEST_F(LearningTest, AnEmptySampleGivesNoCode) {
    const auto result = Evaluate({Seq({1, 2, 3}), TSecuencia{}, Seq({1, 2, 3})});
    EXPECT_EQ(result.outcome, LearningOutcome::Disagrees);
    EXPECT_EQ(target->Codigo.NumValores, 0);
}

TEST_F(LearningTest, EachSentenceIsTranslatedOnItsOwn) {
    const auto result = Evaluate({Seq({1})});
    const std::string text = result.Message([](std::string_view fallback, std::string_view key) {
        // Appended, not "[" + std::string(...): GCC 12 warns falsely about
        // that form at -O3 (-Wrestrict).
        std::string tagged = "[";
        tagged.append(key).append(":").append(fallback.substr(0, 6)).append("]");
        return tagged;
    });
    EXPECT_EQ(text,
              "[InsufficientNumberOfSamplesToSecureLaterRecognition:Insuff]\r\r"
              "[RepeatPlease:Repeat]");
    EXPECT_EQ(kLearningCaption.key, "learningprocessinfo");
}

}  // namespace
}  // namespace tavrel
