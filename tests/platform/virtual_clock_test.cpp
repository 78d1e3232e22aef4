// The virtual clock must fire ticks exactly as message-loop timers would.
#include "platform/fake/virtual_clock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrel {
namespace {

TEST(VirtualClock, RepeatingTimerTicksEveryIntervalUntilDisabled) {
    VirtualClock clock;
    auto timer = clock.createTimer();
    std::vector<std::int64_t> ticks;
    timer->setTickHandler([&] {
        ticks.push_back(clock.now());
        if (ticks.size() == 3) {
            timer->setEnabled(false);
        }
    });
    timer->setInterval(50);
    timer->setEnabled(true);
    clock.advance(49);
    EXPECT_TRUE(ticks.empty());
    clock.advance(1000);
    EXPECT_EQ(ticks, (std::vector<std::int64_t>{50, 100, 150}));
    EXPECT_EQ(clock.now(), 1049);
}

TEST(VirtualClock, ReEnablingRestartsThePeriodButEnablingTwiceDoesNot) {
    VirtualClock clock;
    auto timer = clock.createTimer();
    int ticks = 0;
    timer->setTickHandler([&] { ++ticks; });
    timer->setInterval(150);
    timer->setEnabled(true);
    clock.advance(100);
    timer->setEnabled(true);  // already on: keeps its period
    clock.advance(50);
    EXPECT_EQ(ticks, 1);
    clock.advance(100);
    timer->setEnabled(false);
    timer->setEnabled(true);  // a fresh period from now
    clock.advance(149);
    EXPECT_EQ(ticks, 1);
    clock.advance(1);
    EXPECT_EQ(ticks, 2);
}

TEST(VirtualClock, TimersFireInTimeOrderAndCanStartEachOther) {
    VirtualClock clock;
    auto first = clock.createTimer();
    auto second = clock.createTimer();
    std::vector<std::string> log;
    first->setInterval(100);
    second->setInterval(30);
    first->setTickHandler([&] {
        log.push_back("first@" + std::to_string(clock.now()));
        first->setEnabled(false);
        second->setEnabled(true);
    });
    second->setTickHandler([&] {
        log.push_back("second@" + std::to_string(clock.now()));
        second->setEnabled(false);
    });
    first->setEnabled(true);
    clock.advance(500);
    EXPECT_EQ(log, (std::vector<std::string>{"first@100", "second@130"}));
}

TEST(VirtualClock, ATimerDestroyedInsideItsOwnClockIsForgotten) {
    VirtualClock clock;
    auto keep = clock.createTimer();
    {
        auto gone = clock.createTimer();
        gone->setInterval(10);
        gone->setEnabled(true);
    }
    int ticks = 0;
    keep->setInterval(10);
    keep->setTickHandler([&] { ++ticks; });
    keep->setEnabled(true);
    clock.advance(25);
    EXPECT_EQ(ticks, 2);
}

}  // namespace
}  // namespace tavrel
