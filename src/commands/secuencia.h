// TSecuencia: one code sequence, the unit that capture, matching, learning and
// the command table exchange.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavrel {

constexpr std::int32_t kMaxValores = 3840;

// The values of a sequence, stored only as far as they were written, so a
// learned code costs its own length rather than the most a sequence may hold.
// Positions never written read as 0, as in a zeroed buffer of kMaxValores.
class CodeValues {
public:
    std::int32_t operator[](std::size_t index) const {
        return index < values_.size() ? values_[index] : 0;
    }
    // Writing a position makes room up to it.
    std::int32_t& operator[](std::size_t index) {
        if (index >= values_.size()) {
            values_.resize(index + 1);
        }
        return values_[index];
    }

    const std::int32_t* begin() const { return values_.data(); }
    const std::int32_t* end() const { return values_.data() + values_.size(); }
    std::size_t stored() const { return values_.size(); }
    // Room for a whole sequence at once, for buffers that are refilled often.
    void reserve(std::size_t count) { values_.reserve(count); }

    // The first count values of other, and nothing more.
    void assignFirst(const CodeValues& other, std::int32_t count) {
        const auto n = std::min(static_cast<std::size_t>(std::max(count, 0)), other.stored());
        values_.assign(other.begin(), other.begin() + n);
    }

private:
    std::vector<std::int32_t> values_;
};

struct TSecuencia {
    // Position p (1..kMaxValores) is stored at index p - 1. Values at
    // positions above NumValores are stale and never read.
    CodeValues Valores;
    std::int32_t NumValores = 0;

    TSecuencia() = default;
    // A copy takes the values that count and leaves the stale ones behind.
    TSecuencia(const TSecuencia& other) : NumValores(other.NumValores) {
        Valores.assignFirst(other.Valores, other.NumValores);
    }
    TSecuencia& operator=(const TSecuencia& other) {
        if (this != &other) {
            Valores.assignFirst(other.Valores, other.NumValores);
            NumValores = other.NumValores;
        }
        return *this;
    }
    TSecuencia(TSecuencia&&) noexcept = default;
    TSecuencia& operator=(TSecuencia&&) noexcept = default;
    ~TSecuencia() = default;
};

}  // namespace tavrel
