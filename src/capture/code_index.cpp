// The copied starts of the codes, and the test that rules a command out.
#include "capture/code_index.h"

#include <algorithm>

namespace tavrel {

void CodeIndex::refresh() {
    if (revision_ == table_.revision()) {
        return;
    }
    entries_.clear();
    for (int pos = 0; pos < table_.count(); ++pos) {
        if (!table_.isCommand(pos)) {
            continue;
        }
        const TComando& record = table_.record(pos);
        Entry entry;
        entry.count = record.Codigo.NumValores;
        for (std::size_t i = 0; i < kCopied; ++i) {
            entry.first[i] = record.Codigo.Valores[i];
        }
        entry.position = pos;
        entry.record = &record;
        entries_.push_back(entry);
    }
    revision_ = table_.revision();
}

CodeIndex::Probe CodeIndex::probeOf(const TSecuencia& sequence, const SequenceSettings& settings) {
    Probe probe;
    probe.count = sequence.NumValores;
    for (std::size_t i = 0; i < kCopied; ++i) {
        probe.values[i] = sequence.Valores[i];
    }
    probe.skip = static_cast<std::size_t>(std::max<std::int32_t>(settings.SkipFirst, 0));
    probe.tolerance = settings.Tolerance;
    return probe;
}

// No code matches nothing, and where both have two values or more, one
// compared position out of tolerance decides for every longer sequence too.
// Anything else is left to the real test.
bool CodeIndex::ruledOut(const Entry& entry, const Probe& probe) {
    if (entry.count <= 0) {
        return true;
    }
    if (entry.count < 2 || probe.count < 2) {
        return false;
    }
    const auto compared = static_cast<std::size_t>(std::min(probe.count, entry.count));
    const std::size_t end = std::min(compared, kCopied);
    for (std::size_t i = probe.skip; i < end; ++i) {
        const std::int64_t difference = probe.values[i] - entry.first[i];
        if (difference > probe.tolerance || -difference > probe.tolerance) {
            return true;
        }
    }
    return false;
}

}  // namespace tavrel
