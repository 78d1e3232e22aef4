// The desktop the program chooses on each real compositor (scripts/waystack,
// scripts/waystack --mutter, --kwin): the desktop's own way in where it has
// one, and a way that cannot be opened giving way to the next, its reason kept.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "app/desktop_backends.h"
#include "app/desktop_choice.h"
#include "child_process.h"
#include "platform/gnome/gnome_backend.h"
#include "platform/posix/unique_fd.h"
#include "platform/trace.h"
#include "platform/wayland/wayland_backend.h"
#include "temp_dir.h"
#include "wayland_test_window.h"

namespace tavrel::test {
namespace {

bool UinputWorks() {
    const int fd = open("/dev/uinput", O_RDWR | O_CLOEXEC);
    if (fd >= 0) {
        close(fd);
    }
    return fd >= 0;
}

class DesktopChoiceOnCompositor : public WaylandTest {};

// Every backend opened is kept to the end of the run: sway 1.7 with XWayland
// was seen to crash when virtual keyboards came and went.
std::vector<DesktopChoice>& Kept() {
    static std::vector<DesktopChoice> kept;
    return kept;
}

TEST_F(DesktopChoiceOnCompositor, TheDesktopsOwnWayIsChosenAndAFailedOneGivesWay) {
    const char* running = std::getenv("TAVREL_COMPOSITOR");
    ASSERT_NE(running, nullptr) << "run under scripts/waystack";
    const struct {
        const char* compositor;
        const char* input;  // TAVREL_INPUT
        BackendKind chosen;
        const char* problem;  // in the first problem told; nullptr: none told
    } cases[] = {
        {"sway", "", BackendKind::Wayland, nullptr},
        {"sway", "uinput", BackendKind::Wayland, "/dev/uinput"},
        {"sway", "gnome", BackendKind::Wayland, "GNOME's remote desktop"},
        {"sway", "plasma", BackendKind::Wayland, "KWin offers its fake input only"},
        {"mutter", "", BackendKind::Gnome, nullptr},
        {"mutter", "plasma", BackendKind::Gnome, "KWin offers its fake input only"},
        {"kwin", "", BackendKind::Plasma, nullptr},
        {"kwin", "gnome", BackendKind::Plasma, "GNOME's remote desktop"},
    };
    for (const auto& c : cases) {
        if (std::string(c.compositor) != running ||
            (std::string(c.input) == "uinput" && UinputWorks())) {
            continue;
        }
        DesktopEnvironment environment = ProbeDesktopEnvironment();
        environment.input = c.input;
        const DesktopChoice& chosen = Kept().emplace_back(ChooseDesktop(
            environment, [&](BackendKind kind) { return OpenDesktopBackend(kind, environment); }));
        ASSERT_NE(chosen.backend, nullptr) << c.input;
        EXPECT_EQ(BackendName(chosen.kind), std::string(BackendName(c.chosen))) << c.input;
        if (c.problem == nullptr) {
            EXPECT_TRUE(chosen.problems.empty()) << c.input << ": " << chosen.problems.front();
        } else {
            ASSERT_FALSE(chosen.problems.empty()) << c.input;
            EXPECT_NE(chosen.problems.front().find(c.problem), std::string::npos)
                << c.input << ": " << chosen.problems.front();
        }
    }
}

// Sentences joined mid-way ("..., and The ..."), a reason that ends before a
// clause goes on (".;"), an empty name shown as "".
void ExpectSentences(const std::string& text) {
    static const std::regex joined(R"(, and [A-Z/]|\.;|\"\")");
    EXPECT_FALSE(std::regex_search(text, joined)) << text;
}

TEST_F(DesktopChoiceOnCompositor, EveryReasonToldReadsAsSentencesAndClaimsNoMoreThanItKnows) {
    // TAVREL_INPUT=x11 without an X display: another way serves, and the
    // reason told for x11 says only what went wrong.
    DesktopEnvironment environment = ProbeDesktopEnvironment();
    environment.input = "x11";
    environment.display.clear();
    const std::string display = std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    const DesktopChoice& chosen = Kept().emplace_back(ChooseDesktop(
        environment, [&](BackendKind kind) { return OpenDesktopBackend(kind, environment); }));
    if (!display.empty()) {
        setenv("DISPLAY", display.c_str(), 1);
    }
    ASSERT_NE(chosen.backend, nullptr);
    ASSERT_FALSE(chosen.problems.empty());
    EXPECT_EQ(chosen.problems.front(), "DISPLAY is not set, so no X display can be reached.");
    for (const std::string& problem : chosen.problems) {
        ExpectSentences(problem);
    }

    // A compositor without the Wayland input protocols, and no uinput: the
    // reasons told for keys, the pointer and the windows; a press whose
    // keys are lost says so in the trace.
    if (std::string(std::getenv("TAVREL_COMPOSITOR")) != "mutter" || UinputWorks()) {
        return;
    }
    DesktopBackendOpen opened = WaylandBackend::Open({});
    ASSERT_NE(opened.backend, nullptr) << opened.problem;
    EXPECT_EQ(opened.problem.rfind("The compositor offers no virtual keyboard. ", 0), 0u)
        << opened.problem;
    EXPECT_NE(opened.problem.find("Windows cannot be listed or activated either."),
              std::string::npos)
        << opened.problem;
    ExpectSentences(opened.problem);
    const DesktopCapabilities can = opened.backend->capabilities();
    for (const Ability* ability : {&can.keys, &can.pointer, &can.windows}) {
        ExpectSentences(ability->reason);
    }
    struct Lines final : Trace {
        std::vector<std::string> lines;
        void line(std::string_view event) override { lines.emplace_back(event); }
    } trace;
    const ScopedTrace installed(trace);
    opened.backend->input().StartOfKeys();
    opened.backend->input().TypeCharacter('a');
    ASSERT_FALSE(trace.lines.empty());
    EXPECT_EQ(trace.lines.front().rfind("keys: not sent: ", 0), 0u) << trace.lines.front();
}

// A bus service that takes GNOME's name and never answers costs the start no
// more than the backend's deadline, and the next way serves.
TEST_F(DesktopChoiceOnCompositor, AGnomeServiceThatNeverAnswersIsGivenUpOnInTime) {
    if (std::string(std::getenv("TAVREL_COMPOSITOR")) != "kwin") {
        GTEST_SKIP() << "needs a session bus without mutter (scripts/waystack --kwin)";
    }
    testing::TempDir dir;
    const UniqueFd out(open(dir.file("helper.out").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
    testing::ChildProcess silent;
    ASSERT_TRUE(silent.start({TAVREL_WAYLAND_HELPER, "silent-gnome"},
                             testing::ChildStreams{.output = out.get()}));
    ASSERT_TRUE(
        WaitUntil([&] { return dir.get("helper.out").find("ready") != std::string::npos; }));
    GnomeBackend::Options options;
    options.longest = std::chrono::milliseconds(300);
    const DesktopBackendOpen opened = GnomeBackend::Open(options);
    EXPECT_EQ(opened.backend, nullptr);
    EXPECT_NE(opened.problem.find("did not make a session"), std::string::npos) << opened.problem;
    ExpectSentences(opened.problem);
}

}  // namespace
}  // namespace tavrel::test
