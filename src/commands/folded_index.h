// Finds names without regard to their case among many, keeping only the
// numbers of the items that bear them: a large INI file is indexed without a
// copy of any of its names.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace tavrel {

class FoldedIndex {
public:
    using NameOf = std::function<std::string_view(std::uint32_t item)>;

    // Items 0 to count - 1; of those whose names are equal, the first is found.
    void build(std::uint32_t count, const NameOf& nameOf);
    std::optional<std::uint32_t> find(std::string_view name, const NameOf& nameOf) const;

private:
    std::vector<std::uint32_t> slots_;  // item + 1; 0 is a free slot
};

}  // namespace tavrel
