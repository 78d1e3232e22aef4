// What the main window asks of the program behind it: the settings file, the
// translation table, the commands file, the autostart entry. The program implements it.
#pragma once

#include <optional>
#include <string>

#include "commands/program_settings.h"

namespace tavrel {

class MainWindowServices {
public:
    virtual ~MainWindowServices() = default;

    // Reads "tavrel.ini", every missing key with its default.
    virtual ProgramSettings readSettings() = 0;
    // Loads the translation table from path (Windows-1252); called only when the file exists.
    virtual void loadTranslation(const std::string& path) = 0;
    virtual bool commandTableEmpty() const = 0;
    // Loads the commands file into the empty table; it opens the port when
    // the file has entries.
    virtual void loadCommandsFile() = 0;
    // Writes the settings file and the commands file and reloads the table
    // from them. Returns the message to show when a write failed ("Unable to
    // write to ..."); nothing has changed then.
    virtual std::optional<std::string> SaveRun(const ProgramSettings& settings) = 0;
    // Whether the desktop starts Tavrel at login (its autostart entry).
    virtual bool startsAtLogin() const = 0;
    // Writes or removes the autostart entry; the message to show when that failed.
    virtual std::optional<std::string> setStartAtLogin(bool on) = 0;
    // Whether a command moved the focus just now (a window it closed hands
    // the focus on, perhaps to this window).
    virtual bool focusMovedByCommand() const { return false; }
};

}  // namespace tavrel
