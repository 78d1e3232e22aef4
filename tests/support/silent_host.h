// A main window that does nothing, for loading and saving commands files where
// only the files and the table matter: benchmarks, the save loop, fuzz targets.
#pragma once

#include "commands/commands_file.h"

namespace tavrel::testing {

class SilentHost : public CommandsFileHost {
public:
    bool IsOpen() const override { return false; }
    void DesactivarClick() override {}
    void ActivarClick() override {}
    PortOrdinals portOrdinals() const override { return ports; }
    void setPortOrdinals(const PortOrdinals& p) override { ports = p; }
    void setCommandsFilePath(const std::string&) override {}
    void showPortOrdinals(const PortOrdinals&) override {}
    void showSequenceSettings(const SequenceSettings&) override {}
    void resetCapture() override {}

    PortOrdinals ports;
};

}  // namespace tavrel::testing
