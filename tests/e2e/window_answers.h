// What the tests and benchmark of the window's answers share: a program
// directory whose COM2 is the LIRC daemon at an address, with one command
// learned from it, and the main window of the program.
#pragma once

#include <cstdint>
#include <string>

#include "temp_dir.h"

namespace tavrel::testing {

// The code of the one learned command, Remote > Up.
inline constexpr std::uint64_t kDaemonCode = 0x00FF18E7;

// tavrel.ini and vorkumel.ini: COM2 is address ("lircd:..."), the port opens
// with the commands file; editing mode, or Load minimized. The command's one
// action types "up", or is the one given.
void PutDaemonPrograms(const TempDir& dir, const std::string& address, bool loadMinimized,
                       const std::string& action = "\xA1SendKeys\xA1NNNNup");

// Whether the daemon's client is open at the end of the program's trace: its
// last open (one that failed is none) comes after its last close.
bool DaemonConnected(const std::string& trace);

// The main window's id, once it is shown; empty before.
std::string MainWindow();

// File > Settings... opened in the main window and closed again (Escape),
// as a user looking at the receivers would; waits on nobody for long. Whether
// the dialog was seen open.
bool OpenAndCloseSettings(const std::string& window);

}  // namespace tavrel::testing
