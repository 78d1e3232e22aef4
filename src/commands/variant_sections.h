// A command's variants in the commands file: one section each, named after
// the command's entry and the variant's place among them ("[2.1]", "[2.2]"
// after "[2]"), holding Application, Title and the keys of the command's
// actions. A command's own section stays as it is, so a reader that does not
// know variants passes their sections by and runs the command's own actions.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "commands/command_entries.h"
#include "commands/command_table.h"
#include "commands/ini_file.h"

namespace tavrel {

// The sections of a file named like a variant's, "<entry>.<place>", found
// once for a load of many entries.
class VariantSections {
public:
    struct Named {
        std::int32_t entry = 0;
        std::optional<std::int32_t> place;  // none: not a number, a load passes it by
        IniFile::SectionId section = IniFile::kNoSection;
    };

    explicit VariantSections(const IniFile& ini);

    // Sorted by entry, then by place; one for each name (the first section
    // of that name is the one read).
    const std::vector<Named>& all() const { return named_; }
    // The sections of entry's variants in the order of their places.
    std::vector<IniFile::SectionId> of(std::int32_t entry) const;

private:
    std::vector<Named> named_;
};

// Appends the variants of the command loaded from entry, in order; entries
// is storage reused from section to section.
void LoadVariants(const IniFile& ini, const VariantSections& sections, std::int32_t entry,
                  TComando& command, CommandEntries& entries);

// The sections of the command's variants, written after its own as entry's.
void WriteVariantSections(IniWriter& writer, int entry, const TComando& command);

// Writing the table over the file would lose variants it holds: a section
// named like a variant's that a load does not take in (its entry is a remote
// or beyond the entries loaded, its place no number), or more variants than
// the table now holds. entries: the number of entries a load of old takes.
bool VariantsWouldLose(const IniFile& old, std::int32_t entries, const CommandTable& table);

}  // namespace tavrel
