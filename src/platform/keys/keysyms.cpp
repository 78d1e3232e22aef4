// Virtual key and character tables for keysym-based input.
#include "platform/keys/keysyms.h"

#include <xkbcommon/xkbcommon-keysyms.h>

#include <array>
#include <string>
#include <utility>

#include "platform/text_encoding.h"

namespace tavrel {
namespace {

// Virtual keys that are not letters, digits, keypad digits or function keys.
constexpr std::pair<std::uint8_t, KeysymValue> kVirtualKeys[] = {
    {0x08, XKB_KEY_BackSpace},
    {0x09, XKB_KEY_Tab},
    {0x0C, XKB_KEY_Clear},
    {0x0D, XKB_KEY_Return},
    {0x10, XKB_KEY_Shift_L},
    {0x11, XKB_KEY_Control_L},
    {0x12, XKB_KEY_Alt_L},
    {0x13, XKB_KEY_Pause},
    {0x14, XKB_KEY_Caps_Lock},
    {0x1B, XKB_KEY_Escape},
    {0x20, XKB_KEY_space},
    {0x21, XKB_KEY_Prior},
    {0x22, XKB_KEY_Next},
    {0x23, XKB_KEY_End},
    {0x24, XKB_KEY_Home},
    {0x25, XKB_KEY_Left},
    {0x26, XKB_KEY_Up},
    {0x27, XKB_KEY_Right},
    {0x28, XKB_KEY_Down},
    {0x29, XKB_KEY_Select},
    {0x2B, XKB_KEY_Execute},
    {0x2C, XKB_KEY_Print},
    {0x2D, XKB_KEY_Insert},
    {0x2E, XKB_KEY_Delete},
    {0x2F, XKB_KEY_Help},
    {0x5B, XKB_KEY_Super_L},
    {0x5C, XKB_KEY_Super_R},
    {0x5D, XKB_KEY_Menu},
    {0x5F, XKB_KEY_XF86Sleep},
    {0x6A, XKB_KEY_KP_Multiply},
    {0x6B, XKB_KEY_KP_Add},
    {0x6C, XKB_KEY_KP_Separator},
    {0x6D, XKB_KEY_KP_Subtract},
    {0x6E, XKB_KEY_KP_Decimal},
    {0x6F, XKB_KEY_KP_Divide},
    {0x90, XKB_KEY_Num_Lock},
    {0x91, XKB_KEY_Scroll_Lock},
    {0xA0, XKB_KEY_Shift_L},
    {0xA1, XKB_KEY_Shift_R},
    {0xA2, XKB_KEY_Control_L},
    {0xA3, XKB_KEY_Control_R},
    {0xA4, XKB_KEY_Alt_L},
    {0xA5, XKB_KEY_Alt_R},
    {0xA6, XKB_KEY_XF86Back},
    {0xA7, XKB_KEY_XF86Forward},
    {0xA8, XKB_KEY_XF86Refresh},
    {0xA9, XKB_KEY_XF86Stop},
    {0xAA, XKB_KEY_XF86Search},
    {0xAB, XKB_KEY_XF86Favorites},
    {0xAC, XKB_KEY_XF86HomePage},
    {0xAD, XKB_KEY_XF86AudioMute},
    {0xAE, XKB_KEY_XF86AudioLowerVolume},
    {0xAF, XKB_KEY_XF86AudioRaiseVolume},
    {0xB0, XKB_KEY_XF86AudioNext},
    {0xB1, XKB_KEY_XF86AudioPrev},
    {0xB2, XKB_KEY_XF86AudioStop},
    {0xB3, XKB_KEY_XF86AudioPlay},
    {0xB4, XKB_KEY_XF86Mail},
    {0xBA, XKB_KEY_semicolon},
    {0xBB, XKB_KEY_equal},
    {0xBC, XKB_KEY_comma},
    {0xBD, XKB_KEY_minus},
    {0xBE, XKB_KEY_period},
    {0xBF, XKB_KEY_slash},
    {0xC0, XKB_KEY_grave},
    {0xDB, XKB_KEY_bracketleft},
    {0xDC, XKB_KEY_backslash},
    {0xDD, XKB_KEY_bracketright},
    {0xDE, XKB_KEY_apostrophe},
    {0xE2, XKB_KEY_less},
};

// Windows-1252 characters above Latin-1's range that keymaps name with
// traditional keysyms rather than Unicode ones.
constexpr std::pair<char32_t, KeysymValue> kTraditionalKeysyms[] = {
    {0x20AC, XKB_KEY_EuroSign},
    {0x201A, XKB_KEY_singlelowquotemark},
    {0x0192, XKB_KEY_function},
    {0x201E, XKB_KEY_doublelowquotemark},
    {0x2026, XKB_KEY_ellipsis},
    {0x2020, XKB_KEY_dagger},
    {0x2021, XKB_KEY_doubledagger},
    {0x2030, XKB_KEY_permille},
    {0x0160, XKB_KEY_Scaron},
    {0x0152, XKB_KEY_OE},
    {0x017D, XKB_KEY_Zcaron},
    {0x2018, XKB_KEY_leftsinglequotemark},
    {0x2019, XKB_KEY_rightsinglequotemark},
    {0x201C, XKB_KEY_leftdoublequotemark},
    {0x201D, XKB_KEY_rightdoublequotemark},
    {0x2022, XKB_KEY_enfilledcircbullet},
    {0x2013, XKB_KEY_endash},
    {0x2014, XKB_KEY_emdash},
    {0x2122, XKB_KEY_trademark},
    {0x0161, XKB_KEY_scaron},
    {0x0153, XKB_KEY_oe},
    {0x017E, XKB_KEY_zcaron},
    {0x0178, XKB_KEY_Ydiaeresis},
};

// US positions by evdev key code (main block, rows from the digits down).
constexpr std::pair<unsigned, std::uint8_t> kUsPositions[] = {
    {2, '1'},  {3, '2'},   {4, '3'},   {5, '4'},   {6, '5'},   {7, '6'},   {8, '7'},   {9, '8'},
    {10, '9'}, {11, '0'},  {12, 0xBD}, {13, 0xBB}, {16, 'Q'},  {17, 'W'},  {18, 'E'},  {19, 'R'},
    {20, 'T'}, {21, 'Y'},  {22, 'U'},  {23, 'I'},  {24, 'O'},  {25, 'P'},  {26, 0xDB}, {27, 0xDD},
    {30, 'A'}, {31, 'S'},  {32, 'D'},  {33, 'F'},  {34, 'G'},  {35, 'H'},  {36, 'J'},  {37, 'K'},
    {38, 'L'}, {39, 0xBA}, {40, 0xDE}, {41, 0xC0}, {43, 0xDC}, {44, 'Z'},  {45, 'X'},  {46, 'C'},
    {47, 'V'}, {48, 'B'},  {49, 'N'},  {50, 'M'},  {51, 0xBC}, {52, 0xBE}, {53, 0xBF}, {86, 0xE2},
};

char32_t Cp1252CodePoint(unsigned char ch) {
    const std::string utf8 = Cp1252ToUtf8(std::string(1, static_cast<char>(ch)));
    const auto lead = static_cast<unsigned char>(utf8[0]);
    if (utf8.size() == 1) {
        return lead;
    }
    char32_t cp = utf8.size() == 2 ? (lead & 0x1F) : (lead & 0x0F);
    for (std::size_t i = 1; i < utf8.size(); ++i) {
        cp = (cp << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
    }
    return cp;
}

}  // namespace

KeysymValue VirtualKeyToKeysym(std::uint8_t vk) {
    if ((vk >= '0' && vk <= '9')) {
        return vk;
    }
    if (vk >= 'A' && vk <= 'Z') {
        return XKB_KEY_a + (vk - 'A');
    }
    if (vk >= 0x60 && vk <= 0x69) {
        return XKB_KEY_KP_0 + (vk - 0x60);
    }
    if (vk >= 0x70 && vk <= 0x87) {
        return XKB_KEY_F1 + (vk - 0x70);
    }
    for (const auto& [key, keysym] : kVirtualKeys) {
        if (key == vk) {
            return keysym;
        }
    }
    return 0;
}

std::uint8_t KeysymToVirtualKey(KeysymValue keysym) {
    if (keysym >= XKB_KEY_A && keysym <= XKB_KEY_Z) {
        return static_cast<std::uint8_t>(keysym);
    }
    for (int vk = 1; vk < 256; ++vk) {
        if (VirtualKeyToKeysym(static_cast<std::uint8_t>(vk)) == keysym) {
            return static_cast<std::uint8_t>(vk);
        }
    }
    return 0;
}

std::uint8_t KeyCodePositionToVirtualKey(unsigned evdevCode) {
    for (const auto& [code, vk] : kUsPositions) {
        if (code == evdevCode) {
            return vk;
        }
    }
    return 0;
}

KeysymValue Cp1252ToKeysym(unsigned char ch, KeysymValue* alternative) {
    if (alternative != nullptr) {
        *alternative = 0;
    }
    switch (ch) {
        case 8:
            return XKB_KEY_BackSpace;
        case 9:
            return XKB_KEY_Tab;
        case 10:
        case 13:
            return XKB_KEY_Return;
        case 27:
            return XKB_KEY_Escape;
        default:
            break;
    }
    const char32_t cp = Cp1252CodePoint(ch);
    if ((cp >= 0x20 && cp <= 0x7E) || (cp >= 0xA0 && cp <= 0xFF)) {
        return cp;  // Latin-1 keysyms equal their code points
    }
    for (const auto& [point, keysym] : kTraditionalKeysyms) {
        if (point == cp) {
            if (alternative != nullptr) {
                *alternative = 0x01000000 | cp;
            }
            return keysym;
        }
    }
    if (cp > 0xFF) {
        return 0x01000000 | cp;  // Unicode keysym
    }
    return 0;  // control characters
}

}  // namespace tavrel
