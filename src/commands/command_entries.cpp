// One pass over a section of the commands file, and the keys a command's
// section and a variant's share.
#include "commands/command_entries.h"

#include <algorithm>

#include "commands/text_case.h"

namespace tavrel {
namespace {

constexpr std::array<std::string_view, CommandEntries::kNameCount> kNames = {
    "Level",    "Loop",      "LoopActual", "DeVez",  "MultiKey",    "TargetWindow",
    "Activado", "Typematic", "Retraso",    "Codigo", "Application", "Title"};

// The text of the action line named index ("index=text"); empty when none.
std::string_view ActionText(const ActionList& actions, std::size_t index) {
    const std::string name = std::to_string(index);
    auto textOf = [&name](const std::string& line) -> std::optional<std::string_view> {
        if (line.size() > name.size() && line.compare(0, name.size(), name) == 0 &&
            line[name.size()] == '=') {
            return std::string_view(line).substr(name.size() + 1);
        }
        return std::nullopt;
    };
    // Lines are normally in index order, so the line at that place is tried first.
    if (index < actions.size()) {
        if (const auto text = textOf(actions[index])) {
            return *text;
        }
    }
    for (const auto& line : actions) {
        if (const auto text = textOf(line)) {
            return *text;
        }
    }
    return {};
}

}  // namespace

std::int32_t ActionCount(const CommandEntries& entries) {
    const std::int32_t claimed = entries.readInt(CommandEntries::Loop, 1);
    if (claimed <= kUnbackedEntryMargin) {
        return claimed;  // believed without a look at the keys
    }
    std::vector<std::int64_t> held;
    for (const auto& [number, value] : entries.numbered) {
        held.push_back(std::int64_t{number} + 1);
    }
    return BackedCount(claimed, HighestWithinReach(std::move(held)));
}

std::int64_t HighestWithinReach(std::vector<std::int64_t> needed) {
    std::sort(needed.begin(), needed.end());
    needed.erase(std::unique(needed.begin(), needed.end()), needed.end());
    const std::int64_t reach = static_cast<std::int64_t>(needed.size()) + kUnbackedEntryMargin;
    std::int64_t highest = 0;
    for (const std::int64_t n : needed) {
        if (n <= reach) {
            highest = n;
        }
    }
    return highest;
}

std::int32_t BackedCount(std::int32_t claimed, std::int64_t highest) {
    if (claimed <= kUnbackedEntryMargin) {
        return claimed;
    }
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(claimed, highest + kUnbackedEntryMargin));
}

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

void ReadActionSettings(const CommandEntries& entries, ActionSettings& settings) {
    using E = CommandEntries;
    settings.Loop = ActionCount(entries);
    settings.LoopActual = entries.readInt(E::LoopActual, 0);
    settings.DeVez = entries.readBool(E::DeVez, false);
    settings.MultiKey = entries.readBool(E::MultiKey, false);
    settings.TargetWindow = entries.readString(E::TargetWindow);
    settings.Retraso = entries.readInt(E::Retraso, 0);
    ActionList actions;
    const std::vector<std::string_view> texts = entries.numberedBelow(settings.Loop);
    actions.reserve(texts.size());
    for (std::size_t k = 0; k < texts.size(); ++k) {
        std::string line = std::to_string(k);
        line += '=';
        line += texts[k];
        actions.push_back(std::move(line));
    }
    settings.Acciones = std::move(actions);
}

void WriteLoopKeys(IniWriter& writer, const ActionSettings& settings) {
    writer.key("Loop", settings.Loop);
    writer.key("LoopActual", settings.LoopActual);
    writer.key("DeVez", settings.DeVez);
    writer.key("MultiKey", settings.MultiKey);
}

void WriteActionKeys(IniWriter& writer, const ActionSettings& settings) {
    if (!settings.Acciones) {
        return;
    }
    for (std::size_t k = 0; k < settings.Acciones->size(); ++k) {
        writer.key(std::to_string(k), ActionText(*settings.Acciones, k));
    }
}

}  // namespace tavrel
