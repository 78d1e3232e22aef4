// Characters and keysyms to key codes on real layouts compiled by
// libxkbcommon, each answer checked by what a client decodes from the keys.
#include "platform/uinput/xkb_layout.h"

#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <string>
#include <vector>

#include "key_decoder.h"
#include "platform/text_encoding.h"

namespace tavrel::test {
namespace {

using Strokes = std::vector<KeyStroke>;

constexpr std::uint8_t kShift = kShiftKey;
constexpr std::uint8_t kAltGr = kLevel3Key;
constexpr std::uint8_t kCapsLock = kCapsLockKey;
constexpr std::uint8_t kNumLock = kNumLockKey;

// evdev key codes
constexpr unsigned kKeyE = 18, kKeyQ = 16, kKeyY = 21, kKeyA = 30, kKey1 = 2, kKey2 = 3,
                   kKeyEqual = 13, kKeyApostrophe = 40, kKeySpace = 57, kKeyZ = 44,
                   kKeyLeftBrace = 26, kKeyKp1 = 79, kKeyEnter = 28, kKeyMinus = 12, kKey6 = 7;

std::unique_ptr<XkbLayout> Layout(const std::string& layout, const std::string& variant = "") {
    std::string problem;
    auto result = XkbLayout::FromNames(layout, variant, "", &problem);
    EXPECT_TRUE(result) << problem;
    return result;
}

// Presses the strokes as the backend does and returns what a client reads.
std::string Typed(KeyDecoder& decoder, XkbLayout& layout, const Strokes& strokes,
                  KeyLocks locks = {}) {
    decoder.Reset(locks.caps, locks.num);
    auto tap = [&decoder](unsigned code) {
        decoder.Key(code, true);
        decoder.Key(code, false);
    };
    for (const KeyStroke& stroke : strokes) {
        const auto lock = static_cast<ModifierKey>(stroke.modifiers & kLockKeys);
        if (lock != 0) {
            tap(layout.ModifierKeyCode(lock));
        }
        std::vector<unsigned> held;
        for (const ModifierKey modifier : {kShiftKey, kLevel3Key, kLevel5Key}) {
            if ((stroke.modifiers & modifier) != 0) {
                held.push_back(layout.ModifierKeyCode(modifier));
                decoder.Key(held.back(), true);
            }
        }
        tap(stroke.code);
        for (auto code = held.rbegin(); code != held.rend(); ++code) {
            decoder.Key(*code, false);
        }
        if (lock != 0) {
            tap(layout.ModifierKeyCode(lock));
        }
    }
    return decoder.text();
}

struct LayoutCase {
    const char* layout;
    const char* variant;
    const char* mustType;  // Windows-1252
};

class EveryLayout : public ::testing::TestWithParam<LayoutCase> {};

// The rule that matters most: a character is typed as itself or not at all,
// with or without Caps Lock.
TEST_P(EveryLayout, TypesEachCharacterAsItselfOrNotAtAll) {
    const LayoutCase& param = GetParam();
    auto layout = Layout(param.layout, param.variant);
    ASSERT_TRUE(layout);
    KeyDecoder decoder(layout->Text());
    ASSERT_TRUE(decoder.valid());
    for (const KeyLocks locks : {KeyLocks{}, KeyLocks{true, false}}) {
        std::string typeable;
        for (int ch = 0x20; ch <= 0xFF; ++ch) {
            const auto byte = static_cast<unsigned char>(ch);
            const Strokes strokes = layout->ForCharacter(Cp1252ToCodePoint(byte), locks);
            if (strokes.empty()) {
                continue;
            }
            typeable += static_cast<char>(byte);
            const std::string expected = Cp1252ToUtf8(std::string(1, static_cast<char>(byte)));
            EXPECT_EQ(Typed(decoder, *layout, strokes, locks), expected)
                << "character " << ch << (locks.caps ? " with Caps Lock" : "");
        }
        for (const char* c = param.mustType; *c != '\0'; ++c) {
            EXPECT_NE(typeable.find(*c), std::string::npos)
                << "cannot type " << static_cast<int>(static_cast<unsigned char>(*c));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, EveryLayout,
    ::testing::Values(
        LayoutCase{"us", "", " !\"#$%&'()*+,-./09:;<=>?@AZ[\\]^_`az{|}~"},
        LayoutCase{"de", "", "aAzZyY@\\{}|~^`\xB4\xB0\xA7\xE4\xF6\xFC\xDF\xC4\xE9\xE8\xEA\x80\xB5"},
        LayoutCase{"fr", "", "aAqQ1!@#{}~^`\xE9\xE8\xE0\xE7\xF9\xEA\xEB\xB2\xA3\x80\xB5"},
        LayoutCase{"us", "intl", "'\"`~^\xE9\xEA\xEB\xE8\xF1\xE7\xE4\xDF\x80\xBF\xA1"}),
    [](const ::testing::TestParamInfo<LayoutCase>& test) {
        return std::string(test.param.layout) + (*test.param.variant ? "_" : "") +
               test.param.variant;
    });

struct CharacterCase {
    const char* layout;
    const char* variant;
    char32_t character;
    KeyLocks locks;
    Strokes strokes;
};

TEST(XkbLayout, ChoosesPlainKeysBeforeModifiersAndDeadKeysLast) {
    const CharacterCase cases[] = {
        {"us", "", U'A', {}, {{kKeyA, kShift}}},
        {"us", "", U'a', {true, false}, {{kKeyA, kShift}}},  // Shift undoes Caps Lock
        {"us", "", U'€', {}, {}},
        {"de", "", U'z', {}, {{kKeyY, 0}}},
        {"de", "", U'@', {}, {{kKeyQ, kAltGr}}},
        {"de", "", U'€', {}, {{kKeyE, kAltGr}}},
        {"de", "", U'é', {}, {{kKeyEqual, 0}, {kKeyE, 0}}},
        {"fr", "", U'é', {}, {{kKey2, 0}}},
        {"fr", "", U'1', {}, {{kKey1, kShift}}},
        {"fr", "", U'ê', {}, {{kKeyLeftBrace, 0}, {kKeyE, 0}}},
        {"de", "", U'ß', {true, false}, {{kKeyMinus, kCapsLock}}},  // Caps Lock off for it
        {"us", "intl", U'"', {}, {{kKeyApostrophe, kShift | kAltGr}}},
        {"us", "intl", U'ê', {}, {{kKey6, kShift}, {kKeyE, 0}}},
    };
    for (const CharacterCase& c : cases) {
        auto layout = Layout(c.layout, c.variant);
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->ForCharacter(c.character, c.locks), c.strokes)
            << c.layout << " U+" << std::hex << static_cast<unsigned>(c.character);
    }
}

TEST(XkbLayout, KeysymsArePlainKeysFirstAndReachTheKeypadUnderTheLocks) {
    struct Case {
        const char* layout;
        std::uint32_t keysym;
        KeyLocks locks;
        KeyStroke stroke;
    } const cases[] = {
        {"us", XKB_KEY_a, {true, false}, {kKeyA, 0}},  // a virtual key names the key, locks apply
        {"us", XKB_KEY_Return, {}, {kKeyEnter, 0}},
        {"us", XKB_KEY_KP_1, {}, {kKeyKp1, kNumLock}},
        {"us", XKB_KEY_KP_1, {false, true}, {kKeyKp1, 0}},
        {"de", XKB_KEY_y, {}, {kKeyZ, 0}},
        {"de", XKB_KEY_Cyrillic_a, {}, {}},
    };
    for (const Case& c : cases) {
        auto layout = Layout(c.layout);
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->ForKeysym(c.keysym, c.locks), c.stroke) << c.layout << " " << c.keysym;
    }
    // Num Lock toggled on for the digit and off again.
    auto us = Layout("us");
    KeyDecoder decoder(us->Text());
    EXPECT_EQ(Typed(decoder, *us, {us->ForKeysym(XKB_KEY_KP_1, {})}), "1");
    decoder.Key(kKeyKp1, true);
    EXPECT_EQ(decoder.text(), "1") << "Num Lock stayed on";
}

TEST(XkbLayout, KeymapTextAsACompositorSendsItTypesLikeTheNamedLayout) {
    auto named = Layout("de");
    ASSERT_TRUE(named);
    std::string text = named->Text();
    text.push_back('\0');  // the size a compositor announces includes it
    std::string problem;
    auto fromText = XkbLayout::FromText(text, &problem);
    ASSERT_TRUE(fromText) << problem;
    EXPECT_EQ(fromText->ForCharacter(U'é', {}), named->ForCharacter(U'é', {}));
    EXPECT_EQ(fromText->ForCharacter(U'@', {}), named->ForCharacter(U'@', {}));

    EXPECT_FALSE(XkbLayout::FromText("xkb_keymap { nonsense", &problem));
    EXPECT_EQ(problem.rfind("The keymap does not compile", 0), 0u) << problem;
    EXPECT_FALSE(XkbLayout::FromNames("xx-no-such", "", "", &problem));
    EXPECT_NE(problem.find("xx-no-such"), std::string::npos) << problem;
}

TEST(XkbLayout, TypesOnTheLayoutInForce) {
    std::string problem;
    auto layout = XkbLayout::FromNames("us,de", "", "", &problem);
    ASSERT_TRUE(layout) << problem;
    EXPECT_EQ(layout->ForCharacter(U'z', {}), (Strokes{{kKeyZ, 0}}));
    EXPECT_EQ(layout->ForCharacter(U'ß', {}), Strokes{});
    layout->SetActiveLayout(1);
    EXPECT_EQ(layout->ForCharacter(U'z', {}), (Strokes{{kKeyY, 0}}));
    EXPECT_EQ(layout->ForCharacter(U'ß', {}).size(), 1u);
    layout->SetActiveLayout(7);  // no such layout: the first
    EXPECT_EQ(layout->ForCharacter(U'z', {}), (Strokes{{kKeyZ, 0}}));
}

}  // namespace
}  // namespace tavrel::test
