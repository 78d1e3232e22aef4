// Which desktop backend the program drives, chosen once at start: the one
// TAVREL_INPUT names; then, when WAYLAND_DISPLAY is set, the desktop's own
// way in where the compositor is GNOME's or Plasma's, and the Wayland
// protocols; then X11 when DISPLAY is set. One that cannot be opened gives
// way to the next, and without any the program runs on the stand-ins. The
// trace says what was chosen and why.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/desktop_backend.h"

namespace tavrel {

enum class BackendKind { X11, Wayland, Uinput, Gnome, Plasma };

// Whose compositor the Wayland display is, as the globals it offers tell.
enum class Compositor { Other, Gnome, Plasma };

// The variables the choice depends on; empty when unset.
struct DesktopEnvironment {
    std::string input;           // TAVREL_INPUT: x11, wayland, uinput, gnome or plasma
    std::string waylandDisplay;  // WAYLAND_DISPLAY
    std::string display;         // DISPLAY
    Compositor compositor = Compositor::Other;

    // The variables only; the compositor stays Other.
    static DesktopEnvironment FromProcess();
};

struct BackendCandidate {
    BackendKind kind;
    std::string why;  // for the trace: "WAYLAND_DISPLAY is \"wayland-1\"" ...
};

// The backends to try, in order, each once. An unknown TAVREL_INPUT is
// described in *problem (a line for the user) and otherwise ignored.
std::vector<BackendCandidate> BackendOrder(const DesktopEnvironment& environment,
                                           std::string* problem);

const char* BackendName(BackendKind kind);

using BackendOpener = std::function<DesktopBackendOpen(BackendKind)>;

struct DesktopChoice {
    std::unique_ptr<DesktopBackend> backend;  // null: nothing could be opened
    BackendKind kind = BackendKind::X11;      // of the backend, when there is one
    // Told to the user once: a wrong TAVREL_INPUT, each backend that failed
    // before another was taken, what the chosen one warned of. English.
    std::vector<std::string> problems;
};

// Tries the backends of BackendOrder with open until one opens.
DesktopChoice ChooseDesktop(const DesktopEnvironment& environment, const BackendOpener& open);

// One line for the trace: what a backend can and cannot do.
std::string DescribeCapabilities(const DesktopCapabilities& can);

}  // namespace tavrel
