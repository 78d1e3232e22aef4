// The termios block the driver applies for a set of line settings. Kept apart
// from the driver so the bits a pseudo-terminal ignores (parity, data bits) can
// still be checked. Includes the kernel's termbits: never mix with <termios.h>.
#pragma once

#include <asm/termbits.h>

#include "receivers/serial/com_port_types.h"

namespace tavrel {

// Raw mode: no echo, no line editing, no translation, no parity checking;
// reads return at once with whatever has arrived. Every rate goes through
// BOTHER, so 14400 and 56000 work like the standard ones.
termios2 BuildTermios(const LineSettings& settings);

// How long the line must stay quiet before what arrived counts as one burst:
// about two characters at the line's speed and format, at least 1 ms.
int SilenceMilliseconds(const LineSettings& settings);

}  // namespace tavrel
