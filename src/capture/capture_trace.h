// The trace lines of the receiving side: bursts and recognitions, with the
// closest miss when nothing matched.
#pragma once

#include <string>

#include "commands/command_table.h"
#include "commands/secuencia.h"
#include "commands/sequence_settings.h"

namespace tavrel {

// The values in hexadecimal, separated by blanks.
std::string TraceValues(const TSecuencia& secuencia);

// What recognition found for secuencia: the command at position match, or
// (kNoNode) the command that matched longest and where it parted.
std::string DescribeRecognition(const CommandTable& table, const TSecuencia& secuencia,
                                const SequenceSettings& settings, int match);

}  // namespace tavrel
