// The matching rule: skipped leading values, inclusive tolerance, prefixes,
// single values, and values at the 32-bit limits.
#include "capture/comparar.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "test_doubles.h"

namespace tavrel {
namespace {

using testing::Seq;
using testing::ValuesOf;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

SequenceSettings With(std::int32_t skipFirst, std::int32_t tolerance) {
    SequenceSettings s;
    s.SkipFirst = skipFirst;
    s.Tolerance = tolerance;
    return s;
}

TEST(Comparar, SkipsTheFirstValuesAndAcceptsDifferencesUpToTheTolerance) {
    const auto code = Seq({10, 200, 300});
    EXPECT_TRUE(Comparar(Seq({99, 204, 296}), code, With(1, 4)));
    EXPECT_FALSE(Comparar(Seq({10, 205, 300}), code, With(1, 4)));
    EXPECT_FALSE(Comparar(Seq({10, 200, 295}), code, With(1, 4)));
    EXPECT_FALSE(Comparar(Seq({99, 204, 296}), code, With(0, 4)));
    EXPECT_TRUE(Comparar(Seq({10, 200, 300}), code, With(0, 0)));
}

TEST(Comparar, OnlyTheCommonBeginningTakesPart) {
    const auto code = Seq({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    EXPECT_TRUE(Comparar(Seq({1, 2, 3, 4, 5, 6}), code, With(1, 0)));
    EXPECT_TRUE(Comparar(code, Seq({1, 2, 3, 4, 5, 6}), With(1, 0)));
    EXPECT_FALSE(Comparar(Seq({1, 2, 3, 4, 5, 60}), code, With(1, 0)));
}

TEST(Comparar, ASingleValueMustBeEqualWhateverTheSettings) {
    EXPECT_TRUE(Comparar(Seq({7}), Seq({7, 100, 200}), With(1, 500)));
    EXPECT_FALSE(Comparar(Seq({7}), Seq({8, 100, 200}), With(1, 500)));
    EXPECT_FALSE(Comparar(Seq({7, 100}), Seq({8}), With(5, 500)));
    EXPECT_TRUE(Comparar(Seq({7}), Seq({7}), With(0, -1)));
}

TEST(Comparar, NeverMatchesWithoutValuesToCompare) {
    EXPECT_FALSE(Comparar(TSecuencia{}, Seq({1, 2}), With(0, 4)));
    EXPECT_FALSE(Comparar(Seq({1, 2}), TSecuencia{}, With(0, 4)));
    // SkipFirst 5 leaves nothing of five values to compare.
    EXPECT_FALSE(Comparar(Seq({1, 2, 3, 4, 5}), Seq({1, 2, 3, 4, 5}), With(5, 4)));
    EXPECT_FALSE(Comparar(Seq({1, 2, 3}), Seq({1, 2, 3}), With(kMax, 4)));
    // A negative tolerance refuses every comparison of two or more values.
    EXPECT_FALSE(Comparar(Seq({1, 2, 3}), Seq({1, 2, 3}), With(0, -1)));
}

TEST(Comparar, NegativeSkipFirstCountsAsZero) {
    EXPECT_TRUE(Comparar(Seq({1, 2, 3}), Seq({1, 2, 3}), With(-3, 0)));
    EXPECT_FALSE(Comparar(Seq({9, 2, 3}), Seq({1, 2, 3}), With(-3, 0)));
}

TEST(Comparar, ValuesAtTheLimitsNeverWrap) {
    // 32-bit bounds would wrap around and reject these true matches ...
    EXPECT_TRUE(Comparar(Seq({0, kMin + 2}), Seq({0, kMin}), With(1, 4)));
    EXPECT_TRUE(Comparar(Seq({0, kMax - 3}), Seq({0, kMax}), With(1, 4)));
    EXPECT_TRUE(Comparar(Seq({0, kMax}), Seq({0, kMax}), With(1, kMax)));
    // ... and accept these values, four thousand million apart.
    EXPECT_FALSE(Comparar(Seq({0, kMin}), Seq({0, kMax}), With(1, 500)));
    EXPECT_FALSE(Comparar(Seq({0, kMax}), Seq({0, kMin}), With(1, 500)));
    EXPECT_FALSE(Comparar(Seq({0, kMin}), Seq({0, kMax}), With(1, kMax)));
    EXPECT_FALSE(Comparar(Seq({0, -1}), Seq({0, kMax}), With(1, kMax)));
}

TEST(CompararSoFar, SettlesAsSoonAsMoreValuesCannotChangeTheOutcome) {
    const auto code = Seq({10, 20, 30, 40});
    const struct {
        TSecuencia soFar;
        Verdict verdict;
    } cases[] = {
        {Seq({10, 20, 30, 40}), Verdict::Match},
        {Seq({99, 20, 30, 40, 77}), Verdict::Match},  // past the code: not compared
        {Seq({10, 20, 30, 49}), Verdict::NoMatch},
        {Seq({10, 29}), Verdict::NoMatch},  // a disagreement stays one
        {Seq({10, 20, 30}), Verdict::Open},
        {Seq({10}), Verdict::Open},  // one value: the rule for two may differ
        {Seq({11}), Verdict::Open},
        {TSecuencia{}, Verdict::Open},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CompararSoFar(c.soFar, code, With(1, 4)), c.verdict) << ValuesOf(c.soFar).size();
    }
    EXPECT_EQ(CompararSoFar(Seq({1, 2, 3}), TSecuencia{}, With(1, 4)), Verdict::NoMatch);
    // Nothing compared yet while SkipFirst covers every value so far.
    EXPECT_EQ(CompararSoFar(Seq({1, 99}), code, With(2, 4)), Verdict::Open);
}

TEST(CompararSoFar, ASettledVerdictHoldsForEveryLongerSequence) {
    std::mt19937 random(17);
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const auto values = [&](int count) {
        std::vector<std::int32_t> v(static_cast<std::size_t>(count));
        for (auto& x : v) {
            x = pick(0, 3);
        }
        return v;
    };
    for (int round = 0; round < 20000; ++round) {
        const SequenceSettings settings = With(pick(-1, 3), pick(-1, 1));
        const TSecuencia code = Seq(values(pick(0, 6)));
        std::vector<std::int32_t> received = values(pick(0, 6));
        const Verdict verdict = CompararSoFar(Seq(received), code, settings);
        if (verdict == Verdict::Open) {
            continue;
        }
        for (int more = pick(0, 4); more >= 0; --more) {
            ASSERT_EQ(Comparar(Seq(received), code, settings), verdict == Verdict::Match)
                << "round " << round;
            received.push_back(pick(0, 3));
        }
    }
}

}  // namespace
}  // namespace tavrel
