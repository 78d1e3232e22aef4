// The daemon's lines, split, parsed and turned into batches.
#include "receivers/lircd/lircd_events.h"

#include <charconv>
#include <vector>

#include "platform/trace.h"

namespace tavrel {
namespace {

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t start = text.find_first_not_of(" \t\r", at);
        if (start == std::string_view::npos) {
            break;
        }
        const std::size_t end = std::min(text.find_first_of(" \t\r", start), text.size());
        words.push_back(text.substr(start, end - start));
        at = end;
    }
    return words;
}

template <typename Number>
bool ParseHex(std::string_view text, Number& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return error == std::errc{} && end == text.data() + text.size();
}

}  // namespace

std::optional<LircdEvent> ParseLircdEvent(std::string_view line) {
    const std::vector<std::string_view> words = Words(line);
    LircdEvent event;
    if (words.size() != 4 || !ParseHex(words[0], event.code) || !ParseHex(words[1], event.repeat)) {
        return std::nullopt;
    }
    event.button = words[2];
    event.remote = words[3];
    return event;
}

LircdBatch LircdCodeBytes(std::uint64_t code) {
    LircdBatch bytes{};
    for (int i = 7; i >= 0; --i) {
        bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(code & 0xFF);
        code >>= 8;
    }
    return bytes;
}

void LircdEvents::reset() {
    pending_.clear();
    overlong_ = false;
    inBlock_ = false;
    lastBatchAt_.reset();
}

std::size_t LircdEvents::feed(std::string_view data, std::int64_t now, const BatchHandler& onBatch,
                              std::size_t maxLines) {
    std::size_t taken = 0;
    for (std::size_t lines = 0; taken < data.size() && lines < maxLines; ++lines) {
        const std::string_view rest = data.substr(taken);
        const std::size_t newline = rest.find('\n');
        const std::string_view piece = rest.substr(0, newline);
        if (pending_.size() + piece.size() > kLongestLine) {
            overlong_ = true;
        } else {
            pending_.append(piece);
        }
        if (newline == std::string_view::npos) {
            return data.size();
        }
        taken += newline + 1;
        if (overlong_) {
            TraceEvent([] { return std::string("lircd: an overlong line dropped"); });
        } else {
            line(pending_, now, onBatch);
        }
        pending_.clear();
        overlong_ = false;
    }
    return taken;
}

void LircdEvents::line(std::string_view text, std::int64_t now, const BatchHandler& onBatch) {
    if (const auto last = text.find_last_not_of(" \t\r"); last != std::string_view::npos) {
        text = text.substr(0, last + 1);
    }
    if (text == "BEGIN") {
        inBlock_ = true;
        blockAt_ = now;
        blockLines_ = 0;
        return;
    }
    if (inBlock_) {
        if (text == "END") {
            inBlock_ = false;
            return;
        }
        if (now - blockAt_ < kLongestBlockMs && ++blockLines_ <= kLongestBlockLines) {
            return;
        }
        // Read as any other line from here on.
        inBlock_ = false;
        TraceEvent([] { return std::string("lircd: a reply block without END ended"); });
    }
    const std::optional<LircdEvent> event = ParseLircdEvent(text);
    if (!event) {
        TraceEvent([&] { return "lircd: not an event: " + std::string(text); });
        return;
    }
    // A daemon started with --release also says when a button is let go.
    if (event->button.ends_with(kReleaseSuffix)) {
        return;
    }
    if (event->repeat > 0 && (!lastBatchAt_ || now - *lastBatchAt_ >= kBurstGap)) {
        TraceEvent(
            [&] { return "lircd: a repeat without its press dropped: " + std::string(text); });
        return;
    }
    lastBatchAt_ = now;
    onBatch(LircdCodeBytes(event->code));
}

}  // namespace tavrel
