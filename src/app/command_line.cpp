// tavrel's command line.
#include "app/command_line.h"

#include "ui/acerca_de.h"

namespace tavrel {
namespace {

constexpr char kUsage[] =
    "Usage: tavrel [--demo | --help | --version]\n"
    "Lets an infrared remote control drive an X11 or Wayland desktop. The presses\n"
    "come from a serial receiver, a receiver of the kernel (/dev/lircN) or the\n"
    "LIRC daemon, as section [Ports] of tavrel.ini chooses.\n"
    "Without options Tavrel starts in its main window; with \"Load minimized\"\n"
    "saved it starts in the notification area. A second start in the same\n"
    "desktop session brings the running Tavrel's window forward instead.\n"
    "TAVREL_INPUT=x11, wayland, gnome, plasma or uinput chooses how keys reach\n"
    "the desktop.\n"
    "Files: tavrel.ini and the commands file in the program directory, or in\n"
    "$XDG_CONFIG_HOME/tavrel (default ~/.config/tavrel) for an installed copy.\n"
    "\n"
    "  --demo     try Tavrel without a receiver: a simulated one presses the\n"
    "             buttons of a demo remote; your own files are not touched\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n";

}  // namespace

CommandLineAnswer AnswerInformationOptions(const std::vector<std::string>& arguments) {
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            return {true, 0, kUsage, {}};
        }
        if (argument == "--version") {
            return {true, 0, std::string(kProgramTitle) + "\n" + kLicence + "\n", {}};
        }
    }
    return {};
}

CommandLineAnswer RejectLeftoverArguments(const std::vector<std::string>& arguments) {
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] != "--demo") {
            return {true,
                    2,
                    {},
                    "tavrel: unknown argument \"" + arguments[i] + "\"; try tavrel --help\n"};
        }
    }
    return {};
}

bool DemoRequested(const std::vector<std::string>& arguments) {
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--demo") {
            return true;
        }
    }
    return false;
}

std::string NoDisplayMessage(const char* displayName, const char* waylandDisplay) {
    const auto describe = [](const char* name, const char* value) {
        return value == nullptr || *value == '\0' ? std::string(name) + " is not set"
                                                  : std::string(name) + " is \"" + value + "\"";
    };
    return "tavrel: Tavrel needs a Wayland or X display, and none could be opened (" +
           describe("WAYLAND_DISPLAY", waylandDisplay) + ", " + describe("DISPLAY", displayName) +
           "); start it inside a desktop session.\n";
}

}  // namespace tavrel
