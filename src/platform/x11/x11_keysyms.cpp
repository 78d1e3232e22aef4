// Virtual key and character tables for keysym-based input.
#include "platform/x11/x11_keysyms.h"

// Typographic symbols sit in keysym groups that keysym.h leaves out.
#define XK_PUBLISHING
#define XK_TECHNICAL
#include <X11/XF86keysym.h>
#include <X11/keysym.h>

#include <array>
#include <string>
#include <utility>

#include "platform/text_encoding.h"

namespace tavrel {
namespace {

// Virtual keys that are not letters, digits, keypad digits or function keys.
constexpr std::pair<std::uint8_t, KeysymValue> kVirtualKeys[] = {
    {0x08, XK_BackSpace},
    {0x09, XK_Tab},
    {0x0C, XK_Clear},
    {0x0D, XK_Return},
    {0x10, XK_Shift_L},
    {0x11, XK_Control_L},
    {0x12, XK_Alt_L},
    {0x13, XK_Pause},
    {0x14, XK_Caps_Lock},
    {0x1B, XK_Escape},
    {0x20, XK_space},
    {0x21, XK_Prior},
    {0x22, XK_Next},
    {0x23, XK_End},
    {0x24, XK_Home},
    {0x25, XK_Left},
    {0x26, XK_Up},
    {0x27, XK_Right},
    {0x28, XK_Down},
    {0x29, XK_Select},
    {0x2B, XK_Execute},
    {0x2C, XK_Print},
    {0x2D, XK_Insert},
    {0x2E, XK_Delete},
    {0x2F, XK_Help},
    {0x5B, XK_Super_L},
    {0x5C, XK_Super_R},
    {0x5D, XK_Menu},
    {0x5F, XF86XK_Sleep},
    {0x6A, XK_KP_Multiply},
    {0x6B, XK_KP_Add},
    {0x6C, XK_KP_Separator},
    {0x6D, XK_KP_Subtract},
    {0x6E, XK_KP_Decimal},
    {0x6F, XK_KP_Divide},
    {0x90, XK_Num_Lock},
    {0x91, XK_Scroll_Lock},
    {0xA0, XK_Shift_L},
    {0xA1, XK_Shift_R},
    {0xA2, XK_Control_L},
    {0xA3, XK_Control_R},
    {0xA4, XK_Alt_L},
    {0xA5, XK_Alt_R},
    {0xA6, XF86XK_Back},
    {0xA7, XF86XK_Forward},
    {0xA8, XF86XK_Refresh},
    {0xA9, XF86XK_Stop},
    {0xAA, XF86XK_Search},
    {0xAB, XF86XK_Favorites},
    {0xAC, XF86XK_HomePage},
    {0xAD, XF86XK_AudioMute},
    {0xAE, XF86XK_AudioLowerVolume},
    {0xAF, XF86XK_AudioRaiseVolume},
    {0xB0, XF86XK_AudioNext},
    {0xB1, XF86XK_AudioPrev},
    {0xB2, XF86XK_AudioStop},
    {0xB3, XF86XK_AudioPlay},
    {0xB4, XF86XK_Mail},
    {0xBA, XK_semicolon},
    {0xBB, XK_equal},
    {0xBC, XK_comma},
    {0xBD, XK_minus},
    {0xBE, XK_period},
    {0xBF, XK_slash},
    {0xC0, XK_grave},
    {0xDB, XK_bracketleft},
    {0xDC, XK_backslash},
    {0xDD, XK_bracketright},
    {0xDE, XK_apostrophe},
    {0xE2, XK_less},
};

// Windows-1252 characters above Latin-1's range that keymaps name with
// traditional keysyms rather than Unicode ones.
constexpr std::pair<char32_t, KeysymValue> kTraditionalKeysyms[] = {
    {0x20AC, XK_EuroSign},
    {0x201A, XK_singlelowquotemark},
    {0x0192, XK_function},
    {0x201E, XK_doublelowquotemark},
    {0x2026, XK_ellipsis},
    {0x2020, XK_dagger},
    {0x2021, XK_doubledagger},
    {0x2030, XK_permille},
    {0x0160, XK_Scaron},
    {0x0152, XK_OE},
    {0x017D, XK_Zcaron},
    {0x2018, XK_leftsinglequotemark},
    {0x2019, XK_rightsinglequotemark},
    {0x201C, XK_leftdoublequotemark},
    {0x201D, XK_rightdoublequotemark},
    {0x2022, XK_enfilledcircbullet},
    {0x2013, XK_endash},
    {0x2014, XK_emdash},
    {0x2122, XK_trademark},
    {0x0161, XK_scaron},
    {0x0153, XK_oe},
    {0x017E, XK_zcaron},
    {0x0178, XK_Ydiaeresis},
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
        return XK_a + (vk - 'A');
    }
    if (vk >= 0x60 && vk <= 0x69) {
        return XK_KP_0 + (vk - 0x60);
    }
    if (vk >= 0x70 && vk <= 0x87) {
        return XK_F1 + (vk - 0x70);
    }
    for (const auto& [key, keysym] : kVirtualKeys) {
        if (key == vk) {
            return keysym;
        }
    }
    return 0;
}

std::uint8_t KeysymToVirtualKey(KeysymValue keysym) {
    if (keysym >= XK_A && keysym <= XK_Z) {
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
            return XK_BackSpace;
        case 9:
            return XK_Tab;
        case 10:
        case 13:
            return XK_Return;
        case 27:
            return XK_Escape;
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
