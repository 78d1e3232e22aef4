// The keystroke sender on the recording fake with a US layout.
#include "actions/send_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "key_events.h"
#include "platform/fake/fake_platform.h"

namespace tavrel {
namespace {

using test::Down;
using test::Up;
using Events = std::vector<std::string>;

class SendKeysTest : public ::testing::Test {
protected:
    Events send(std::string keys) {
        fake.log.clear();
        sender.SendKeyString(keys);
        return fake.log.events();
    }

    FakePlatform fake;
    TSendKeys sender{fake.input, fake.desktop};
};

TEST_F(SendKeysTest, LayoutDecidesTheKeyAndItsShift) {
    EXPECT_EQ(send(""), Events{});
    EXPECT_EQ(send("a"), (Events{Down(65, test::kScanA), Up(65, test::kScanA)}));
    EXPECT_EQ(send("A"), (Events{Down(16), Down(65, test::kScanA), Up(65, test::kScanA), Up(16)}));
    EXPECT_EQ(send("?"), (Events{Down(16), Down(0xBF, 0x35), Up(0xBF, 0x35), Up(16)}));
    EXPECT_EQ(send("\r"), (Events{Down(13, test::kScanEnter), Up(13, test::kScanEnter)}));
}

TEST_F(SendKeysTest, ExplicitModifiersSuppressTheLayoutShift) {
    const Events ctrlA = {Down(17, test::kScanCtrl), Down(65, test::kScanA), Up(65, test::kScanA),
                          Up(17, test::kScanCtrl)};
    EXPECT_EQ(send("\xFC"
                   "a\xFD"),
              ctrlA);
    EXPECT_EQ(send("\xFC"
                   "A\xFD"),
              ctrlA);
}

TEST_F(SendKeysTest, OneHeldFlagServesAllModifiers) {
    // Releasing Ctrl turns the layout's Shift back on although Alt is still down.
    EXPECT_EQ(send("\xFE\xFC\xFD"
                   "A\xFF"),
              (Events{Down(18, test::kScanAlt), Down(17, test::kScanCtrl), Up(17, test::kScanCtrl),
                      Down(16), Down(65, test::kScanA), Up(65, test::kScanA), Up(16),
                      Up(18, test::kScanAlt)}));
}

TEST_F(SendKeysTest, AltCtrlShiftF1InExactOrder) {
    EXPECT_EQ(send("\xFE\xFC\xFA\xE4\xFF\xFD\xFB"),
              (Events{Down(18, test::kScanAlt), Down(17, test::kScanCtrl),
                      Down(16, test::kScanShift), Down(112, test::kScanF1), Up(112, test::kScanF1),
                      Up(18, test::kScanAlt), Up(17, test::kScanCtrl), Up(16, test::kScanShift)}));
}

TEST_F(SendKeysTest, BytesFrom228UpAreKeyCodesInACodeString) {
    EXPECT_EQ(send("\xE9"), (Events{Down(117, 0x40), Up(117, 0x40)}));  // F6
    EXPECT_EQ(send("\xF0"), (Events{Down(36, 0x47), Up(36, 0x47)}));    // Home
    EXPECT_EQ(send("\xF9"), (Events{Down(46, 0x53), Up(46, 0x53)}));    // Del
    // A press left open is released when the string ends.
    EXPECT_EQ(send("x\xFA"
                   "b"),
              (Events{Down(88, 0x2D), Up(88, 0x2D), Down(16, test::kScanShift), Down(66, 0x30),
                      Up(66, 0x30), Up(16, test::kScanShift)}));
    EXPECT_EQ(send("\xFA\xFE"), (Events{Down(16, test::kScanShift), Down(18, test::kScanAlt),
                                        Up(18, test::kScanAlt), Up(16, test::kScanShift)}));
}

TEST_F(SendKeysTest, CharactersWithoutAKeyAreTypedOrSkipped) {
    EXPECT_EQ(send("\xE0"), Events{"TypeCharacter(224)"});
    fake.input.untypeable.insert(0xE0);
    EXPECT_EQ(send("\xE0"
                   "a"),
              (Events{Down(65, test::kScanA), Up(65, test::kScanA)}));
}

TEST_F(SendKeysTest, MessagePumpRunsAfterEveryByte) {
    std::vector<std::size_t> eventsAtPump;
    sender.setMessagePump([&] { eventsAtPump.push_back(fake.log.events().size()); });
    send(
        "\xFC"
        "a\xFD");
    EXPECT_EQ(eventsAtPump, (std::vector<std::size_t>{1, 3, 4}));
}

TEST_F(SendKeysTest, AStringSentFromThePumpKeepsItsOwnHeldFlag) {
    bool nested = false;
    sender.setMessagePump([&] {
        if (!nested) {
            nested = true;
            sender.SendKeyString("A");
        }
    });
    EXPECT_EQ(send("\xFC\xFD"), (Events{Down(17, test::kScanCtrl), Down(16), Down(65, test::kScanA),
                                        Up(65, test::kScanA), Up(16), Up(17, test::kScanCtrl)}));
}

TEST_F(SendKeysTest, FindWindowByTitleComparesUpTo255Characters) {
    const WindowHandle editor = fake.desktop.addWindow("Editor");
    const WindowHandle longTitle = fake.desktop.addWindow(std::string(255, 'x'));
    fake.desktop.addWindow(std::string(300, 'y'));
    EXPECT_EQ(sender.FindWindowByTitle("Editor"), editor);
    EXPECT_EQ(sender.FindWindowByTitle("Edit"), kNoWindow);
    EXPECT_EQ(sender.FindWindowByTitle(std::string(400, 'x')), longTitle);
    EXPECT_EQ(sender.FindWindowByTitle(std::string(300, 'y')), kNoWindow);
    EXPECT_EQ(sender.FindWindowByTitle(std::string("Editor\0junk", 11)), editor);
}

}  // namespace
}  // namespace tavrel
