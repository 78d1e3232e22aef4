// The window-message table: message names with their numbers, so a
// post-message action can name its message.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavrel {

constexpr int kMessageCount = 193;

// Entries "NAME=HEX", the number in upper-case hexadecimal of at least two
// digits. Several names share a number.
extern const std::array<std::string_view, kMessageCount> kMessageTable;

// The number text of the first entry whose name equals name without regard
// to case; empty when name is not in the table.
std::string LookupMessage(std::string_view name);

// A post-message action's message field: a table name, or else hexadecimal text.
std::uint32_t MessageNumber(std::string_view field);

}  // namespace tavrel
