// The text form of a learned code in the commands file.
#include "commands/codigo_text.h"

#include <algorithm>
#include <bit>
#include <utility>

#include "commands/hex_value.h"

namespace tavrel {

void DecodeCodigo(std::string_view text, std::int32_t valueSize, TSecuencia& code) {
    const std::size_t width = 2 * static_cast<std::size_t>(UsableValueSize(valueSize));
    const std::size_t count = std::min(text.size() / width, static_cast<std::size_t>(kMaxValores));
    // Decoded afresh, so that nothing of an earlier, longer code stays stored;
    // the last value first makes room for all of them at once.
    TSecuencia decoded;
    for (std::size_t p = count; p-- > 0;) {
        decoded.Valores[p] = static_cast<std::int32_t>(HexToValue(text.substr(p * width, width)));
    }
    decoded.NumValores = static_cast<std::int32_t>(count);
    code = std::move(decoded);
}

std::string EncodeCodigo(const TSecuencia& code, std::int32_t valueSize) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const int width = 2 * UsableValueSize(valueSize);
    const int count = std::clamp(code.NumValores, 0, kMaxValores);
    std::string text;
    text.reserve(static_cast<std::size_t>(count * width));
    for (int p = 0; p < count; ++p) {
        auto value = static_cast<std::uint32_t>(code.Valores[static_cast<std::size_t>(p)]);
        // At least width digits, more for a value too large for them.
        const int significant = (std::bit_width(value) + 3) / 4;
        const int used = std::max(width, significant);
        char digits[8];
        for (int d = used - 1; d >= 0; --d) {
            digits[d] = kDigits[value & 0xF];
            value >>= 4;
        }
        text.append(digits, static_cast<std::size_t>(used));
    }
    return text;
}

}  // namespace tavrel
