// The choice of desktop backend: the order the environment asks for, a
// backend that fails giving way to the next with its reason kept, the trace
// of what was chosen and why; and the session's display that keeps one
// Tavrel per session.
#include "app/desktop_choice.h"

#include <gtest/gtest.h>

#include <QDir>

#include <map>

#include "app/command_line.h"
#include "app/null_desktop.h"
#include "app/single_instance.h"
#include "platform/trace.h"

namespace tavrel {
namespace {

std::string Order(const DesktopEnvironment& environment, std::string* problem = nullptr) {
    std::string names;
    for (const BackendCandidate& candidate : BackendOrder(environment, problem)) {
        names += std::string(names.empty() ? "" : " ") + BackendName(candidate.kind);
    }
    return names;
}

TEST(DesktopChoice, TheOverrideThenWaylandThenX11) {
    const struct {
        DesktopEnvironment environment;
        std::string order;
    } cases[] = {
        {{"", "wayland-0", ":0"}, "wayland x11"},
        {{"", "", ":0"}, "x11"},
        {{"", "wayland-0", ""}, "wayland"},
        {{"", "", ""}, ""},
        {{"x11", "wayland-0", ":0"}, "x11 wayland"},
        {{"uinput", "wayland-0", ":0"}, "uinput wayland x11"},
        {{"wayland", "", ""}, "wayland"},
        // The desktop's own way in comes before the Wayland protocols.
        {{"", "wayland-0", ":0", Compositor::Gnome}, "gnome wayland x11"},
        {{"", "wayland-0", "", Compositor::Plasma}, "plasma wayland"},
        {{"uinput", "wayland-0", "", Compositor::Plasma}, "uinput plasma wayland"},
        {{"plasma", "wayland-0", "", Compositor::Gnome}, "plasma gnome wayland"},
        // Without a Wayland display the compositor tells nothing.
        {{"", "", ":0", Compositor::Gnome}, "x11"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Order(c.environment), c.order) << c.environment.input;
    }
    std::string problem;
    EXPECT_EQ(Order({"xtest", "", ":0"}, &problem), "x11");
    EXPECT_EQ(problem,
              "TAVREL_INPUT is \"xtest\", which names no way to reach the desktop (x11, wayland, "
              "uinput, gnome or plasma); it is ignored.");
}

// A backend that only says what it is and what it cannot do.
class StandIn final : public DesktopBackend {
public:
    explicit StandIn(std::string name) : name_(std::move(name)) {}
    std::string description() const override { return name_; }
    Input& input() override { return input_; }
    Desktop& desktop() override { return desktop_; }
    Sound& sound() override { return sound_; }
    DesktopCapabilities capabilities() const override {
        return {{}, {}, Ability::No("no window list")};
    }
    void setMessagePump(std::function<void()>) override {}

private:
    std::string name_;
    NullInput input_;
    NullDesktop desktop_;
    NullSound sound_;
};

TEST(DesktopChoice, AFailedBackendGivesWayAndEveryStepIsTraced) {
    struct Lines final : Trace {
        std::vector<std::string> lines;
        void line(std::string_view event) override { lines.emplace_back(event); }
    } trace;
    const ScopedTrace installed(trace);
    const auto open = [](BackendKind kind) {
        if (kind == BackendKind::Wayland) {
            return DesktopBackendOpen{nullptr, "Cannot connect to the Wayland display."};
        }
        return DesktopBackendOpen{std::make_unique<StandIn>("X11 stand-in"), ""};
    };
    DesktopChoice chosen = ChooseDesktop({"", "wayland-0", ":0"}, open);
    ASSERT_NE(chosen.backend, nullptr);
    EXPECT_EQ(chosen.backend->description(), "X11 stand-in");
    EXPECT_EQ(chosen.problems, std::vector<std::string>{"Cannot connect to the Wayland display."});
    EXPECT_EQ(trace.lines,
              (std::vector<std::string>{
                  "desktop: wayland (WAYLAND_DISPLAY is \"wayland-0\") cannot be used: Cannot "
                  "connect to the Wayland display.",
                  "desktop: chose x11, X11 stand-in, because DISPLAY is \":0\"; keys yes, "
                  "pointer yes, windows no (no window list)"}));

    trace.lines.clear();
    chosen = ChooseDesktop({"", "", ""}, open);
    EXPECT_EQ(chosen.backend, nullptr);
    EXPECT_EQ(trace.lines, std::vector<std::string>{
                               "desktop: none could be reached (neither WAYLAND_DISPLAY "
                               "nor DISPLAY is set); keys, pointer and windows do nothing"});
}

TEST(DesktopChoice, WithoutAnyDisplayOneLineNamesWhatWasLookedFor) {
    EXPECT_EQ(NoDisplayMessage(nullptr, nullptr),
              "tavrel: Tavrel needs a Wayland or X display, and none could be opened "
              "(WAYLAND_DISPLAY is not set, DISPLAY is not set); start it inside a desktop "
              "session.\n");
    EXPECT_EQ(NoDisplayMessage(":3", "wayland-9"),
              "tavrel: Tavrel needs a Wayland or X display, and none could be opened "
              "(WAYLAND_DISPLAY is \"wayland-9\", DISPLAY is \":3\"); start it inside a desktop "
              "session.\n");
}

TEST(DesktopChoice, AWaylandDisplayNamesTheInstanceSocketSafely) {
    EXPECT_EQ(InstanceServerName(1000, "wayland-1", "/run/user/1000"),
              "/run/user/1000/tavrel-wayland-1.socket");
    // Without a runtime folder: the user's private folder in the temporary one.
    EXPECT_EQ(InstanceServerName(1000, "/tmp/w s/wayland-1", ""),
              QDir::tempPath() + "/tavrel-runtime-1000/tavrel-_tmp_w_s_wayland-1.socket");
}

}  // namespace
}  // namespace tavrel
