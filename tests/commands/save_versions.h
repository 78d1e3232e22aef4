// Two versions of a small configuration, for saving back and forth: the
// crash-consistency test and its save loop build them the same way.
#pragma once

#include <string>

#include "../support/silent_host.h"
#include "commands/command_table.h"
#include "commands/commands_file.h"

namespace tavrel::testing {

// Version 0 or 1 of the table (replacing what it held) and of the settings.
inline ProgramSettings BuildVersion(CommandTable& table, int version) {
    table.clear();
    const int remote = table.appendRemote("Remote " + std::to_string(version));
    for (int i = 0; i < 20 + version * 30; ++i) {
        const int pos = table.appendCommand(remote, "Button " + std::to_string(i), -1);
        table.record(pos).Acciones =
            ActionList{"0=\xA1SendKeys\xA1NNNNversion " + std::to_string(version) + " "};
    }
    ProgramSettings settings;
    settings.Sonido = version == 1;
    settings.LogFile = "log-" + std::to_string(version) + ".txt";
    return settings;
}

}  // namespace tavrel::testing
