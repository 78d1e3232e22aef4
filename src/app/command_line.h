// The few options tavrel takes, answered before any X connection is made.
#pragma once

#include <string>
#include <vector>

namespace tavrel {

struct CommandLineAnswer {
    bool exit = false;  // the program ends at once with exitCode
    int exitCode = 0;
    std::string out;  // for standard output
    std::string err;  // for standard error
};

// --help and --version are answered; the other arguments are left to Qt,
// whose own options (-display, -platform ...) it removes from the list.
CommandLineAnswer AnswerInformationOptions(const std::vector<std::string>& arguments);

// What is left after Qt took its options: anything but --demo is a mistake.
CommandLineAnswer RejectLeftoverArguments(const std::vector<std::string>& arguments);

// --demo: a run on the simulated receiver in a private program directory.
bool DemoRequested(const std::vector<std::string>& arguments);

// One line for a start without a display; displayName is DISPLAY,
// waylandDisplay WAYLAND_DISPLAY (either may be null).
std::string NoDisplayMessage(const char* displayName, const char* waylandDisplay = nullptr);

}  // namespace tavrel
