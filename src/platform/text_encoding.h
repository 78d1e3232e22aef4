// Conversion between the Windows-1252 text of the core and the UTF-8 of the
// desktop (widgets, window titles). Nothing else converts text.
#pragma once

#include <string>
#include <string_view>

namespace tavrel {

// Begins a text file that says it is UTF-8 (hand editors write it).
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

std::string Cp1252ToUtf8(std::string_view text);

// The Unicode code point of one Windows-1252 byte (the five unassigned bytes
// stay C1 controls).
char32_t Cp1252ToCodePoint(unsigned char byte);

// Characters that Windows-1252 cannot hold (and invalid UTF-8) become '?';
// *lossless, when given, tells whether that happened.
std::string Utf8ToCp1252(std::string_view text, bool* lossless = nullptr);

}  // namespace tavrel
