// Reading and writing the variant sections of the commands file.
#include "commands/variant_sections.h"

#include <algorithm>
#include <string>
#include <tuple>

namespace tavrel {
namespace {

constexpr char kPlaceSeparator = '.';

std::string SectionName(int entry, int place) {
    return std::to_string(entry) + kPlaceSeparator + std::to_string(place);
}

}  // namespace

VariantSections::VariantSections(const IniFile& ini) {
    for (const std::string_view name : ini.sectionNames()) {
        const std::size_t dot = name.find(kPlaceSeparator);
        if (dot == std::string_view::npos) {
            continue;  // a file without variants costs one look at each name
        }
        const auto entry = EntryNumber(name.substr(0, dot));
        if (!entry) {
            continue;
        }
        named_.push_back({*entry, EntryNumber(name.substr(dot + 1)), ini.section(name)});
    }
    const auto order = [](const Named& n) {
        return std::tuple(n.entry, !n.place.has_value(), n.place.value_or(0), n.section);
    };
    std::sort(named_.begin(), named_.end(),
              [&](const Named& a, const Named& b) { return order(a) < order(b); });
    // A name given twice is one section: the first, as for every section.
    named_.erase(std::unique(named_.begin(), named_.end(),
                             [](const Named& a, const Named& b) { return a.section == b.section; }),
                 named_.end());
}

std::vector<IniFile::SectionId> VariantSections::of(std::int32_t entry) const {
    std::vector<IniFile::SectionId> sections;
    const auto first = std::lower_bound(named_.begin(), named_.end(), entry,
                                        [](const Named& n, std::int32_t e) { return n.entry < e; });
    for (auto n = first; n != named_.end() && n->entry == entry && n->place; ++n) {
        sections.push_back(n->section);
    }
    return sections;
}

void LoadVariants(const IniFile& ini, const VariantSections& sections, std::int32_t entry,
                  TComando& command, CommandEntries& entries) {
    for (const IniFile::SectionId section : sections.of(entry)) {
        ReadCommandEntries(ini, section, entries);
        CommandVariant& variant = command.Variantes.emplace_back();
        variant.Application = entries.readString(CommandEntries::Application);
        variant.Title = entries.readString(CommandEntries::Title);
        ReadActionSettings(entries, variant);
    }
}

void WriteVariantSections(IniWriter& writer, int entry, const TComando& command) {
    int place = 0;
    for (const CommandVariant& variant : command.Variantes) {
        writer.section(SectionName(entry, ++place));
        writer.key("Application", variant.Application);
        writer.key("Title", variant.Title);
        WriteLoopKeys(writer, variant);
        writer.key("TargetWindow", variant.TargetWindow);
        writer.key("Retraso", variant.Retraso);
        WriteActionKeys(writer, variant);
    }
}

bool VariantsWouldLose(const IniFile& old, std::int32_t entries, const CommandTable& table) {
    const VariantSections sections(old);
    std::size_t held = 0;
    for (const VariantSections::Named& n : sections.all()) {
        if (!n.place || n.entry > entries ||
            old.readInt(std::to_string(n.entry), "Level", -1) == 0) {
            return true;
        }
        ++held;
    }
    std::size_t kept = 0;
    for (int i = 0; i < table.count() && kept < held; ++i) {
        if (table.isCommand(i)) {
            kept += table.record(i).Variantes.size();
        }
    }
    return held > kept;
}

}  // namespace tavrel
