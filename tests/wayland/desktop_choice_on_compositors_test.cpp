// The desktop the program chooses on each real compositor (scripts/waystack,
// scripts/waystack --mutter, --kwin): the desktop's own way in where it has
// one, and a way that cannot be opened giving way to the next, its reason kept.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/desktop_backends.h"
#include "app/desktop_choice.h"
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
    // Kept to the end: sway 1.7 with XWayland was seen to crash when virtual
    // keyboards came and went.
    std::vector<DesktopChoice> kept;
    for (const auto& c : cases) {
        if (std::string(c.compositor) != running ||
            (std::string(c.input) == "uinput" && UinputWorks())) {
            continue;
        }
        DesktopEnvironment environment = ProbeDesktopEnvironment();
        environment.input = c.input;
        const DesktopChoice& chosen = kept.emplace_back(ChooseDesktop(
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

}  // namespace
}  // namespace tavrel::test
