// The daemon's stream turned into batches, on a clock of the test's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "receivers/lircd/lircd_events.h"

namespace tavrel {
namespace {

// Feeds pieces at the times given; returns each batch as hex text.
std::vector<std::string> Batches(const std::vector<std::pair<std::int64_t, std::string>>& pieces) {
    LircdEvents events;
    std::vector<std::string> out;
    for (const auto& [at, piece] : pieces) {
        events.feed(piece, at, [&](const LircdBatch& batch) {
            std::string hex;
            for (std::uint8_t byte : batch) {
                static const char* digits = "0123456789ABCDEF";
                hex += digits[byte >> 4];
                hex += digits[byte & 15];
            }
            out.push_back(hex);
        });
    }
    return out;
}

TEST(LircdEvents, EachEventLineIsOneBatchOfItsCodeBigEndian) {
    EXPECT_EQ(Batches({{0, "0000000000f40bf0 00 KEY_UP tv\n"}}),
              std::vector<std::string>{"0000000000F40BF0"});
    EXPECT_EQ(Batches({{0, "8877665544332211 0 KEY_OK my-remote\r\n"}}),
              std::vector<std::string>{"8877665544332211"});
}

TEST(LircdEvents, WhatIsNoPressGivesNothing) {
    const char* cases[] = {
        "BEGIN\nSIGHUP\nEND\n",
        // A reply block holds lines that look like events.
        "BEGIN\nLIST\nSUCCESS\nDATA\n1\n0000000000000001 00 KEY_UP tv\nEND\n",
        "garbage\n",
        "0000000000f40bf0 00 KEY_UP_EVUP tv\n",  // released, with the daemon's --release
        "zz 00 KEY_UP tv\n",
        "0000000000f40bf0 00 KEY_UP\n",
        "10000000000000000 00 KEY_UP tv\n",  // more than 64 bits
        // Unfinished: waits for its end.
        "0000000000f40bf0 00 KEY_UP tv",
    };
    for (const char* text : cases) {
        EXPECT_TRUE(Batches({{0, text}}).empty()) << text;
    }
}

TEST(LircdEvents, LinesArrivingInPiecesAreWholeAgain) {
    EXPECT_EQ(Batches({{0, "BEGIN\nSIG"}, {1, "HUP\nEND\n00000000000000"}, {2, "0a 00 B r\n"}}),
              std::vector<std::string>{"000000000000000A"});
}

TEST(LircdEvents, AnOverlongLineIsDroppedAndTheNextOneRead) {
    const std::string overlong(LircdEvents::kLongestLine + 1, 'x');
    EXPECT_EQ(Batches({{0, overlong.substr(0, 100)},
                       {0, overlong.substr(100) + "\n0000000000000001 00 B r\n"}}),
              std::vector<std::string>{"0000000000000001"});
}

// A repeat line continues its press; one that could not (nothing before it,
// or the burst already over) would run the command as a press of its own.
TEST(LircdEvents, RepeatsContinueAPressAndNeverStartOne) {
    const std::string press = "0000000000000007 00 B r\n";
    const std::string again = "0000000000000007 01 B r\n";
    const std::string third = "0000000000000007 02 B r\n";
    EXPECT_EQ(Batches({{0, press}, {108, again}, {216, third}}).size(), 3U);
    EXPECT_TRUE(Batches({{0, again}, {108, third}}).empty());
    EXPECT_EQ(Batches({{0, press}, {150, again}, {258, third}}).size(), 1U);
    EXPECT_EQ(Batches({{0, press}, {108, again}, {400, press}}).size(), 3U);
}

// A BEGIN the daemon never ends (a reply cut off, a stray line) holds the
// stream for a second or a reply's worth of lines at most.
TEST(LircdEvents, AStrayBeginSwallowsTheStreamForAWhileOnly) {
    const std::string press = "0000000000000007 00 B r\n";
    EXPECT_EQ(Batches({{0, "BEGIN\n"}, {100, press}, {1500, press}}).size(), 1U);
    std::string lines = "BEGIN\n";
    for (int i = 0; i < 100; ++i) {
        lines += "reply\n";
    }
    EXPECT_EQ(Batches({{0, lines + press}}).size(), 1U);
}

}  // namespace
}  // namespace tavrel
