// Action strings and action lists: the stored form of what a command does.
// Strings are Windows-1252 bytes; each starts with a kind marker ¡Word¡ (0xA1).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "commands/comando.h"

namespace tavrel {

constexpr char kActionMarkerByte = '\xA1';
constexpr std::string_view kTapKeyMarker = "\xA1SendKeys\xA1";
constexpr std::string_view kMouseMarker = "\xA1RatonClick\xA1";
constexpr std::string_view kRunProgramMarker =
    "\xA1"
    "ExecuteProgram\xA1";
constexpr std::string_view kPostMessageMarker = "\xA1PostMessage\xA1";
constexpr std::string_view kRestoreKeyword = "RestoreTavrel";

// --- the list "index=action string"

// The action string of the first entry whose text before its first "=" is
// the decimal index; empty when there is none.
std::string ReadAction(const ActionList& list, int index);
// Replaces the value of that entry, or appends "index=action" when there is none.
void WriteAction(ActionList& list, int index, std::string_view action);

// --- kinds

enum class ActionKind { None, PostMessage, Mouse, RunProgram, TapKey };

// The first of the markers post-message, mouse, run-program, tap-key that
// occurs anywhere in the string decides; payload positions still count from
// the start of the string.
ActionKind ClassifyAction(std::string_view action);

struct TapKeyFields {
    bool alt = false;
    bool ctrl = false;
    bool shift = false;
    bool literal = false;  // false: keyText is the index of a named key
    std::string keyText;   // empty when the string has 14 characters or fewer
};
TapKeyFields ReadTapKey(std::string_view action);

struct MouseFields {
    char click = 'N';  // 'L', 'M', 'R' click; anything else moves the pointer
    char vertical = 'N';
    char horizontal = 'N';
};
// nullopt when the string has no "Cursor" with a character before it, so no
// click letter can be told: such an action does nothing.
std::optional<MouseFields> ReadMouse(std::string_view action);

// Position 17 to the end; empty for 16 characters or fewer.
std::string ReadRunProgram(std::string_view action);

struct PostMessageFields {
    std::string message;  // a message table name or hexadecimal text
    std::string wParam;
    std::string lParam;
};
// Fields split at the first "wParam" and the first "lParam"; a field whose
// separator is missing or out of order is empty.
PostMessageFields ReadPostMessage(std::string_view action);

// --- writing, as the action editor stores each kind

std::string MakeTapKeyAction(bool alt, bool ctrl, bool shift, bool literal,
                             std::string_view keyText);
std::string MakeMouseAction(char click, char vertical, char horizontal);
std::string MakeRunProgramAction(std::string_view commandLine);
std::string MakePostMessageAction(std::string_view message, std::string_view wParam,
                                  std::string_view lParam);

}  // namespace tavrel
