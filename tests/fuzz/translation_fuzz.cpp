// The translation table: any file loads, and every key of it looks up
// without fault; a key of the file's first line finds that line's text.
#include <cstdlib>

#include "translation/translation_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    tavrel::TranslationTable table;
    table.loadBytes(std::string_view(reinterpret_cast<const char*>(bytes), size));
    for (const auto& line : table.lines()) {
        const auto equals = line.find('=');
        (void)table.Translate("fallback", line.substr(0, equals));
    }
    (void)table.Translate("OK", "ok");
    if (!table.lines().empty()) {
        const std::string& first = table.lines().front();
        const auto equals = first.find('=');
        if (equals != std::string::npos && equals + 1 < first.size() &&
            table.Translate("", first.substr(0, equals)) != first.substr(equals + 1)) {
            std::abort();
        }
    }
    return 0;
}
