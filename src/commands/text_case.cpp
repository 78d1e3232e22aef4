// Letter case in Windows-1252.
#include "commands/text_case.h"

#include <array>

namespace tavrel {

namespace {

constexpr char FoldByte(unsigned char b) {
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) {
        return static_cast<char>(b + 0x20);
    }
    switch (b) {
        case 0x8A:  // S caron
        case 0x8C:  // OE
        case 0x8E:  // Z caron
            return static_cast<char>(b + 0x10);
        case 0x9F:  // Y diaeresis
            return static_cast<char>(0xFF);
        default:
            return static_cast<char>(b);
    }
}

// Keys are compared many times over in every load: each byte's fold is looked up.
constexpr std::array<char, 256> kFolded = [] {
    std::array<char, 256> folded{};
    for (std::size_t b = 0; b < folded.size(); ++b) {
        folded[b] = FoldByte(static_cast<unsigned char>(b));
    }
    return folded;
}();

}  // namespace

char FoldCase1252(char c) {
    return kFolded[static_cast<unsigned char>(c)];
}

std::string FoldCase1252(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        c = FoldCase1252(c);
    }
    return folded;
}

bool EqualsIgnoringCase1252(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase1252(a[i]) != FoldCase1252(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace tavrel
