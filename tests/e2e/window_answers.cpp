// The program directory of a daemon's client, and its main window.
#include "window_answers.h"

#include <string_view>
#include <vector>

#include "program_process.h"

namespace tavrel::testing {

void PutDaemonPrograms(const TempDir& dir, const std::string& address, bool loadMinimized,
                       const std::string& action) {
    dir.put("tavrel.ini", "[Files]\r\nLogFile=" + dir.file("tavrel.log") +
                              "\r\n\r\n[Config]\r\narranque=" + (loadMinimized ? "1" : "0") +
                              "\r\n\r\n[Ports]\r\nCOM2=" + address + "\r\n");
    dir.put("vorkumel.ini",
            "[Config]\r\nPuerto=2\r\nNumComandos=2\r\n"
            "[Comandos]\r\n1=Remote\r\n2=Up\r\n"
            "[1]\r\nLevel=0\r\n"
            "[2]\r\nLevel=1\r\nCodigo=0000000000FF18E7\r\n0=" +
                action + "\r\n");
}

bool DaemonConnected(const std::string& trace) {
    constexpr std::string_view kOpen = "lircd open ";
    constexpr std::string_view kFailed = "lircd open failed:";
    std::size_t open = std::string::npos;
    for (auto at = trace.find(kOpen); at != std::string::npos; at = trace.find(kOpen, at + 1)) {
        if (trace.compare(at, kFailed.size(), kFailed) != 0) {
            open = at;
        }
    }
    const auto closed = trace.rfind("lircd closed");
    return open != std::string::npos && (closed == std::string::npos || open > closed);
}

bool OpenAndCloseSettings(const std::string& window) {
    RunCommand("timeout 5 xdotool windowactivate --sync " + window + " key --delay 100 alt+f s");
    const bool opened = !RunCommand(
                             "sleep 0.3; timeout 5 xdotool search --onlyvisible --name "
                             "'^Program configuration$'")
                             .empty();
    RunCommand("timeout 5 xdotool key Escape; sleep 0.2");
    return opened;
}

std::string MainWindow() {
    const std::vector<std::string> found = FindWindows("--onlyvisible --name '^Tavrel .*[(]'");
    return found.empty() ? std::string() : found.front();
}

}  // namespace tavrel::testing
