// A daemon's client on the virtual clock, with what it raised counted, for
// the tests against peers of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/fake/virtual_clock.h"
#include "receivers/lircd/lircd_client.h"
#include "temp_dir.h"

namespace tavrel::testing {

class LircdClientTest : public ::testing::Test {
protected:
    // A new client for a [Ports] value ("lircd:...").
    void use(const std::string& value) {
        client = std::make_unique<LircdClient>(ChooseReceiver(value), clock, clock);
        client->SetOnReceiveData([this](Receiver&, const std::uint8_t* data, std::int32_t size) {
            batches.emplace_back(data, data + size);
        });
        client->SetOnHangup([this](Receiver&) { ++hangups; });
        client->SetOnOpenEnded([this](Receiver&) { ++ended; });
        client->SetOnBack([this](Receiver&) { ++backs; });
    }

    // Lets the virtual clock run in real time until condition holds.
    bool runUntil(const std::function<bool()>& condition, int milliseconds = 5000) {
        for (int i = 0; i < milliseconds / 2 && !condition(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            clock.advance(1);
        }
        return condition();
    }

    TempDir dir;
    VirtualClock clock;
    std::unique_ptr<LircdClient> client;
    std::vector<std::vector<std::uint8_t>> batches;
    int hangups = 0;
    int ended = 0;
    int backs = 0;
};

}  // namespace tavrel::testing
