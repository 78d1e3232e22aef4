// Letter case in Windows-1252, for the keys of the INI files and of the
// translation table, which match without regard to case.
#pragma once

#include <string>
#include <string_view>

namespace tavrel {

// The lower-case form of a Windows-1252 letter; any other byte unchanged.
char FoldCase1252(char c);
std::string FoldCase1252(std::string_view text);
bool EqualsIgnoringCase1252(std::string_view a, std::string_view b);

}  // namespace tavrel
