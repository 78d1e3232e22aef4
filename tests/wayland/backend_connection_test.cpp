// The Wayland backend's own connection broken under it while the program
// lives on (Qt's connection is another): a hang-up, traced once, after which
// the backend's keys, pointer and windows are unavailable and its descriptor
// is no longer watched, so nothing spins on it.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <string>
#include <vector>

#include "platform/fake/virtual_clock.h"
#include "platform/trace.h"
#include "platform/wayland/wayland_backend.h"
#include "wayland_test_window.h"

namespace tavrel {
namespace {

class Lines final : public Trace {
public:
    void line(std::string_view event) override { lines.emplace_back(event); }
    std::vector<std::string> lines;
};

class BackendConnection : public test::WaylandTest {};

TEST_F(BackendConnection, ABrokenConnectionIsAHangUpTracedOnce) {
    DesktopBackendOpen opened = WaylandBackend::Open({});
    ASSERT_NE(opened.backend, nullptr) << opened.problem;
    auto& backend = static_cast<WaylandBackend&>(*opened.backend);
    Lines trace;
    const ScopedTrace traced(trace);
    VirtualClock clock;
    backend.watchEvents(clock);
    clock.advance(10);
    ASSERT_TRUE(backend.capabilities().keys.available);
    ASSERT_EQ(shutdown(backend.connectionFd(), SHUT_RDWR), 0);
    clock.advance(50);
    EXPECT_EQ(trace.lines.size(), 1U);
    const std::string closed = "The Wayland display closed the connection.";
    const DesktopCapabilities now = backend.capabilities();
    for (const Ability& ability : {now.keys, now.pointer, now.windows}) {
        EXPECT_FALSE(ability.available);
        EXPECT_EQ(ability.reason, closed);
    }
    EXPECT_EQ(backend.desktop().windowsUnavailable(), closed);
}

}  // namespace
}  // namespace tavrel
