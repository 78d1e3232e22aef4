// Text crosses between Windows-1252 and UTF-8 only here; nothing may be lost silently.
#include "platform/text_encoding.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

TEST(TextEncoding, EveryWindows1252ByteSurvivesARoundTrip) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    bool lossless = false;
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all), &lossless), all);
    EXPECT_TRUE(lossless);
}

TEST(TextEncoding, MarkerAndEuroSignMapToTheirCodePoints) {
    EXPECT_EQ(Cp1252ToUtf8("\xA1SendKeys\xA1"), "\u00A1SendKeys\u00A1");
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "\u20AC");
    EXPECT_EQ(Utf8ToCp1252("\u20AC \u00E9"), "\x80 \xE9");
}

TEST(TextEncoding, CharactersOutsideTheCodePageAndBrokenUtf8BecomeQuestionMarks) {
    bool lossless = true;
    EXPECT_EQ(Utf8ToCp1252("a\u4E2Db", &lossless), "a?b");
    EXPECT_FALSE(lossless);
    EXPECT_EQ(Utf8ToCp1252("x\xC3", &lossless), "x?");
    EXPECT_FALSE(lossless);
    EXPECT_EQ(Utf8ToCp1252("\xF0\x9F\x98\x80!", &lossless), "?!");
}

}  // namespace
}  // namespace tavrel
