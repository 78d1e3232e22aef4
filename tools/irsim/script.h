// The script language of irsim: what a simulated receiver is told to do.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace irsim {

struct ScriptCommand {
    enum Kind { Press, Hold, Wait, Send, Quit };
    Kind kind = Quit;
    std::vector<std::uint8_t> bytes;  // Press, Hold, Send
    int milliseconds = 0;             // Hold, Wait
};

// Reads commands from text that may arrive in pieces (a pipe, a terminal).
// Commands are separated by blanks, newlines or ';'; '#' starts a comment
// that runs to the end of the line.
class ScriptParser {
public:
    // Adds text; complete commands become available through take().
    void feed(const std::string& text);
    // The text has ended: whatever is left is read as well.
    void finish();

    std::deque<ScriptCommand>& commands() { return commands_; }
    // Messages about text that is not a command; cleared by the caller.
    std::vector<std::string>& errors() { return errors_; }

private:
    void addLine(const std::string& line);
    void parseTokens();

    std::string partialLine_;
    std::deque<std::string> tokens_;
    std::deque<ScriptCommand> commands_;
    std::vector<std::string> errors_;
};

// "0A1F3C" -> {0x0A, 0x1F, 0x3C}; false for anything but pairs of hex digits.
bool ParseHexBytes(const std::string& text, std::vector<std::uint8_t>& bytes);

// A button's burst: the code repeated (or cut) to exactly size bytes.
std::vector<std::uint8_t> MakeBurst(const std::vector<std::uint8_t>& code, int size);

}  // namespace irsim
