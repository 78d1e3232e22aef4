// Kernel frames as batches: the bytes of a decoded frame, the window in which
// a repeat continues a press, and raw timings cut into frames on the virtual
// clock.
#include "receivers/lirc_device/lirc_frames.h"

#include <linux/lirc.h>

#include <gtest/gtest.h>

#include "platform/fake/virtual_clock.h"

namespace tavrel {
namespace {

constexpr std::uint16_t kRc5 = 2;
constexpr std::uint16_t kNec = 9;
constexpr std::uint16_t kRc6_6a32 = 18;

struct DecodedCase {
    const char* what;
    std::uint16_t protocol;
    std::uint64_t scancode;
    std::uint32_t flags;
    Batch batch;
};

TEST(ScancodeFramer, ProtocolByteThenTheScancodeBigEndian) {
    const DecodedCase cases[] = {
        {"NEC", kNec, 0x0408, 0, {9, 0, 0, 4, 8}},
        {"RC5 toggled: the toggle stays in the flags",
         kRc5,
         0x0535,
         LIRC_SCANCODE_FLAG_TOGGLE,
         {2, 0, 0, 5, 0x35}},
        {"RC6-MCE: the toggle in bit 15 is masked",
         kProtocolRc6Mce,
         0x800F840D,
         0,
         {19, 0x80, 0x0F, 0x04, 0x0D}},
        {"other RC6 keeps bit 15", kRc6_6a32, 0x800F840D, 0, {18, 0x80, 0x0F, 0x84, 0x0D}},
        {"wider than 32 bits: eight bytes",
         kRc5,
         0x123456789,
         0,
         {2, 0, 0, 0, 1, 0x23, 0x45, 0x67, 0x89}},
    };
    for (const DecodedCase& c : cases) {
        VirtualClock clock;
        std::vector<Batch> got;
        ScancodeFramer framer(clock, [&](const Batch& b) { got.push_back(b); });
        framer.Frame(c.protocol, c.scancode, c.flags);
        EXPECT_EQ(got, std::vector<Batch>{c.batch}) << c.what;
    }
}

TEST(ScancodeFramer, ARepeatContinuesOnlyAPressItFollowsClosely) {
    VirtualClock clock;
    int frames = 0;
    ScancodeFramer framer(clock, [&](const Batch&) { ++frames; });
    const auto repeat = [&] { framer.Frame(kNec, 0x0408, LIRC_SCANCODE_FLAG_REPEAT); };

    repeat();  // its press was never seen
    EXPECT_EQ(frames, 0);
    framer.Frame(kNec, 0x0408, 0);
    clock.advance(108);
    repeat();
    clock.advance(ScancodeFramer::kRepeatWindowMilliseconds - 1);
    repeat();  // each repeat opens the window anew
    EXPECT_EQ(frames, 3);
    clock.advance(ScancodeFramer::kRepeatWindowMilliseconds);
    repeat();
    EXPECT_EQ(frames, 3);
    framer.Frame(kNec, 0x0408, 0);
    framer.Reset();
    repeat();
    EXPECT_EQ(frames, 4);
}

std::uint32_t P(std::uint32_t us) {
    return LIRC_PULSE(us);
}
std::uint32_t S(std::uint32_t us) {
    return LIRC_SPACE(us);
}
const std::uint32_t kTimeout = LIRC_TIMEOUT(15000);
const std::uint32_t kOverflow = LIRC_OVERFLOW(0);

// One read of samples, or (when empty) the clock moving on.
struct Step {
    std::vector<std::uint32_t> read;
    int advance = 0;
};

struct RawCase {
    const char* what;
    std::vector<Step> steps;
    std::vector<Batch> frames;
    std::vector<std::size_t> soFarSizes;  // each report of a frame still open
};

// 146 is 560 us, 157 is 889 us, 172 is 1690 us, 194 is 4500 us, 210 is 9 ms.
TEST(RawFramer, CutsSamplesIntoFrames) {
    const RawCase cases[] = {
        {"the timeout report ends a frame; the pause before it is no part of it",
         {{{S(400000), P(9000), S(4500), P(560), kTimeout}}},
         {{210, 194, 146}},
         {}},
        {"a space of the frame gap ends a frame inside one read",
         {{{P(560), S(1690), P(560), S(40000), P(889), kTimeout}}},
         {{146, 172, 146}, {157}},
         {}},
        {"silence ends a frame after the frame gap, not before",
         {{{P(560), S(560), P(560)}}, {{}, RawFramer::kFrameGapMilliseconds - 1}, {{}, 1}},
         {{146, 146, 146}},
         {3}},
        {"a frame read in parts is reported as it grows",
         {{{P(9000), S(4500)}}, {{P(560), kTimeout}}},
         {{210, 194, 146}},
         {2}},
        {"an overflow drops the frame, and says so",
         {{{P(560), S(560)}}, {{kOverflow, S(30000)}}},
         {},
         {2, 0}},
        {"samples of one kind in a row are one duration; a frame ends on a pulse",
         {{{P(300), P(260), S(560), P(560), S(560), kTimeout}}},
         {{146, 146, 146}},
         {}},
    };
    for (const RawCase& c : cases) {
        VirtualClock clock;
        std::vector<Batch> frames;
        std::vector<std::size_t> soFar;
        RawFramer framer(
            clock, [&](const Batch& b) { frames.push_back(b); },
            [&](const Batch& b) { soFar.push_back(b.size()); });
        for (const Step& step : c.steps) {
            if (!step.read.empty()) {
                framer.Samples(step.read.data(), step.read.size());
            }
            clock.advance(step.advance);
        }
        EXPECT_EQ(frames, c.frames) << c.what;
        EXPECT_EQ(soFar, c.soFarSizes) << c.what;
    }
}

TEST(RawFramer, AReceiverThatNeverFallsSilentIsHandedOverInParts) {
    VirtualClock clock;
    std::vector<std::size_t> sizes;
    RawFramer framer(clock, [&](const Batch& b) { sizes.push_back(b.size()); }, {});
    std::vector<std::uint32_t> endless;
    for (std::size_t i = 0; i < RawFramer::kMaxFrameValues + 10; ++i) {
        endless.push_back(i % 2 == 0 ? P(560) : S(560));
    }
    framer.Samples(endless.data(), endless.size());
    EXPECT_EQ(sizes, std::vector<std::size_t>{RawFramer::kMaxFrameValues});
}

TEST(DurationValue, SixteenStepsPerDoublingWithinOneByte) {
    EXPECT_EQ(DurationValue(0), 0);
    EXPECT_EQ(DurationValue(1024), 160);
    EXPECT_EQ(DurationValue(2048), 176);
    EXPECT_EQ(DurationValue(0xFFFFFF), 255);
}

}  // namespace
}  // namespace tavrel
