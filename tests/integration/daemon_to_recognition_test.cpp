// The receiving road fed by the real LIRC daemon: a simulated press is
// recognised and a held button's repeat lines repeat its command exactly as
// a serial receiver's bursts do.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "lircd_process.h"
#include "pipeline.h"
#include "temp_dir.h"

namespace tavrel::testing {
namespace {

TEST(DaemonToRecognition, AHeldButtonIsOnePressAndThenTypematicRepeats) {
    if (!LircdProcess::Available()) {
        GTEST_SKIP() << "lircd and irsend are not installed (scripts/install-deps test)";
    }
    TempDir dir;
    LircdProcess daemon(dir.path());
    ASSERT_TRUE(daemon.started());
    Pipeline p;
    p.addCommand("Up", {0, 0, 0, 0, 0x00, 0xFF, 0x18, 0xE7}, {"\xA1SendKeys\xA1NNNNu"}).Typematic =
        true;
    p.addCommand("Down", {0, 0, 0, 0, 0x00, 0xFF, 0x4A, 0xB5}, {"\xA1SendKeys\xA1NNNNd"});
    p.road.choose("lircd:" + daemon.socketPath());
    ASSERT_TRUE(p.road.receiver().OpenPort()) << p.road.receiver().LastError();
    p.road.receiverOpened();
    const auto beeps = [&] {
        const auto events = p.platform.log.events();
        return std::count(events.begin(), events.end(), "Beep()");
    };
    // Every 100 ms as the daemon repeats a held NEC button: the press, four
    // repeats dropped, then one repeat per line. The daemon has written the
    // line to its clients by the time it answers irsend.
    const auto frame = [&](std::uint64_t code, int repeat, const char* button) {
        const auto next = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
        ASSERT_TRUE(daemon.simulate(code, repeat, button));
        p.clock.advance(1);
        std::this_thread::sleep_until(next);
        p.clock.advance(99);
    };
    for (int repeat = 0; repeat < 7; ++repeat) {
        frame(0x00FF18E7, repeat, "KEY_UP");
    }
    EXPECT_EQ(beeps(), 3);
    EXPECT_EQ(p.capture.MouseStep, 3);
    p.clock.advance(200);  // released
    frame(0x00FF4AB5, 0, "KEY_DOWN");
    EXPECT_EQ(beeps(), 4);
    EXPECT_EQ(p.table.record(p.table.selected()).Nombre, "Down");
}

}  // namespace
}  // namespace tavrel::testing
