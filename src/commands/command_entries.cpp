// One pass over a section of the commands file.
#include "commands/command_entries.h"

#include <algorithm>

#include "commands/text_case.h"

namespace tavrel {
namespace {

constexpr std::array<std::string_view, CommandEntries::kNameCount> kNames = {
    "Level",        "Loop",     "LoopActual", "DeVez",   "MultiKey",
    "TargetWindow", "Activado", "Typematic",  "Retraso", "Codigo"};

}  // namespace

std::optional<std::int32_t> EntryNumber(std::string_view name) {
    if (name.empty() || name.size() > 10 || (name.size() > 1 && name[0] == '0') ||
        !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return ParseIniInteger(name);
}

std::int32_t CommandEntries::readInt(Name name, std::int32_t fallback) const {
    const auto& value = named[name];
    return value ? ParseIniInteger(*value).value_or(fallback) : fallback;
}

bool CommandEntries::readBool(Name name, bool fallback) const {
    return readInt(name, fallback ? 1 : 0) != 0;
}

std::string CommandEntries::readString(Name name) const {
    return std::string(named[name].value_or(std::string_view()));
}

std::vector<std::string_view> CommandEntries::numberedBelow(std::int32_t count) const {
    std::vector<std::string_view> values(static_cast<std::size_t>(std::max(0, count)));
    std::vector<bool> found(values.size());
    for (const auto& [number, value] : numbered) {
        const auto at = static_cast<std::size_t>(number);
        if (at < values.size() && !found[at]) {
            values[at] = value;
            found[at] = true;
        }
    }
    return values;
}

void ReadCommandEntries(const IniFile& ini, IniFile::SectionId section, CommandEntries& entries) {
    entries.named.fill(std::nullopt);
    entries.numbered.clear();
    ini.forEachEntry(section, [&entries](std::string_view key, std::string_view value) {
        if (const auto number = EntryNumber(key)) {
            entries.numbered.emplace_back(*number, value);
            return;
        }
        for (std::size_t n = 0; n < kNames.size(); ++n) {
            if (kNames[n].size() == key.size() && EqualsIgnoringCase1252(kNames[n], key)) {
                if (!entries.named[n]) {
                    entries.named[n] = value;
                }
                return;
            }
        }
    });
}

}  // namespace tavrel
