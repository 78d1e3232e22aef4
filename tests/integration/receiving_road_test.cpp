// The road's receiver: the kind a value names, kept while open, and the
// batches and hang-up of a kind without lines.
#include <gtest/gtest.h>

#include "pipeline.h"
#include "receivers/fake/fake_receiver.h"

namespace tavrel::testing {
namespace {

// Only a serial receiver has lines: the start-up bytes and DTR and RTS go
// nowhere else.
TEST(ReceivingRoad, TheValueChoosesTheKindAndOnlySerialHasLines) {
    const struct {
        const char* value;
        bool serial;
        OpenFailure::Kind failure;  // opening it here
    } cases[] = {
        {"/nonexistent/ttyIR", true, OpenFailure::NoDevice},
        {"lircd:/nonexistent/lircd", false, OpenFailure::DaemonNotRunning},
        {"lircd:host:notaport", false, OpenFailure::BadAddress},
    };
    for (const auto& c : cases) {
        Pipeline p;
        p.road.choose(c.value);
        p.road.serial().SetDevicePaths(
            {c.value, c.value, c.value, c.value, c.value, c.value, c.value, c.value});
        EXPECT_EQ(&p.road.receiver() == &p.road.serial(), c.serial) << c.value;
        EXPECT_EQ(p.capture.lines, c.serial ? p.road.serial().Lines() : nullptr) << c.value;
        EXPECT_FALSE(p.road.receiver().OpenPort());
        EXPECT_EQ(p.road.receiver().LastFailure().kind, c.failure) << c.value;
    }
}

TEST(ReceivingRoad, TheReceiverInUseStaysWhileOpenAndAgainForTheSameValue) {
    Pipeline p;
    p.road.choose("lircd:/run/a");
    Receiver* daemon = &p.road.receiver();
    p.road.choose("lircd:/run/a");
    EXPECT_EQ(&p.road.receiver(), daemon);
    p.road.choose("lircd:/run/b");
    EXPECT_NE(&p.road.receiver(), daemon);

    auto owned = std::make_unique<FakeReceiver>();
    FakeReceiver& fake = *owned;
    p.road.choose(std::move(owned));
    ASSERT_TRUE(fake.OpenPort());
    p.road.choose("/dev/ttyS0");
    EXPECT_EQ(&p.road.receiver(), &fake);
}

// A kind without lines: a press is recognised from its batches and held
// frames repeat; its hang-up reaches whoever listens.
TEST(ReceivingRoad, AReceiverWithoutLinesDrivesRecognitionAndReportsItsHangup) {
    Pipeline p;
    TComando& c = p.addCommand("Up", {0, 0, 0, 0, 0, 0, 0, 9}, {"\xA1SendKeys\xA1NNNNu"});
    c.Typematic = true;
    auto owned = std::make_unique<FakeReceiver>();
    FakeReceiver& fake = *owned;
    p.road.choose(std::move(owned));
    ASSERT_TRUE(fake.OpenPort());
    p.road.receiverOpened();
    int hangups = 0;
    const auto heard = p.road.hungUp.subscribe([&] { ++hangups; });
    for (int frame = 0; frame < 6; ++frame) {
        fake.deliver({0, 0, 0, 0, 0, 0, 0, 9});
        p.clock.advance(108);
    }
    p.clock.advance(200);
    const auto events = p.platform.log.events();
    EXPECT_EQ(std::count(events.begin(), events.end(), "Beep()"), 2);  // the press, one repeat
    fake.hangUp();
    EXPECT_EQ(hangups, 1);
}

}  // namespace
}  // namespace tavrel::testing
