// Decoded and raw kernel frames as batches.
#include "receivers/lirc_device/lirc_frames.h"

#include <linux/lirc.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/trace.h"

namespace tavrel {

namespace {

constexpr std::uint64_t kRc6MceToggle = 0x8000;

}  // namespace

std::uint64_t StableScancode(std::uint16_t protocol, std::uint64_t scancode) {
    return protocol == kProtocolRc6Mce ? scancode & ~kRc6MceToggle : scancode;
}

Batch ScancodeBatch(std::uint16_t protocol, std::uint64_t scancode) {
    const int bytes = scancode > 0xFFFFFFFFU ? 8 : 4;
    Batch batch;
    batch.reserve(1 + bytes);
    // The protocol numbers all fit in a byte.
    batch.push_back(static_cast<std::uint8_t>(protocol));
    for (int i = bytes - 1; i >= 0; --i) {
        batch.push_back(static_cast<std::uint8_t>(scancode >> (8 * i)));
    }
    return batch;
}

std::uint8_t DurationValue(std::uint32_t microseconds) {
    if (microseconds <= 1) {
        return 0;
    }
    const double steps = std::round(16.0 * std::log2(static_cast<double>(microseconds)));
    return static_cast<std::uint8_t>(std::min(steps, 255.0));
}

ScancodeFramer::ScancodeFramer(TimerFactory& timers,
                               std::function<void(const Batch& frame)> onFrame)
    : onFrame_(std::move(onFrame)), repeatWindow_(timers.createTimer()) {
    repeatWindow_->setEnabled(false);
    repeatWindow_->setInterval(kRepeatWindowMilliseconds);
    repeatWindow_->setTickHandler([this] { repeatWindow_->setEnabled(false); });
}

ScancodeFramer::~ScancodeFramer() = default;

void ScancodeFramer::Frame(std::uint16_t protocol, std::uint64_t scancode, std::uint32_t flags) {
    if ((flags & LIRC_SCANCODE_FLAG_REPEAT) != 0 && !repeatWindow_->enabled()) {
        TraceEvent([] { return "receiver: a repeat frame whose press was missed, left out"; });
        return;
    }
    repeatWindow_->setEnabled(false);
    repeatWindow_->setEnabled(true);
    if (onFrame_) {
        onFrame_(ScancodeBatch(protocol, StableScancode(protocol, scancode)));
    }
}

void ScancodeFramer::Reset() {
    repeatWindow_->setEnabled(false);
}

RawFramer::RawFramer(TimerFactory& timers, FrameHandler onFrame, FrameHandler onSoFar)
    : onFrame_(std::move(onFrame)), onSoFar_(std::move(onSoFar)), silence_(timers.createTimer()) {
    silence_->setEnabled(false);
    silence_->setInterval(kFrameGapMilliseconds);
    silence_->setTickHandler([this] { EndFrame(); });
}

RawFramer::~RawFramer() = default;

void RawFramer::Samples(const std::uint32_t* samples, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        Sample(samples[i]);
    }
    silence_->setEnabled(false);
    if (durations_.empty()) {
        return;
    }
    // The frame goes on unless the receiver stays silent.
    silence_->setEnabled(true);
    if (onSoFar_) {
        reported_ = true;
        onSoFar_(Values());
    }
}

void RawFramer::Sample(std::uint32_t sample) {
    const std::uint32_t microseconds = sample & LIRC_VALUE_MASK;
    switch (LIRC_MODE2(sample)) {
        case LIRC_MODE2_PULSE:
            Add(true, microseconds);
            if (durations_.size() >= kMaxFrameValues) {
                EndFrame();
            }
            break;
        case LIRC_MODE2_SPACE:
            // A space before the first pulse is the pause between frames.
            if (durations_.empty()) {
                break;
            }
            Add(false, microseconds);
            if (durations_.back() >= kFrameGapMilliseconds * 1000U) {
                EndFrame();
            }
            break;
        case LIRC_MODE2_TIMEOUT:
            EndFrame();
            break;
        case LIRC_MODE2_OVERFLOW:
            Drop();
            break;
        default:
            break;  // carrier reports
    }
}

void RawFramer::Add(bool pulse, std::uint32_t microseconds) {
    // Two samples of one kind in a row are one longer duration.
    if (!durations_.empty() && lastIsPulse_ == pulse) {
        durations_.back() += microseconds;
    } else {
        durations_.push_back(microseconds);
    }
    lastIsPulse_ = pulse;
}

Batch RawFramer::Values() const {
    Batch values(durations_.size());
    std::transform(durations_.begin(), durations_.end(), values.begin(), DurationValue);
    return values;
}

void RawFramer::EndFrame() {
    silence_->setEnabled(false);
    reported_ = false;
    // A frame ends on its last pulse.
    if (!durations_.empty() && !lastIsPulse_) {
        durations_.pop_back();
    }
    if (durations_.empty()) {
        return;
    }
    const Batch whole = Values();
    durations_.clear();
    if (onFrame_) {
        onFrame_(whole);
    }
}

void RawFramer::Drop() {
    silence_->setEnabled(false);
    durations_.clear();
    if (std::exchange(reported_, false) && onSoFar_) {
        onSoFar_({});
    }
}

}  // namespace tavrel
