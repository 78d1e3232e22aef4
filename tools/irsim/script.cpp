// Parsing of irsim scripts.
#include "script.h"

#include <charconv>
#include <sstream>

namespace irsim {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool ParseMilliseconds(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value >= 0;
}

}  // namespace

bool ParseHexBytes(const std::string& text, std::vector<std::uint8_t>& bytes) {
    if (text.empty() || text.size() % 2 != 0) {
        return false;
    }
    bytes.clear();
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return true;
}

std::vector<std::uint8_t> MakeBurst(const std::vector<std::uint8_t>& code, int size) {
    std::vector<std::uint8_t> burst;
    for (int i = 0; i < size && !code.empty(); ++i) {
        burst.push_back(code[static_cast<std::size_t>(i) % code.size()]);
    }
    return burst;
}

void ScriptParser::feed(const std::string& text) {
    partialLine_ += text;
    std::size_t start = 0;
    for (std::size_t newline = partialLine_.find('\n'); newline != std::string::npos;
         newline = partialLine_.find('\n', start)) {
        addLine(partialLine_.substr(start, newline - start));
        start = newline + 1;
    }
    partialLine_.erase(0, start);
    parseTokens();
}

void ScriptParser::finish() {
    addLine(partialLine_);
    partialLine_.clear();
    parseTokens();
    if (!tokens_.empty()) {
        errors_.push_back("incomplete command at '" + tokens_.front() + "'");
    }
    tokens_.clear();
}

void ScriptParser::addLine(const std::string& line) {
    std::string text = line.substr(0, line.find('#'));
    for (char& c : text) {
        if (c == ';' || c == '\r' || c == '\t') {
            c = ' ';
        }
    }
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        tokens_.push_back(word);
    }
}

void ScriptParser::parseTokens() {
    while (!tokens_.empty()) {
        const std::string word = tokens_.front();
        ScriptCommand command;
        std::size_t arguments = 0;
        if (word == "press") {
            command.kind = ScriptCommand::Press;
            arguments = 1;
        } else if (word == "send") {
            command.kind = ScriptCommand::Send;
            arguments = 1;
        } else if (word == "hold") {
            command.kind = ScriptCommand::Hold;
            arguments = 2;
        } else if (word == "wait") {
            command.kind = ScriptCommand::Wait;
            arguments = 1;
        } else if (word == "quit") {
            command.kind = ScriptCommand::Quit;
        } else {
            errors_.push_back("unknown command '" + word + "'");
            tokens_.pop_front();
            continue;
        }
        if (tokens_.size() <= arguments) {
            return;  // the rest is still to come
        }
        bool valid = true;
        if (command.kind == ScriptCommand::Wait) {
            valid = ParseMilliseconds(tokens_[1], command.milliseconds);
        } else if (arguments > 0) {
            valid = ParseHexBytes(tokens_[1], command.bytes);
            if (valid && command.kind == ScriptCommand::Hold) {
                valid = ParseMilliseconds(tokens_[2], command.milliseconds);
            }
        }
        if (valid) {
            commands_.push_back(command);
        } else {
            std::string text = word;
            for (std::size_t i = 1; i <= arguments; ++i) {
                text += " " + tokens_[i];
            }
            errors_.push_back("bad arguments in '" + text + "'");
        }
        tokens_.erase(tokens_.begin(), tokens_.begin() + static_cast<long>(arguments + 1));
    }
}

}  // namespace irsim
