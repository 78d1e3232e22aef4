// Infrared frames of a few protocols as the pulse and space durations a
// receiver measures (microseconds, pulse first, ending on a pulse), for tests
// that play remotes into a kernel receiver or into the raw framing, with
// jitter where a real receiver would have it.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace tavrel::testing {

using Durations = std::vector<std::uint32_t>;

// Builds a frame from half-periods: neighbours of one level merge, a leading
// space is no signal, and the frame ends on its last pulse.
class SignalBuilder {
public:
    SignalBuilder& pulse(std::uint32_t us) { return add(true, us); }
    SignalBuilder& space(std::uint32_t us) { return add(false, us); }
    Durations frame() const {
        Durations out = durations_;
        if (!out.empty() && out.size() % 2 == 0) {
            out.pop_back();  // the trailing space
        }
        return out;
    }

private:
    SignalBuilder& add(bool isPulse, std::uint32_t us) {
        if (durations_.empty() && !isPulse) {
            return *this;
        }
        if (!durations_.empty() && (durations_.size() % 2 == 1) == isPulse) {
            durations_.back() += us;
        } else {
            durations_.push_back(us);
        }
        return *this;
    }
    Durations durations_;
};

// NEC: address, its complement, command, its complement, least significant
// bit first; the kernel reports scancode address << 8 | command.
inline Durations NecFrame(std::uint8_t address, std::uint8_t command) {
    SignalBuilder b;
    b.pulse(9000).space(4500);
    const std::uint32_t bits = address | (std::uint32_t{static_cast<std::uint8_t>(~address)} << 8) |
                               (std::uint32_t{command} << 16) |
                               (std::uint32_t{static_cast<std::uint8_t>(~command)} << 24);
    for (int i = 0; i < 32; ++i) {
        b.pulse(560).space((bits >> i) & 1U ? 1690 : 560);
    }
    b.pulse(560);
    return b.frame();
}

// What a held NEC button sends every 108 ms after its first frame.
inline Durations NecRepeat() {
    return {9000, 2250, 560};
}

// RC5: two start bits (the second the inverted seventh command bit), the
// toggle, 5 address and 6 command bits, Manchester coded with a 1 rising.
inline Durations Rc5Frame(std::uint8_t address, std::uint8_t command, bool toggle) {
    const std::uint32_t bits = (1U << 13) | ((command & 0x40U) ? 0U : 1U << 12) |
                               (toggle ? 1U << 11 : 0U) | ((address & 0x1FU) << 6U) |
                               (command & 0x3FU);
    SignalBuilder b;
    for (int i = 13; i >= 0; --i) {
        if ((bits >> i) & 1U) {
            b.space(889).pulse(889);
        } else {
            b.pulse(889).space(889);
        }
    }
    return b.frame();
}

// RC6 mode 6A with 32 bits as the MCE remotes send it: customer code 0x800F,
// the toggle in bit 15 of the body, a 1 falling.
inline Durations Rc6MceFrame(std::uint16_t key, bool toggle) {
    constexpr std::uint32_t unit = 444;
    const auto bit = [](SignalBuilder& b, bool one, std::uint32_t half) {
        if (one) {
            b.pulse(half).space(half);
        } else {
            b.space(half).pulse(half);
        }
    };
    SignalBuilder b;
    b.pulse(6 * unit).space(2 * unit);
    bit(b, true, unit);  // start bit
    for (const bool modeBit : {true, true, false}) {
        bit(b, modeBit, unit);  // mode 6
    }
    bit(b, false, 2 * unit);  // trailer
    const std::uint32_t body = 0x800F0000U | (toggle ? 0x8000U : 0U) | (key & 0x7FFFU);
    for (int i = 31; i >= 0; --i) {
        bit(b, ((body >> i) & 1U) != 0, unit);
    }
    return b.frame();
}

// Every duration moved by up to fraction of itself, either way, as a
// receiver's demodulator does.
inline Durations Jittered(const Durations& frame, double fraction, std::mt19937& random) {
    std::uniform_real_distribution<double> factor(1.0 - fraction, 1.0 + fraction);
    Durations out;
    out.reserve(frame.size());
    for (const std::uint32_t us : frame) {
        out.push_back(static_cast<std::uint32_t>(us * factor(random) + 0.5));
    }
    return out;
}

}  // namespace tavrel::testing
