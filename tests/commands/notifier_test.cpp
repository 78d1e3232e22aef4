// The notifier: every subscriber hears, in order, until its subscription ends,
// whatever is subscribed, ended or destroyed during an announcement.
#include "commands/notifier.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tavrel {
namespace {

TEST(NotifierTest, EverySubscriberHearsUntilItsSubscriptionEnds) {
    Notifier<int> notifier;
    std::string heard;
    auto first = notifier.subscribe([&](int n) { heard += "a" + std::to_string(n); });
    auto second = notifier.subscribe([&](int n) { heard += "b" + std::to_string(n); });
    notifier.notify(1);
    EXPECT_EQ(heard, "a1b1");

    {
        auto moved = std::move(first);  // the subscription travels with its owner
        notifier.notify(2);
    }
    notifier.notify(3);
    EXPECT_EQ(heard, "a1b1a2b2b3");
}

TEST(NotifierTest, SubscribersMayChangeTheListOrEndTheNotifierWhileItAnnounces) {
    auto notifier = std::make_unique<Notifier<>>();
    std::string heard;
    Notifier<>::Subscription self;
    Notifier<>::Subscription later;
    Notifier<>::Subscription victim;
    self = notifier->subscribe([&] {
        heard += "s";
        self.reset();    // ends itself
        victim.reset();  // and one still to come: it is not called
        later = notifier->subscribe([&] { heard += "l"; });  // hears the next one
    });
    victim = notifier->subscribe([&] { heard += "v"; });
    auto last = notifier->subscribe([&] { heard += "x"; });
    notifier->notify();
    EXPECT_EQ(heard, "sx");
    notifier->notify();
    EXPECT_EQ(heard, "sxxl");

    auto ender = notifier->subscribe([&] { notifier.reset(); });
    Notifier<>* raw = notifier.get();
    raw->notify();  // the notifier goes away under its own announcement
    EXPECT_EQ(notifier, nullptr);
    later.reset();  // subscriptions that outlive it end quietly
}

}  // namespace
}  // namespace tavrel
