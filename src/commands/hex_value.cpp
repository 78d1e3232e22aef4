#include "commands/hex_value.h"

namespace tavrel {

std::uint32_t HexToValue(std::string_view text) {
    std::uint32_t value = 0;
    std::uint32_t weight = 1;  // 16^k modulo 2^32; zero from the ninth digit on
    for (auto it = text.rbegin(); it != text.rend(); ++it) {
        const char c = *it;
        std::uint32_t digit = 0;
        if (c >= '1' && c <= '9') {
            digit = static_cast<std::uint32_t>(c - '0');
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        }
        value += digit * weight;
        weight *= 16;
        if (weight == 0) {
            break;
        }
    }
    return value;
}

}  // namespace tavrel
