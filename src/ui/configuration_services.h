// What the configuration dialog asks of the program behind it: the port's
// settings, the commands and translation files, and the receiver's device.
// The program implements it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "commands/commands_file.h"
#include "platform/serial_device.h"

namespace tavrel {

class ConfigurationServices {
public:
    virtual ~ConfigurationServices() = default;

    virtual PortOrdinals portOrdinals() const = 0;
    // Called with the port closed, so the port number is taken too.
    virtual void setPortOrdinals(const PortOrdinals& ordinals) = 0;

    // The table holds edits that are not in the commands file.
    virtual bool commandsModified() const = 0;
    // Why the existing file at path cannot be loaded as commands, as a
    // message; nothing when it can be.
    virtual std::optional<std::string> commandsFileUnusable(const std::string& path) const = 0;
    // Clears the table and loads it from the existing file at path (Windows-1252).
    virtual void switchCommandsFile(const std::string& path) = 0;
    // Empties the translation table when no file exists at path; an existing
    // one is loaded by the main window when the dialog says translationChanged.
    virtual void switchTranslationFile(const std::string& path) = 0;

    // The device COMn (1..8) opens now, from tavrel.ini; UTF-8.
    virtual std::string portDevice(int comNumber) const = 0;
    virtual std::vector<SerialDeviceEntry> serialDevices() const = 0;
    // Every receiver to offer: the serial devices, and kernel receivers and a
    // running LIRC daemon where the program finds them; each path is the
    // value that chooses it.
    virtual std::vector<SerialDeviceEntry> receiverDevices() const { return serialDevices(); }
    // Maps COMn to device in tavrel.ini; the next open of the port uses it.
    // Returns the message to show when the file could not be written.
    virtual std::optional<std::string> setPortDevice(int comNumber, const std::string& device) = 0;
};

}  // namespace tavrel
