// The INI reader and writer: any bytes parse; every value written reads back
// as written, before and after the text is parsed again; no other key moves;
// a name with a blank at an end is refused and changes nothing.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <map>

#include "commands/ini_file.h"
#include "commands/text_case.h"
#include "memory_file_system.h"

namespace {

using tavrel::IniFile;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A';
}

// Names as the program writes them, or with blanks at an end, which the
// writers must refuse: nothing in them that would end a name early or make
// the line something else.
std::string Name(FuzzedDataProvider& data, bool section) {
    static const char* const kNames[] = {"Files", "Config", "Ports", "1", "Settings", "k"};
    if (data.ConsumeBool()) {
        return kNames[data.ConsumeIntegralInRange<std::size_t>(0, std::size(kNames) - 1)];
    }
    std::string name = data.ConsumeRandomLengthString(12);
    std::erase_if(name, [section](char c) {
        return c == '\r' || c == '\n' || c == '=' || c == '\0' || (section && c == ']');
    });
    if (name.empty() || name[0] == '[' || name[0] == ';') {
        name.insert(0, "n");
    }
    return name;
}

bool BlankAtAnEnd(const std::string& name) {
    return IsBlank(name.front()) || IsBlank(name.back());
}

void Check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    IniFile ini(data.ConsumeRandomLengthString(4096));
    for (const auto& section : ini.sectionNames()) {
        for (const auto& key : ini.keys(section)) {
            (void)ini.readInt(section, key, 0);
        }
    }
    std::map<std::pair<std::string, std::string>, std::pair<std::string, std::string>> written;
    while (data.remaining_bytes() > 0) {
        const std::string section = Name(data, true);
        const std::string key = Name(data, false);
        const std::string value = data.ConsumeRandomLengthString(1100);
        const std::string before = ini.bytes();
        // Refused exactly when a name has a blank at an end, and then nothing changed.
        const bool refused = BlankAtAnEnd(section) || BlankAtAnEnd(key);
        Check(ini.write(section, key, value) != refused);
        if (refused) {
            Check(ini.bytes() == before);
            continue;
        }
        Check(ini.read(section, key) == tavrel::fuzzing::AsReadBack(value));
        written[{tavrel::FoldCase1252(section), tavrel::FoldCase1252(key)}] = {section + "\n" + key,
                                                                               value};
    }
    const IniFile again(ini.bytes());
    Check(again.bytes() == ini.bytes());
    for (const auto& [folded, entry] : written) {
        const auto& [names, value] = entry;
        const auto split = names.find('\n');
        Check(again.read(names.substr(0, split), names.substr(split + 1)) ==
              tavrel::fuzzing::AsReadBack(value));
    }
    return 0;
}
