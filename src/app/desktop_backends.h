// Opening each kind of desktop backend the chooser may ask for.
#pragma once

#include "app/desktop_choice.h"

namespace tavrel {

// x11: XTest and EWMH on DISPLAY. wayland: the compositor's protocols on
// WAYLAND_DISPLAY (uinput where it lacks them). uinput: keys and pointer
// through /dev/uinput, windows from the Wayland display when there is one,
// else from the X display.
DesktopBackendOpen OpenDesktopBackend(BackendKind kind, const DesktopEnvironment& environment);

}  // namespace tavrel
