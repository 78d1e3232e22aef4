// HexToValue: the one conversion of hexadecimal text, for code values in the
// commands file and for message numbers and parameters of actions.
#pragma once

#include <cstdint>
#include <string_view>

namespace tavrel {

// Reads from the last character back: "1"-"9" and "A"-"F" (either case) add
// their digit value times 16^k; any other character, "0" included, adds
// nothing but keeps its place. The sum wraps modulo 2^32.
std::uint32_t HexToValue(std::string_view text);

}  // namespace tavrel
