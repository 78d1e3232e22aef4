// A small real Wayland client for tests: an xdg-shell window with a title and
// an app id that records the keys (read through the keymap the compositor
// sends), pointer events and close requests it receives, on a thread of its
// own; plus the fixture of tests that need a Wayland display.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "client_records.h"

namespace tavrel::test {

class WaylandTestWindow final : public TestClient {
public:
    // title is UTF-8. Throws when no Wayland display can be reached.
    explicit WaylandTestWindow(const std::string& title,
                               const std::string& appId = "org.tavrel.TestWindow");
    ~WaylandTestWindow() override;
    WaylandTestWindow(const WaylandTestWindow&) = delete;
    WaylandTestWindow& operator=(const WaylandTestWindow&) = delete;

    bool WaitFor(const std::function<bool(const WindowRecords&)>& ready,
                 std::chrono::milliseconds timeout = std::chrono::seconds(5)) override;
    WindowRecords records() const override;
    void ClearRecords() override;

    struct Client;  // the Wayland side, touched by the pump thread only
    // Changes the records under the lock and wakes the waiters.
    void Record(const std::function<void(WindowRecords&)>& change);

private:
    void Pump();

    std::unique_ptr<Client> client_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    WindowRecords records_;
    std::atomic<bool> stop_{false};
    std::thread pump_;
};

// Tests that need a Wayland display: skipped without WAYLAND_DISPLAY, failed
// instead when TAVREL_REQUIRE_WAYLAND=1 (as under scripts/waystack).
class WaylandTest : public ::testing::Test {
protected:
    void SetUp() override;
};

}  // namespace tavrel::test
