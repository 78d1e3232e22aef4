// Action lists, the four kinds of action string, named keys and hexadecimal text.
#include "actions/action_string.h"

#include <gtest/gtest.h>

#include "actions/named_keys.h"
#include "commands/hex_value.h"

namespace tavrel {
namespace {

TEST(ActionList, ReadsTheFirstEntryWhoseIndexMatchesExactly) {
    const ActionList list = {"10=ten", "1=one=with equals", "noequals", "1=second one", "=x"};
    EXPECT_EQ(ReadAction(list, 1), "one=with equals");
    EXPECT_EQ(ReadAction(list, 10), "ten");
    EXPECT_EQ(ReadAction(list, 0), "");
    EXPECT_EQ(ReadAction(list, 2), "");
    EXPECT_EQ(ReadAction(ActionList{"3="}, 3), "");
}

TEST(ActionList, WriteReplacesInPlaceOrAppends) {
    ActionList list = {"2=b", "0=a"};
    WriteAction(list, 0, "A");
    WriteAction(list, 1, "x=y");
    EXPECT_EQ(list, (ActionList{"2=b", "0=A", "1=x=y"}));
    EXPECT_EQ(ReadAction(list, 1), "x=y");
}

TEST(ActionKinds, TheMarkerSearchOrderDecidesNotThePosition) {
    const std::string both =
        MakeTapKeyAction(false, false, false, true, "x") + "\xA1PostMessage\xA1";
    EXPECT_EQ(ClassifyAction(both), ActionKind::PostMessage);
    EXPECT_EQ(ClassifyAction("junk" + MakeMouseAction('L', 'N', 'N') +
                             "\xA1"
                             "ExecuteProgram\xA1"),
              ActionKind::Mouse);
    EXPECT_EQ(ClassifyAction(MakeRunProgramAction("prog") + "\xA1SendKeys\xA1"),
              ActionKind::RunProgram);
    EXPECT_EQ(ClassifyAction("\xA1SendKeys\xA1NNNN"), ActionKind::TapKey);
    EXPECT_EQ(ClassifyAction(""), ActionKind::None);
    EXPECT_EQ(ClassifyAction("!SendKeys!NNNNa"), ActionKind::None);
    EXPECT_EQ(ClassifyAction("\xA1sendkeys\xA1NNNNa"), ActionKind::None);
}

TEST(ActionKinds, TapKeyFlagsCompareOnlyTheirOwnLetter) {
    TapKeyFields f = ReadTapKey(
        "\xA1SendKeys\xA1"
        "ACSN12");
    EXPECT_TRUE(f.alt && f.ctrl && f.shift && f.literal);
    EXPECT_EQ(f.keyText, "12");
    f = ReadTapKey(
        "\xA1SendKeys\xA1"
        "aXsE12");
    EXPECT_FALSE(f.alt || f.ctrl || f.shift || f.literal);
    EXPECT_EQ(ReadTapKey("\xA1SendKeys\xA1NNNN").keyText, "");
    f = ReadTapKey(
        "\xA1SendKeys\xA1"
        "A");  // cut short: nothing read past the end
    EXPECT_TRUE(f.alt);
    EXPECT_FALSE(f.ctrl || f.literal);
    EXPECT_EQ(f.keyText, "");
    EXPECT_EQ(MakeTapKeyAction(true, false, true, false, "15"),
              "\xA1SendKeys\xA1"
              "ANSE15");
}

TEST(ActionKinds, MouseLettersAroundTheWordCursor) {
    const auto f = ReadMouse("\xA1RatonClick\xA1RCursorDL");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->click, 'R');
    EXPECT_EQ(f->vertical, 'D');
    EXPECT_EQ(f->horizontal, 'L');
    EXPECT_EQ(MakeMouseAction('N', 'U', 'R'), "\xA1RatonClick\xA1NCursorUR");
    EXPECT_FALSE(ReadMouse("\xA1RatonClick\xA1LCursrNN"));
    EXPECT_FALSE(ReadMouse("Cursor\xA1RatonClick\xA1"));
}

TEST(ActionKinds, RunProgramCommandLineFromPositionSeventeen) {
    EXPECT_EQ(ReadRunProgram("\xA1"
                             "ExecuteProgram\xA1/usr/bin/xterm -e top"),
              "/usr/bin/xterm -e top");
    EXPECT_EQ(ReadRunProgram("\xA1"
                             "ExecuteProgram\xA1"),
              "");
    EXPECT_EQ(ReadRunProgram("\xA1"
                             "Exec"),
              "");
}

TEST(ActionKinds, PostMessageFieldsSplitAtTheFirstSeparators) {
    PostMessageFields f = ReadPostMessage("\xA1PostMessage\xA1wParam5lParam7");
    EXPECT_EQ(f.message, "");
    EXPECT_EQ(f.wParam, "5");
    EXPECT_EQ(f.lParam, "7");
    f = ReadPostMessage(MakePostMessageAction("WM_CLOSE", "", "1A"));
    EXPECT_EQ(f.message, "WM_CLOSE");
    EXPECT_EQ(f.wParam, "");
    EXPECT_EQ(f.lParam, "1A");
    f = ReadPostMessage(
        "\xA1PostMessage\xA1"
        "10");  // no separators at all
    EXPECT_EQ(f.message, "10");
    EXPECT_EQ(f.wParam, "");
    EXPECT_EQ(f.lParam, "");
    f = ReadPostMessage(
        "\xA1PostMessage\xA1"
        "10lParam3wParam4");  // out of order
    EXPECT_EQ(f.message, "10");
    EXPECT_EQ(f.wParam, "4");
    EXPECT_EQ(f.lParam, "");
    f = ReadPostMessage("wParam1\xA1PostMessage\xA1");  // separator before the payload
    EXPECT_EQ(f.message, "");
    EXPECT_EQ(f.wParam, "1\xA1PostMessage\xA1");
}

TEST(NamedKeys, TableIsTheEditorListInOrder) {
    EXPECT_EQ(kNamedKeyLabels[12], "Right");
    EXPECT_EQ(kNamedKeyVirtualKeys[12], 39);  // a list position, not F12
    EXPECT_EQ(kNamedKeyCodes[12], keycode::Right);
    EXPECT_EQ(kNamedKeyLabels[26], "F12");
    EXPECT_EQ(kNamedKeyCodes[26], 239);
    EXPECT_EQ(kNamedKeyVirtualKeys[26], 123);
    const std::uint8_t codes[] = {13, 32, 248, 249, 240, 241, 246, 247,
                                  9,  27, 8,   244, 245, 242, 243};
    const std::uint16_t keys[] = {13, 32, 45, 46, 36, 35, 33, 34, 9, 27, 8, 37, 39, 38, 40};
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(kNamedKeyCodes[i], codes[i]) << i;
        EXPECT_EQ(kNamedKeyVirtualKeys[i], keys[i]) << i;
    }
    for (int f = 0; f < 12; ++f) {
        EXPECT_EQ(kNamedKeyCodes[15 + f], 228 + f);
        EXPECT_EQ(kNamedKeyVirtualKeys[15 + f], 112 + f);
    }
}

TEST(NamedKeys, IndexMustBeADecimalNumberInTheTable) {
    EXPECT_EQ(NamedKeyIndex("0"), 0);
    EXPECT_EQ(NamedKeyIndex("26"), 26);
    EXPECT_EQ(NamedKeyIndex("07"), 7);
    for (const char* bad : {"", "27", "-1", "+1", " 1", "1a", "99999999999999999999"}) {
        EXPECT_FALSE(NamedKeyIndex(bad)) << bad;
    }
}

TEST(HexToValue, DigitsFromTheEndWithStrayCharactersAsZero) {
    EXPECT_EQ(HexToValue(""), 0u);
    EXPECT_EQ(HexToValue("00"), 0u);
    EXPECT_EQ(HexToValue("1A"), 26u);
    EXPECT_EQ(HexToValue("111"), 273u);
    EXPECT_EQ(HexToValue("8000"), 32768u);
    EXPECT_EQ(HexToValue("ffffffff"), 0xFFFFFFFFu);
    EXPECT_EQ(HexToValue("aBcD"), 0xABCDu);
    EXPECT_EQ(HexToValue("1G"), 16u);
    EXPECT_EQ(HexToValue("G1"), 1u);
    EXPECT_EQ(HexToValue("123456789"), 0x23456789u);
    EXPECT_EQ(HexToValue("FFFFFFFFF1"), 0xFFFFFFF1u);
}

}  // namespace
}  // namespace tavrel
