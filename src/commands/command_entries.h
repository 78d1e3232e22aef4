// The entries of one numbered section of the commands file (a command's, or
// one of its variants'), found in one pass: a load reads ten keys and every
// action of each of thousands of sections; and what the two kinds share.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "commands/comando.h"
#include "commands/ini_file.h"

namespace tavrel {

// "12" -> 12; anything but a plain decimal number (no sign, no leading zero)
// -> nothing. The numbered keys and sections of the commands file.
std::optional<std::int32_t> EntryNumber(std::string_view name);

// Each value as IniFile::read finds it: the first entry of that key, its case
// ignored. Views into the IniFile, valid while it is.
struct CommandEntries {
    enum Name {
        Level,
        Loop,
        LoopActual,
        DeVez,
        MultiKey,
        TargetWindow,
        Activado,
        Typematic,
        Retraso,
        Codigo,
        Application,  // a variant's
        Title,        // a variant's
        kNameCount
    };
    std::array<std::optional<std::string_view>, kNameCount> named;
    // The numbered keys (the actions), in file order, repeats included.
    std::vector<std::pair<std::int32_t, std::string_view>> numbered;

    // As IniFile's readers give them, with the same fallbacks.
    std::int32_t readInt(Name name, std::int32_t fallback) const;
    bool readBool(Name name, bool fallback) const;
    std::string readString(Name name) const;
    // The value of each number below count; empty for one the section lacks.
    std::vector<std::string_view> numberedBelow(std::int32_t count) const;
};

// Fills entries (its storage is reused from section to section).
void ReadCommandEntries(const IniFile& ini, IniFile::SectionId section, CommandEntries& entries);

// Counts in the file (NumComandos, Loop) are believed only as far as the file
// backs them: up to the highest entry within reach of the entries it really
// holds, plus a margin. A mistyped count, or one far-off entry, then gives at
// most a margin of made-up entries instead of exhausting memory.
constexpr std::int64_t kUnbackedEntryMargin = 1000;
// needed: for each entry the file holds, the count that would include it.
// The highest of them within reach of how many there are: one numbered far
// beyond all the others does not count.
std::int64_t HighestWithinReach(std::vector<std::int64_t> needed);
// highest: HighestWithinReach of what the file holds.
std::int32_t BackedCount(std::int32_t claimed, std::int64_t highest);
// The count of actions a section holds: its Loop, as far as its keys back it.
std::int32_t ActionCount(const CommandEntries& entries);

// The actions and their run settings, as a command's section and a variant's
// hold them: Loop, LoopActual, DeVez, MultiKey, TargetWindow, Retraso and the
// actions from "0" up.
void ReadActionSettings(const CommandEntries& entries, ActionSettings& settings);
// Loop, LoopActual, DeVez and MultiKey, with which both kinds of section begin.
void WriteLoopKeys(IniWriter& writer, const ActionSettings& settings);
// The action keys "0", "1", ... of settings, one per line of its list.
void WriteActionKeys(IniWriter& writer, const ActionSettings& settings);

}  // namespace tavrel
