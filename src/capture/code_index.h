// The start of every command's code, copied in display order into one block
// of memory. A quiet program lets the records' memory go cold, and a walk that
// reaches into each of thousands of records to learn that it cannot match
// costs a press a third of a millisecond; the copies rule most of them out
// from a few cache lines.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "commands/command_table.h"
#include "commands/secuencia.h"
#include "commands/sequence_settings.h"

namespace tavrel {

class CodeIndex {
public:
    // The table must outlive the index. The copies are made again whenever
    // the table's revision has moved since they were made (see
    // CommandTable::noteCodeChanged).
    explicit CodeIndex(const CommandTable& table) : table_(table) {}

    // What table.findCommand(accept) finds, for an accept that says no to
    // every command whose code Comparar and CompararSoFar rule out for
    // sequence under settings; accept is asked only of the others.
    template <typename Accept>
    int findCommand(const TSecuencia& sequence, const SequenceSettings& settings, Accept&& accept) {
        refresh();
        const Probe probe = probeOf(sequence, settings);
        for (const Entry& entry : entries_) {
            if (!ruledOut(entry, probe) && accept(*entry.record)) {
                return entry.position;
            }
        }
        return kNoNode;
    }

private:
    // Enough values to tell most codes apart at their first compared position.
    static constexpr std::size_t kCopied = 4;
    struct Entry {
        std::array<std::int32_t, kCopied> first{};
        std::int32_t count = 0;  // the code's NumValores
        int position = kNoNode;
        const TComando* record = nullptr;
    };
    // The sequence's part in the test, worked out once per search.
    struct Probe {
        std::array<std::int64_t, kCopied> values{};
        std::int32_t count = 0;
        std::size_t skip = 0;
        std::int64_t tolerance = 0;
    };

    void refresh();
    static Probe probeOf(const TSecuencia& sequence, const SequenceSettings& settings);
    static bool ruledOut(const Entry& entry, const Probe& probe);

    const CommandTable& table_;
    std::vector<Entry> entries_;
    // The table's revision the copies were made at; none yet at first.
    static constexpr std::uint64_t kNotMade = ~std::uint64_t{0};
    std::uint64_t revision_ = kNotMade;
};

}  // namespace tavrel
