// The INI rules that both INI files of the program follow: how sections, keys
// and values are found and read, and how entries are written back.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commands/folded_index.h"
#include "platform/file_system.h"

namespace tavrel {

// A longer value is read as its first 1023 characters.
constexpr std::size_t kIniValueReadLimit = 1023;
// No settings or commands file comes near 4 GiB; a larger one is refused.
constexpr std::size_t kLargestIniFile = 0xFFFF'FFFFu - 1;

// Decimal with an optional sign; "0x"/"0X" followed by at least one digit, or
// "$", for hexadecimal (up to 32 bits, read as two's complement). Anything else,
// a decimal beyond the 32-bit range included, is no integer.
std::optional<std::int32_t> ParseIniInteger(std::string_view text);

// A whole INI file held as its lines, so that updates keep every other line
// (comments, unknown sections and keys, their order) byte for byte.
class IniFile {
public:
    IniFile() = default;
    // Bytes beyond kLargestIniFile are not read (ReadIniFile refuses such a file).
    explicit IniFile(std::string bytes);

    // Every line ended by CR LF, after the byte-order mark the text began with.
    std::string bytes() const;

    // The first section of that name, found once for reading many keys.
    using SectionId = std::size_t;
    static constexpr SectionId kNoSection = static_cast<SectionId>(-1);
    SectionId section(std::string_view name) const;

    // The value of the first such key in the first such section (either
    // matched without regard to case), blanks and enclosing quotes removed.
    std::optional<std::string> read(SectionId section, std::string_view key) const;
    std::string readString(SectionId section, std::string_view key,
                           std::string_view fallback) const;
    std::int32_t readInt(SectionId section, std::string_view key, std::int32_t fallback) const;
    bool readBool(SectionId section, std::string_view key, bool fallback) const;

    std::optional<std::string> read(std::string_view s, std::string_view key) const {
        return read(section(s), key);
    }
    std::string readString(std::string_view s, std::string_view key,
                           std::string_view fallback) const {
        return readString(section(s), key, fallback);
    }
    std::int32_t readInt(std::string_view s, std::string_view key, std::int32_t fallback) const {
        return readInt(section(s), key, fallback);
    }
    bool readBool(std::string_view s, std::string_view key, bool fallback) const {
        return readBool(section(s), key, fallback);
    }

    // Every entry of the section in file order, repeats included: its key
    // and its value as read() gives it. One pass, for a reader of many keys.
    void forEachEntry(
        SectionId section,
        const std::function<void(std::string_view key, std::string_view value)>& visit) const;

    // Some value in a section is longer than the read limit, so reading gives
    // back only its beginning.
    bool valueCut() const;

    // Views into the file, valid until it changes or ends.
    std::vector<std::string_view> sectionNames() const;  // in file order, repeats included
    std::size_t sectionCount() const { return sections_.size(); }
    // The keys of the first such section, in file order.
    std::vector<std::string_view> keys(SectionId section) const;
    std::vector<std::string_view> keys(std::string_view s) const { return keys(section(s)); }

    // Values are written so that read() gives them back: one with a blank or a
    // quote at either end goes inside double quotes.
    // Replaces the value of the key that read() would find, or adds the key
    // after the section's last entry, or adds the section at the end.
    // A name that would not read back (see IsWritableIniName) is refused:
    // false, and nothing changes.
    bool write(std::string_view section, std::string_view key, std::string_view value);
    bool writeInt(std::string_view section, std::string_view key, std::int64_t value);
    bool writeBool(std::string_view section, std::string_view key, bool value);

private:
    // Offsets into text_, which holds less than 4 GiB (see kLargestIniFile).
    using Offset = std::uint32_t;
    struct Span {
        Offset start = 0;
        Offset length = 0;
    };
    struct EntryRef {
        Offset line = 0;
        Span key;
        Span value;  // as the line holds it, before blanks and quotes go
    };
    struct Section {
        Span name;
        Offset header = 0;      // line of "[name]"
        Offset end = 0;         // one past its last line
        Offset firstEntry = 0;  // its entries in entries_, in file order
        Offset entryEnd = 0;
        Offset longIndex = kNoIndex;  // in longIndexes_, for a long section
    };
    static constexpr Offset kNoIndex = static_cast<Offset>(-1);

    std::string_view text(Span span) const {
        return std::string_view(text_).substr(span.start, span.length);
    }
    std::string_view line(std::size_t i) const { return text(lines_[i]); }
    Span spanOf(std::string_view piece) const {
        return Span{static_cast<Offset>(piece.data() - text_.data()),
                    static_cast<Offset>(piece.size())};
    }
    const Section* findSection(std::string_view name) const;
    // The entry read() finds, in entries_.
    std::optional<std::size_t> findKey(SectionId section, std::string_view key) const;
    // The value as read() gives it, before it is copied.
    std::optional<std::string_view> readView(SectionId section, std::string_view key) const;
    // Replaces every line, for an update; the file is indexed again.
    void setLines(const std::vector<std::string>& lines);
    std::vector<std::string> copyLines() const;
    void index();

    // The file's text after any byte-order mark; lines_ cut it, without line ends.
    std::string text_;
    std::vector<Span> lines_;
    bool byteOrderMark_ = false;
    std::vector<Section> sections_;
    std::vector<EntryRef> entries_;  // of every section, one after the other
    FoldedIndex firstSection_;       // section names
    // For each long section, where a scan costs: its keys.
    std::vector<FoldedIndex> longIndexes_;
};

// A section or key name reads back as it was written only when it is not
// empty, has no blank at either end (a reader drops those: spaces, tabs,
// vertical tabs, form feeds, ^Z), no line break or NUL, and nothing that ends
// it early or makes the line something else: ']' in a section name, '=' in a
// key, a key that begins with ';' or '['.
bool IsWritableIniName(std::string_view name, bool section);

// Why bytes read as ini are no INI file: a text file holds no NUL byte, and
// one that is not blank holds a section. Anything else (a file saved as
// UTF-16, a binary file, some other text) is not read as settings or
// commands, and is never written over. Empty when it is one.
std::string NotAnIniFile(std::string_view bytes, const IniFile& ini);

// An INI file as found on disk.
struct IniFileRead {
    IniFile ini;          // empty unless the file was read and is an INI file
    bool found = false;   // the path names a file
    std::string problem;  // why the file that is there cannot be used: the
                          // system's words or NotAnIniFile's; empty otherwise
};
IniFileRead ReadIniFile(const FileSystem& files, const std::string& path);

// Builds a fresh INI file in the order of the calls.
class IniWriter {
public:
    // A blank line separates a section from the one before. A name that would
    // not read back (see IsWritableIniName) is refused: false, nothing written.
    bool section(std::string_view name);
    bool key(std::string_view name, std::string_view value);
    bool key(std::string_view name, std::int64_t value);
    bool key(std::string_view name, const std::string& value) {
        return key(name, std::string_view(value));
    }
    bool key(std::string_view name, const char* value) {
        return key(name, std::string_view(value));
    }
    bool key(std::string_view name, bool value) { return key(name, std::int64_t{value ? 1 : 0}); }
    bool key(std::string_view name, std::int32_t value) { return key(name, std::int64_t{value}); }

    // Room for about this many bytes, so a large file is not moved as it grows.
    void reserve(std::size_t bytes) { bytes_.reserve(bytes); }
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

}  // namespace tavrel
