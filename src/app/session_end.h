// Ends the program at once when the session logs off or shuts down, or when
// the process receives SIGTERM.
#pragma once

#include <functional>

class QGuiApplication;

namespace tavrel {

// From the first line of main: SIGTERM is caught from here on, and kept for
// the message loop (InstallSessionEnd) however early it comes.
void CatchTermination();
// SIGTERM came.
bool TerminationRequested();

// end runs on the GUI thread, from the message loop, also for a SIGTERM that
// came before. Call once, after the application object exists.
void InstallSessionEnd(QGuiApplication& app, std::function<void()> end);

}  // namespace tavrel
