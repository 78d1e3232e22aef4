// Ends the program at once when the session logs off or shuts down, or when
// the process receives SIGTERM.
#pragma once

#include <functional>

class QGuiApplication;

namespace tavrel {

// end runs on the GUI thread, from the message loop. Call once, after the
// application object exists.
void InstallSessionEnd(QGuiApplication& app, std::function<void()> end);

}  // namespace tavrel
