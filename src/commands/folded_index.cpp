// An open-addressing table of item numbers, hashed by their folded names.
#include "commands/folded_index.h"

#include <bit>

#include "commands/text_case.h"

namespace tavrel {
namespace {

std::uint64_t FoldedHash(std::string_view name) {
    std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a
    for (const char c : name) {
        hash ^= static_cast<unsigned char>(FoldCase1252(c));
        hash *= 1099511628211ULL;
    }
    return hash;
}

}  // namespace

void FoldedIndex::build(std::uint32_t count, const NameOf& nameOf) {
    slots_.assign(std::bit_ceil(std::uint64_t{count} * 2 + 1), 0);
    const std::uint64_t mask = slots_.size() - 1;
    for (std::uint32_t item = 0; item < count; ++item) {
        const std::string_view name = nameOf(item);
        for (std::uint64_t at = FoldedHash(name) & mask;; at = (at + 1) & mask) {
            if (slots_[at] == 0) {
                slots_[at] = item + 1;
                break;
            }
            if (EqualsIgnoringCase1252(nameOf(slots_[at] - 1), name)) {
                break;  // an earlier item has it
            }
        }
    }
}

std::optional<std::uint32_t> FoldedIndex::find(std::string_view name, const NameOf& nameOf) const {
    if (slots_.empty()) {
        return std::nullopt;
    }
    const std::uint64_t mask = slots_.size() - 1;
    for (std::uint64_t at = FoldedHash(name) & mask; slots_[at] != 0; at = (at + 1) & mask) {
        if (EqualsIgnoringCase1252(nameOf(slots_[at] - 1), name)) {
            return slots_[at] - 1;
        }
    }
    return std::nullopt;
}

}  // namespace tavrel
