// The text form of a learned code in the commands file: hexadecimal runs of
// 2 x ValueSize digits, one per value, without separator.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "commands/secuencia.h"
#include "commands/sequence_settings.h"

namespace tavrel {

// Cuts the text into runs of exactly 2 x valueSize characters (a shorter tail
// is ignored) and reads each run with HexToValue.
void DecodeCodigo(std::string_view text, std::int32_t valueSize, TSecuencia& code);

// Upper-case hexadecimal of at least 2 x valueSize digits per value; a
// negative value is written as its 32-bit two's complement.
std::string EncodeCodigo(const TSecuencia& code, std::int32_t valueSize);

}  // namespace tavrel
