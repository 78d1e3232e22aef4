// Opening each kind of desktop backend the chooser may ask for.
#pragma once

#include <string>

#include "app/desktop_choice.h"

namespace tavrel {

// x11: XTest and EWMH on DISPLAY. wayland: the compositor's protocols on
// WAYLAND_DISPLAY (uinput where it lacks them). uinput: keys and pointer
// through /dev/uinput, windows from the Wayland display when there is one,
// else from the X display. gnome: mutter's remote desktop session. plasma:
// KWin's fake input and window management.
DesktopBackendOpen OpenDesktopBackend(BackendKind kind, const DesktopEnvironment& environment);

// Whose compositor the Wayland display is, from the globals it offers;
// Other when it cannot be reached or does not tell.
Compositor IdentifyCompositor(const std::string& waylandDisplay);

// The process's variables, and the compositor of its Wayland display.
DesktopEnvironment ProbeDesktopEnvironment();

}  // namespace tavrel
