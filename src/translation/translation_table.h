// The translation table: the lines of a translation file, looked up by key to
// replace the program's built-in English texts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace tavrel {

class TranslationTable {
public:
    // The table becomes the lines of the file's bytes (CR LF, CR or LF end a
    // line; a NUL ends the file). Lines are kept exactly, blanks included.
    // The bytes are Windows-1252, or UTF-8 after a UTF-8 byte-order mark.
    void loadBytes(std::string_view bytes);
    // On failure the table keeps what it held and the system's reason is returned.
    FileStatus loadFile(const FileSystem& files, const std::string& path);
    void clear() { lines_.clear(); }

    // The value of the first line whose key (the text before its first "=")
    // equals key without regard to case; fallback when no line has that key or
    // its value is empty.
    std::string Translate(std::string_view fallback, std::string_view key) const;

    const std::vector<std::string>& lines() const { return lines_; }

private:
    std::vector<std::string> lines_;
};

}  // namespace tavrel
