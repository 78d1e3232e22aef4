// The entries of one numbered section of the commands file, found in one pass:
// a load reads ten keys and every action of each of thousands of sections.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

}  // namespace tavrel
