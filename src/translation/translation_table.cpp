// The translation table and its lookup.
#include "translation/translation_table.h"

#include "commands/text_case.h"
#include "platform/text_encoding.h"

namespace tavrel {

void TranslationTable::loadBytes(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\0'));
    // A byte-order mark says the file is UTF-8; its text becomes ours.
    std::string converted;
    if (bytes.starts_with(kUtf8ByteOrderMark)) {
        converted = Utf8ToCp1252(bytes.substr(kUtf8ByteOrderMark.size()));
        bytes = converted;
    }
    std::vector<std::string> lines;
    while (!bytes.empty()) {
        const auto end = bytes.find_first_of("\r\n");
        lines.emplace_back(bytes.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        const bool crlf = bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n';
        bytes.remove_prefix(end + (crlf ? 2 : 1));
    }
    lines_ = std::move(lines);
}

FileStatus TranslationTable::loadFile(const FileSystem& files, const std::string& path) {
    FileContents contents = files.readFile(path);
    if (contents.status.ok()) {
        loadBytes(contents.bytes);
    }
    return contents.status;
}

std::string TranslationTable::Translate(std::string_view fallback, std::string_view key) const {
    for (const auto& line : lines_) {
        const auto equals = line.find('=');
        if (equals == std::string::npos ||
            !EqualsIgnoringCase1252(std::string_view(line).substr(0, equals), key)) {
            continue;
        }
        if (equals + 1 == line.size()) {
            break;
        }
        return line.substr(equals + 1);
    }
    return std::string(fallback);
}

}  // namespace tavrel
