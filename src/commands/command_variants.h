// A command's variants for named applications: which one runs for the active
// window, how each is named, and the edits the action editor makes to them.
#pragma once

#include <string>
#include <string_view>

#include "commands/comando.h"

namespace tavrel {

// Whether the variant is meant for a window of this application and title
// (both Windows-1252). A variant that names neither matches nothing: it
// would otherwise take every application from the command's own actions.
bool VariantMatches(const CommandVariant& variant, std::string_view application,
                    std::string_view title);

// The first of the command's variants that matches; null when none does.
CommandVariant* MatchingVariant(TComando& command, std::string_view application,
                                std::string_view title);

// The application and the title part, as the editor lists a variant and the
// trace and the on-screen notice name it: firefox, firefox "YouTube", "YouTube".
std::string VariantName(const CommandVariant& variant);

// The variant at index (from 0, in the order they are tried); null beyond them.
CommandVariant* VariantAt(TComando& command, int index);
// Whether settings is the command's own or one of its variants, still held.
bool HoldsSettings(const TComando& command, const ActionSettings* settings);

// A new variant at the end: one empty action, the other settings as a new
// command has them.
CommandVariant& AddVariant(TComando& command, std::string application, std::string title);
// Removes the variant at index; false when there is none.
bool RemoveVariant(TComando& command, int index);
// Moves the variant at index to place to (both from 0); false when either is
// outside the list. The variant's record stays where it is in memory.
bool MoveVariant(TComando& command, int index, int to);

}  // namespace tavrel
