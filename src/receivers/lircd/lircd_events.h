// What the LIRC daemon writes to its clients, turned into batches: every
// event line "code repeat button remote" is one batch holding the code, eight
// bytes, most significant first. Reply blocks (BEGIN ... END, the daemon's
// SIGHUP notice among them) and release lines are no presses.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tavrel {

using LircdBatch = std::array<std::uint8_t, 8>;

// One event line read: code and repeat count are hexadecimal.
struct LircdEvent {
    std::uint64_t code = 0;
    std::uint32_t repeat = 0;
    std::string button;
    std::string remote;
};

// "0000000000f40bf0 00 KEY_UP tv" -> the event; anything else -> none.
std::optional<LircdEvent> ParseLircdEvent(std::string_view line);

LircdBatch LircdCodeBytes(std::uint64_t code);

// Reads the daemon's stream a piece at a time, as it arrives.
class LircdEvents {
public:
    // Longer than any line the daemon writes; what goes beyond is dropped.
    static constexpr std::size_t kLongestLine = 4096;
    // A repeat line continues the press before it only as long as capture
    // still takes the two as one burst (its 150 ms end of a burst).
    static constexpr std::int64_t kBurstGap = 150;
    // The daemon's default suffix of the button in a release line: no press.
    static constexpr std::string_view kReleaseSuffix = "_EVUP";
    // A reply block ends at END, or at the latest after this many lines or
    // milliseconds: a BEGIN never ended (a stray line, a reply cut off) must
    // not leave the client deaf. Tavrel asks the daemon nothing, so the only
    // blocks it gets are notices of a few lines.
    static constexpr int kLongestBlockLines = 64;
    static constexpr std::int64_t kLongestBlockMs = 1000;

    using BatchHandler = std::function<void(const LircdBatch& batch)>;

    // now: milliseconds on any steady clock. The whole lines in data are
    // handled in order, maxLines of them at most; an unfinished one waits for
    // the rest. Returns how much of data was taken: what follows the last
    // line handled is to be fed again.
    std::size_t feed(std::string_view data, std::int64_t now, const BatchHandler& onBatch,
                     std::size_t maxLines = SIZE_MAX);
    // A new connection: nothing read before it counts.
    void reset();

private:
    void line(std::string_view text, std::int64_t now, const BatchHandler& onBatch);

    std::string pending_;
    bool overlong_ = false;  // the line being read went past kLongestLine
    bool inBlock_ = false;   // between BEGIN and END
    std::int64_t blockAt_ = 0;
    int blockLines_ = 0;
    // When the last batch went out, if any; a repeat line long after it, or
    // with none before it (a button already held when Tavrel connected),
    // would start a press of its own, so it is dropped.
    std::optional<std::int64_t> lastBatchAt_;
};

}  // namespace tavrel
