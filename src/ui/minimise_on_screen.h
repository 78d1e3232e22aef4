// Minimising a window that may have been shown a moment ago.
#pragma once

#include <functional>

class QWidget;

namespace tavrel {

// Shows window and minimises it once it is on screen: a window manager only
// minimises a window it already manages. Waits at most about two seconds, and
// gives up early when stillWanted turns false.
void MinimiseOnScreen(QWidget& window, std::function<bool()> stillWanted);

}  // namespace tavrel
