// The INI rules shared by the settings file and the commands file.
#include "commands/ini_file.h"

#include <algorithm>

#include "commands/text_case.h"
#include "platform/text_encoding.h"

namespace tavrel {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Hand editors leave more than spaces and tabs at the ends of lines: vertical
// tabs, form feeds and the old end-of-file mark ^Z are dropped as well.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A';
}

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

std::string_view Trim(std::string_view text) {
    text = TrimLeft(text);
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<std::string_view> SectionHeader(std::string_view line) {
    line = TrimLeft(line);
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    const auto close = line.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(line.substr(1, close - 1));
}

struct Entry {
    std::string_view key;
    std::string_view value;
};

std::optional<Entry> SplitEntry(std::string_view line) {
    const std::string_view start = TrimLeft(line);
    if (start.empty() || start.front() == ';') {
        return std::nullopt;
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view key = Trim(line.substr(0, equals));
    if (key.empty()) {
        return std::nullopt;
    }
    return Entry{key, line.substr(equals + 1)};
}

// The whole value a read finds, before the read limit.
std::string_view WholeValue(std::string_view raw) {
    std::string_view value = Trim(raw);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

std::string_view ValueAsRead(std::string_view raw) {
    return WholeValue(raw).substr(0, kIniValueReadLimit);
}

std::string SectionLine(std::string_view name) {
    std::string line;
    line.reserve(name.size() + 2);
    line.append(1, '[').append(name).append(1, ']');
    return line;
}

// The reader drops blanks at the ends of a value and one pair of enclosing
// quotes, so a value with such ends is written inside quotes to come back
// whole. A line break inside a value would end the entry and start a forged
// one: it is written as a blank.
void AppendEntryLine(std::string& out, std::string_view key, std::string_view value) {
    out += key;
    out += '=';
    const auto dropped = [](char c) {
        return IsBlank(c) || c == '"' || c == '\'' || c == '\r' || c == '\n';
    };
    const bool quoted = !value.empty() && (dropped(value.front()) || dropped(value.back()));
    if (quoted) {
        out += '"';
    }
    const std::size_t start = out.size();
    out += value;
    if (value.find('\r') != std::string_view::npos || value.find('\n') != std::string_view::npos) {
        for (std::size_t i = start; i < out.size(); ++i) {
            if (out[i] == '\r' || out[i] == '\n') {
                out[i] = ' ';
            }
        }
    }
    if (quoted) {
        out += '"';
    }
}

std::string EntryLine(std::string_view key, std::string_view value) {
    std::string line;
    AppendEntryLine(line, key, value);
    return line;
}

// Line ends may be LF, CR LF, CR alone, or CR CR LF (a CR LF file passed
// through a tool that added its own CR); each counts as one.
std::size_t LineEndLength(std::string_view rest) {
    if (rest.starts_with("\r\r\n")) {
        return 3;
    }
    return rest.starts_with("\r\n") ? 2 : 1;
}

}  // namespace

bool IsWritableIniName(std::string_view name, bool section) {
    if (name.empty() || IsBlank(name.front()) || IsBlank(name.back()) ||
        std::any_of(name.begin(), name.end(),
                    [](char c) { return c == '\r' || c == '\n' || c == '\0'; })) {
        return false;
    }
    if (section) {
        return name.find(']') == std::string_view::npos;
    }
    return name.find('=') == std::string_view::npos && name.front() != ';' && name.front() != '[';
}

IniFile::IniFile(std::string bytes) : text_(std::move(bytes)) {
    if (text_.size() > kLargestIniFile) {
        text_.resize(kLargestIniFile);
    }
    std::string_view rest(text_);
    if (rest.starts_with(kUtf8ByteOrderMark)) {
        rest.remove_prefix(kUtf8ByteOrderMark.size());
        byteOrderMark_ = true;
    }
    // Large files have some 170,000 lines: counted first, cut by a plain scan.
    lines_.reserve(static_cast<std::size_t>(std::count(rest.begin(), rest.end(), '\n')) + 1);
    while (!rest.empty()) {
        const auto stop =
            std::find_if(rest.begin(), rest.end(), [](char c) { return c == '\r' || c == '\n'; });
        const auto end = static_cast<std::size_t>(stop - rest.begin());
        lines_.push_back(spanOf(rest.substr(0, end)));
        if (stop == rest.end()) {
            break;
        }
        rest.remove_prefix(end + LineEndLength(rest.substr(end)));
    }
    index();
}

std::string IniFile::bytes() const {
    std::string out(byteOrderMark_ ? kUtf8ByteOrderMark : "");
    out.reserve(out.size() + text_.size() + lines_.size());
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        out += line(i);
        out += kLineEnd;
    }
    return out;
}

std::vector<std::string> IniFile::copyLines() const {
    std::vector<std::string> lines;
    lines.reserve(lines_.size());
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        lines.emplace_back(line(i));
    }
    return lines;
}

void IniFile::setLines(const std::vector<std::string>& lines) {
    text_.clear();
    lines_.clear();
    for (const auto& l : lines) {
        lines_.push_back(Span{static_cast<Offset>(text_.size()), static_cast<Offset>(l.size())});
        text_ += l;
        text_ += '\n';
    }
    index();
}

void IniFile::index() {
    sections_.clear();
    entries_.clear();
    entries_.reserve(lines_.size());
    longIndexes_.clear();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::string_view l = line(i);
        const auto at = static_cast<Offset>(i);
        if (const auto name = SectionHeader(l)) {
            if (!sections_.empty()) {
                sections_.back().end = at;
            }
            const auto first = static_cast<Offset>(entries_.size());
            sections_.push_back(Section{spanOf(*name), at, static_cast<Offset>(lines_.size()),
                                        first, first, kNoIndex});
        } else if (!sections_.empty()) {
            if (const auto entry = SplitEntry(l)) {
                entries_.push_back(EntryRef{at, spanOf(entry->key), spanOf(entry->value)});
                sections_.back().entryEnd = static_cast<Offset>(entries_.size());
            }
        }
    }
    firstSection_.build(static_cast<Offset>(sections_.size()),
                        [this](Offset s) { return text(sections_[s].name); });
    constexpr std::size_t kScannedEntries = 32;
    for (auto& s : sections_) {
        if (s.entryEnd - s.firstEntry > kScannedEntries) {
            s.longIndex = static_cast<Offset>(longIndexes_.size());
            longIndexes_.emplace_back().build(s.entryEnd - s.firstEntry, [this, &s](Offset e) {
                return text(entries_[s.firstEntry + e].key);
            });
        }
    }
}

IniFile::SectionId IniFile::section(std::string_view name) const {
    const auto found =
        firstSection_.find(name, [this](Offset s) { return text(sections_[s].name); });
    return found ? *found : kNoSection;
}

const IniFile::Section* IniFile::findSection(std::string_view name) const {
    const SectionId id = section(name);
    return id == kNoSection ? nullptr : &sections_[id];
}

std::optional<std::size_t> IniFile::findKey(SectionId section, std::string_view key) const {
    if (section == kNoSection) {
        return std::nullopt;
    }
    const Section& s = sections_[section];
    if (s.longIndex != kNoIndex) {
        const auto found = longIndexes_[s.longIndex].find(
            key, [this, &s](Offset e) { return text(entries_[s.firstEntry + e].key); });
        if (!found) {
            return std::nullopt;
        }
        return s.firstEntry + *found;
    }
    for (std::size_t e = s.firstEntry; e < s.entryEnd; ++e) {
        const Span k = entries_[e].key;
        if (k.length == key.size() && EqualsIgnoringCase1252(text(k), key)) {
            return e;
        }
    }
    return std::nullopt;
}

std::optional<std::string_view> IniFile::readView(SectionId section, std::string_view key) const {
    const auto found = findKey(section, key);
    if (!found) {
        return std::nullopt;
    }
    return ValueAsRead(text(entries_[*found].value));
}

void IniFile::forEachEntry(
    SectionId section,
    const std::function<void(std::string_view key, std::string_view value)>& visit) const {
    if (section == kNoSection) {
        return;
    }
    const Section& s = sections_[section];
    for (std::size_t e = s.firstEntry; e < s.entryEnd; ++e) {
        visit(text(entries_[e].key), ValueAsRead(text(entries_[e].value)));
    }
}

std::optional<std::string> IniFile::read(SectionId section, std::string_view key) const {
    const auto value = readView(section, key);
    if (!value) {
        return std::nullopt;
    }
    return std::string(*value);
}

std::string IniFile::readString(SectionId section, std::string_view key,
                                std::string_view fallback) const {
    return std::string(readView(section, key).value_or(fallback));
}

std::int32_t IniFile::readInt(SectionId section, std::string_view key,
                              std::int32_t fallback) const {
    const auto value = readView(section, key);
    if (!value) {
        return fallback;
    }
    return ParseIniInteger(*value).value_or(fallback);
}

bool IniFile::readBool(SectionId section, std::string_view key, bool fallback) const {
    return readInt(section, key, fallback ? 1 : 0) != 0;
}

bool IniFile::valueCut() const {
    return std::any_of(entries_.begin(), entries_.end(), [this](const EntryRef& e) {
        return WholeValue(text(e.value)).size() > kIniValueReadLimit;
    });
}

std::vector<std::string_view> IniFile::sectionNames() const {
    std::vector<std::string_view> names;
    names.reserve(sections_.size());
    for (const auto& s : sections_) {
        names.push_back(text(s.name));
    }
    return names;
}

std::vector<std::string_view> IniFile::keys(SectionId section) const {
    std::vector<std::string_view> names;
    if (section != kNoSection) {
        const Section& s = sections_[section];
        names.reserve(s.entryEnd - s.firstEntry);
        for (std::size_t e = s.firstEntry; e < s.entryEnd; ++e) {
            names.push_back(text(entries_[e].key));
        }
    }
    return names;
}

bool IniFile::write(std::string_view section, std::string_view key, std::string_view value) {
    if (!IsWritableIniName(section, true) || !IsWritableIniName(key, false)) {
        return false;
    }
    std::vector<std::string> lines = copyLines();
    if (const auto found = findKey(this->section(section), key)) {
        // The key keeps its own spelling; only the value changes. Its blanks
        // in front go, so every saved position after it is found again.
        const EntryRef& entry = entries_[*found];
        lines[entry.line] = EntryLine(text(entry.key), value);
    } else if (const Section* s = findSection(section); s == nullptr) {
        if (!lines.empty() && !Trim(lines.back()).empty()) {
            lines.emplace_back();
        }
        lines.push_back(SectionLine(section));
        lines.push_back(EntryLine(key, value));
    } else {
        std::size_t at = s->end;
        while (at > s->header + 1 && Trim(lines[at - 1]).empty()) {
            --at;
        }
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), EntryLine(key, value));
    }
    setLines(lines);
    return true;
}

bool IniFile::writeInt(std::string_view section, std::string_view key, std::int64_t value) {
    return write(section, key, std::to_string(value));
}

bool IniFile::writeBool(std::string_view section, std::string_view key, bool value) {
    return write(section, key, value ? "1" : "0");
}

bool IniWriter::section(std::string_view name) {
    if (!IsWritableIniName(name, true)) {
        return false;
    }
    if (!bytes_.empty()) {
        bytes_ += kLineEnd;
    }
    bytes_ += SectionLine(name);
    bytes_ += kLineEnd;
    return true;
}

bool IniWriter::key(std::string_view name, std::string_view value) {
    if (!IsWritableIniName(name, false)) {
        return false;
    }
    AppendEntryLine(bytes_, name, value);
    bytes_ += kLineEnd;
    return true;
}

bool IniWriter::key(std::string_view name, std::int64_t value) {
    return key(name, std::string_view(std::to_string(value)));
}

std::string NotAnIniFile(std::string_view bytes, const IniFile& ini) {
    if (bytes.find('\0') != std::string_view::npos) {
        return "Not a text file";
    }
    const bool blank = bytes.find_first_not_of(" \t\r\n") == std::string_view::npos;
    if (!blank && ini.sectionCount() == 0) {
        return "No [section] line found";
    }
    return {};
}

IniFileRead ReadIniFile(const FileSystem& files, const std::string& path) {
    IniFileRead result;
    if (!files.exists(path)) {
        return result;
    }
    result.found = true;
    const FileContents contents = files.readFile(path);
    if (!contents.status.ok()) {
        result.problem = contents.status.error;
        return result;
    }
    if (contents.bytes.size() > kLargestIniFile) {
        result.problem = "Too large for a settings or commands file";
        return result;
    }
    IniFile ini(contents.bytes);
    result.problem = NotAnIniFile(contents.bytes, ini);
    if (result.problem.empty()) {
        result.ini = std::move(ini);
    }
    return result;
}

}  // namespace tavrel
