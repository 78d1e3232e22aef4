// irsim: command-line options and help of the simulated infrared receiver.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

#include "receiver.h"
#include "script.h"

namespace {

const char kHelp[] = R"(Usage: tavrel-irsim [OPTION]... [SCRIPT]...

Simulates a serial infrared receiver on a pseudo-terminal. The program under
test opens the line (or the link given with --link) as its serial port.
The receiver answers the start-up bytes 'I' then 'R' with "OK", sends one
burst of bytes for every button press and repeats the burst while a button
is held.

Options:
  --link PATH        make PATH a symbolic link to the line (replaces an old link,
                     never a file); removed again on exit
  --burst-size N     bytes in every burst (1..4096, default 6)
  --repeat-ms N      period of the repeated bursts of a held button (default 110)
  --log FILE         write the log to FILE instead of standard error
  --absolute-time    stamp the log with the system's monotonic clock (CLOCK_MONOTONIC,
                     milliseconds) instead of the time since start
  --loop             at its end play the script again from its start, for as
                     long as the receiver runs (a script without a wait or a
                     hold is played once)
  --help             show this text

The script comes from the SCRIPT arguments if any are given, else from standard
input. Commands are separated by blanks, newlines or ';'; '#' starts a comment.
Commands run one after the other; the line is served meanwhile.

  press CODE         one button press: one burst
  hold CODE MS       a button held for MS milliseconds: a burst at once and one
                     more every repeat period while the time lasts
  wait MS            do nothing for MS milliseconds (leave at least 150 between
                     presses, or the program takes them for one)
  send HEX           write exactly these bytes, whatever the burst size
  quit               stop (so does the end of the script or SIGINT/SIGTERM)

CODE and HEX are pairs of hexadecimal digits, one pair per byte (0A1F3C). A
burst is CODE repeated or cut to the burst size: with the default size 6,
"press 0A1F3C" sends 0A 1F 3C 0A 1F 3C and "press 7F" sends 7F six times.

Log: one line per event, "MILLISECONDS KIND [DATA]":
  ready PATH         the line is up at PATH (always the first line)
  rx HEX             bytes the program sent
  reply HEX          the answer "OK" (4F 4B) to 'I' then 'R'
  burst HEX          a burst of a press or a held button
  send HEX           bytes of a send command
  dropped HEX        bytes the full line did not take
  script-error TEXT  a command that could not be read (it is skipped)
  exit               the receiver stops

Example:
  tavrel-irsim --link /tmp/ttyIR 'wait 1000; press 0A1F3C; wait 300; hold 0A1F3C 600; quit'
)";

bool ParseNumber(const char* text, int low, int high, int& value) {
    const char* end = text + std::strlen(text);
    auto [ptr, ec] = std::from_chars(text, end, value);
    return ec == std::errc() && ptr == end && value >= low && value <= high;
}

int Usage(const std::string& problem) {
    std::fprintf(stderr, "tavrel-irsim: %s\nTry 'tavrel-irsim --help'.\n", problem.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    irsim::ReceiverOptions options;
    irsim::ScriptParser script;
    std::string scriptText;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (arg == "--absolute-time") {
            options.absoluteTime = true;
        } else if (arg == "--loop") {
            options.loop = true;
        } else if (arg == "--link" || arg == "--log") {
            if (!hasValue) {
                return Usage(arg + " needs a path");
            }
            (arg == "--link" ? options.linkPath : options.logPath) = argv[++i];
        } else if (arg == "--burst-size") {
            if (!hasValue || !ParseNumber(argv[++i], 1, 4096, options.burstSize)) {
                return Usage("--burst-size needs a number from 1 to 4096");
            }
        } else if (arg == "--repeat-ms") {
            if (!hasValue || !ParseNumber(argv[++i], 1, 600000, options.repeatMilliseconds)) {
                return Usage("--repeat-ms needs a number of milliseconds");
            }
        } else if (arg.rfind("--", 0) == 0) {
            return Usage("unknown option " + arg);
        } else {
            scriptText += arg + "\n";
            options.readStandardInput = false;
        }
    }
    if (!options.readStandardInput) {
        script.feed(scriptText);
        script.finish();
    }
    return irsim::RunReceiver(options, script);
}
