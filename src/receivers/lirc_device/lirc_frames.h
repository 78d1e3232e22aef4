// What a kernel receiver reads, turned into batches: one batch per infrared
// frame, so capture sees a press and a held button as it does from a serial
// receiver.
//
// Decoded frames (scancode mode): the protocol number (one byte) followed by
// the scancode, big-endian, in four bytes, or eight when it does not fit in
// four. The values are exact: learn them with Tolerance 0 and ValueSize 1.
//
// Raw frames (pulse/space timings): one byte per duration, on a logarithmic
// scale of 16 steps per doubling, value = round(16 * log2(microseconds)):
// 560 us is 146, 1690 us is 172, 9 ms is 210, 62 ms and more is 255. A
// receiver's +-10 % moves a value by at most 3 steps, while the durations
// that tell one bit from another differ by a doubling or more (16 steps).
// Measured with buttons learned from three frames and pressed again, every
// duration off by up to 10 %, NEC, RC5 and RC6 buttons match themselves from
// Tolerance 5 and tell buttons one bit apart up to Tolerance 11: raw mode is
// matched with Tolerance 8 (and ValueSize 1). In microseconds no single
// tolerance could: it would have to cover 10 % of a 9 ms leader (900 us) yet
// stay below the 711 us that separate RC5's 889 from its 1778 at their worst.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/timer.h"

namespace tavrel {

using Batch = std::vector<std::uint8_t>;

// The Tolerance the values of each mode are matched with (ValueSize 1).
constexpr std::int32_t kDecodedModeTolerance = 0;
constexpr std::int32_t kRawModeTolerance = 8;

// The kernel's numbers for the protocols this code treats specially.
constexpr std::uint16_t kProtocolRc6Mce = 19;

// An RC6-MCE remote flips bit 15 of its scancode at every new press (the
// toggle); without it a button gives one code on every press. Other protocols
// keep theirs in the flags, which batches leave out.
std::uint64_t StableScancode(std::uint16_t protocol, std::uint64_t scancode);

// The batch of one decoded frame.
Batch ScancodeBatch(std::uint16_t protocol, std::uint64_t scancode);

// Turns the kernel's decoded frames into batches. A repeat frame (a held NEC
// button's) continues the burst of the frame before it; one that comes more
// than kRepeatWindowMilliseconds after it repeats a press this receiver never
// delivered (it was missed) and is left out rather than taken for a press.
class ScancodeFramer {
public:
    static constexpr int kRepeatWindowMilliseconds = 150;

    ScancodeFramer(TimerFactory& timers, std::function<void(const Batch& frame)> onFrame);
    ~ScancodeFramer();
    ScancodeFramer(const ScancodeFramer&) = delete;
    ScancodeFramer& operator=(const ScancodeFramer&) = delete;

    // One decoded frame: struct lirc_scancode's protocol, scancode and flags.
    void Frame(std::uint16_t protocol, std::uint64_t scancode, std::uint32_t flags);
    // Nothing read before continues a burst (the receiver closes).
    void Reset();

private:
    std::function<void(const Batch& frame)> onFrame_;
    // Runs from the last frame delivered for as long as a repeat may follow.
    std::unique_ptr<Timer> repeatWindow_;
};

// The value of one duration in microseconds.
std::uint8_t DurationValue(std::uint32_t microseconds);

// Cuts the receiver's pulse/space samples into frames. A frame starts with a
// pulse and ends with the receiver's timeout report, with a space of at least
// kFrameGapMilliseconds (longer than any inside a frame of a common
// protocol, shorter than the pause before a repeat), or when no sample came
// for that long. A receiver overflow spoils the frame, which is dropped.
class RawFramer {
public:
    static constexpr int kFrameGapMilliseconds = 20;
    // A frame longer than this is handed over in parts, so a receiver that
    // never falls silent cannot grow one without end.
    static constexpr std::size_t kMaxFrameValues = 1023;

    using FrameHandler = std::function<void(const Batch& values)>;

    // onFrame gets each whole frame; onSoFar the values of the frame still
    // being received after every read that leaves one open, and an empty
    // batch when a frame it reported is dropped.
    RawFramer(TimerFactory& timers, FrameHandler onFrame, FrameHandler onSoFar);
    ~RawFramer();
    RawFramer(const RawFramer&) = delete;
    RawFramer& operator=(const RawFramer&) = delete;

    // The samples of one read, in the kernel's mode-2 format.
    void Samples(const std::uint32_t* samples, std::size_t count);
    // Forgets a frame not yet handed over (the receiver closes).
    void Drop();

private:
    void Sample(std::uint32_t sample);
    void Add(bool pulse, std::uint32_t microseconds);
    Batch Values() const;
    void EndFrame();

    FrameHandler onFrame_;
    FrameHandler onSoFar_;
    std::unique_ptr<Timer> silence_;
    std::vector<std::uint32_t> durations_;  // of the frame being received, pulse first
    bool lastIsPulse_ = false;
    bool reported_ = false;  // onSoFar saw the frame being received
};

}  // namespace tavrel
