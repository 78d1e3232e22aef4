// The commands file: Load fills the command table and the settings in effect
// from it; Save/Run writes both back safely and reloads what it wrote.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "commands/command_table.h"
#include "commands/program_settings.h"
#include "commands/safe_file_write.h"
#include "commands/sequence_settings.h"
#include "platform/file_system.h"

namespace tavrel {

// The serial driver's settings as ordinals of its property types.
struct PortOrdinals {
    std::int32_t ComPort = -1;         // 0..7 = COM1..COM8; the file's Puerto - 1
    std::int32_t ComPortSpeed = 8;     // 0 = 110 ... 8 = 19200 ... 12 = 115200
    std::int32_t ComPortParity = 0;    // none, odd, even, mark, space
    std::int32_t ComPortDataBits = 3;  // 5, 6, 7, 8
    std::int32_t ComPortStopBits = 0;  // 1, 1.5, 2

    bool operator==(const PortOrdinals&) const = default;
};

// What Load and Save/Run need of the main window, its serial driver, the
// configuration dialog and code capture. Calls arrive in the documented order.
class CommandsFileHost {
public:
    virtual ~CommandsFileHost() = default;

    // --- port (main window and serial driver)
    virtual bool IsOpen() const = 0;
    virtual void DesactivarClick() = 0;  // close the port and show it closed
    // Open the port with the settings in effect, or report the port conflict.
    virtual void ActivarClick() = 0;
    virtual PortOrdinals portOrdinals() const = 0;
    // Sets ComPort, ComPortSpeed, ComPortParity, ComPortDataBits, ComPortStopBits.
    virtual void setPortOrdinals(const PortOrdinals& ordinals) = 0;

    // --- configuration dialog
    // The commands file path that Load read from the settings file: it becomes
    // the commands file path and EFichConfig shows it, without a second load.
    virtual void setCommandsFilePath(const std::string& path) = 0;
    // Selects the list items of the loaded ordinals; an ordinal outside a
    // list's range leaves that list as it was.
    virtual void showPortOrdinals(const PortOrdinals& ordinals) = 0;
    // Shows SkipFirst, Tolerance and ValueSize in the fields and arrows.
    virtual void showSequenceSettings(const SequenceSettings& settings) = 0;

    // --- capture: Aprendiendo := false, PosEscritura := 1, NumValores of SecuenciaActual := 0
    virtual void resetCapture() = 0;
};

struct LoadResult {
    std::string path;       // the file the load was of
    bool found = false;     // false: no such file, nothing was changed
    std::string readError;  // the file exists but could not be read: defaults were loaded
};

class CommandsFile {
public:
    // sequence: the code-sequence settings in effect, shared with capture.
    CommandsFile(CommandTable& table, SequenceSettings& sequence, CommandsFileHost& host,
                 FileSystem& files, const ProgramSettingsFile& settingsFile);

    // Load of the file named by the settings file; expects an empty table.
    LoadResult Load();
    // Load started by the configuration dialog's commands-file field.
    LoadResult LoadFrom(const std::string& path);
    // Why the file at path cannot be loaded as commands (it exists but cannot
    // be read, or is no commands file), as UnableToRead words it; nothing
    // when it can be, or is missing. Reads the file and changes nothing.
    std::optional<std::string> Unusable(const std::string& path) const;

    // Writes the settings file, then the commands file, and on success
    // reloads the table from what it wrote. Nothing is returned on success;
    // the caller then goes to running mode. On failure nothing else happened:
    // the old files and the table are as they were. A commands file that
    // exists but cannot be read (so the table does not hold what it holds) is
    // never written over: Save/Run fails until it is readable or another is
    // chosen. When the file holds what the table does not (entries beyond
    // the table's, deleted by the user or never loaded, variants deleted or
    // never loaded, or values longer than a load reads), a copy of it as it
    // was is kept first in "<name>.bak", replacing the copy an earlier
    // Save/Run kept.
    std::optional<WriteFailure> SaveRun(const ProgramSettings& settingsInEffect);
    // The copy the last successful Save/Run kept; empty when it kept none.
    const std::string& backupKept() const { return backupKept_; }

    // The whole file as Save/Run writes it.
    static std::string Serialize(const CommandTable& table, const SequenceSettings& sequence,
                                 const PortOrdinals& ports);

private:
    LoadResult loadFile(const std::string& path);
    // Whether the file at path holds exactly bytes.
    bool Holds(const std::string& path, std::string_view bytes) const;

    CommandTable& table_;
    SequenceSettings& sequence_;
    CommandsFileHost& host_;
    FileSystem& files_;
    const ProgramSettingsFile& settingsFile_;
    std::string backupKept_;
};

// Added to the commands file's name for the copy Save/Run keeps of it.
constexpr char kBackupSuffix[] = ".bak";

}  // namespace tavrel
