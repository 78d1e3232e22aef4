// The uinput backend on a real kernel (run inside the test VM): it makes its
// devices, types through the keystroke sender, and a reader of the new event
// devices gets exactly the text back, decoded with the same keymap; pointer
// events come back as sent.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <deque>
#include <string>
#include <vector>

#include "actions/named_keys.h"
#include "actions/send_keys.h"
#include "key_decoder.h"
#include "platform/fake/fake_desktop.h"
#include "platform/text_encoding.h"
#include "platform/trace.h"
#include "platform/uinput/keymap_input.h"
#include "platform/uinput/uinput_devices.h"
#include "platform/windows.h"

namespace tavrel::test {
namespace {

// The events of one device as a client reads them.
class EventReader {
public:
    // Takes the device for itself, as a desktop's session has it: the VM's
    // console sees none of its keys and sets none of its lights.
    explicit EventReader(const std::string& node)
        : fd_(::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC)) {
        if (fd_ >= 0) {
            ioctl(fd_, EVIOCGRAB, 1);
        }
    }
    ~EventReader() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    bool open() const { return fd_ >= 0; }

    std::vector<input_event> Drain() {
        std::vector<input_event> events;
        input_event buffer[64];
        ssize_t got;
        while ((got = ::read(fd_, buffer, sizeof buffer)) > 0) {
            for (ssize_t i = 0; i < got / static_cast<ssize_t>(sizeof(input_event)); ++i) {
                if (buffer[i].type != EV_SYN) {
                    events.push_back(buffer[i]);
                }
                EXPECT_FALSE(buffer[i].type == EV_SYN && buffer[i].code == SYN_DROPPED)
                    << "the reader fell behind";
            }
        }
        return events;
    }

    // Sets a lock light as the desktop does on every keyboard.
    void SetLed(std::uint16_t led, bool on) {
        input_event events[2] = {};
        events[0].type = EV_LED;
        events[0].code = led;
        events[0].value = on;
        events[1].type = EV_SYN;
        ASSERT_EQ(::write(fd_, events, sizeof events), static_cast<ssize_t>(sizeof events));
    }

    std::string Name() const {
        char name[256] = {};
        return ioctl(fd_, EVIOCGNAME(sizeof name - 1), name) < 0 ? "" : name;
    }

private:
    int fd_;
};

struct Lines : Trace {
    std::vector<std::string> lines;
    void line(std::string_view event) override { lines.emplace_back(event); }
};

std::string KeymapText(const std::string& layout, const std::string& variant = "") {
    std::string problem;
    auto named = XkbLayout::FromNames(layout, variant, "", &problem);
    EXPECT_TRUE(named) << problem;
    return named ? named->Text() : "";
}

class UinputOnKernel : public ::testing::Test {
protected:
    // One keyboard and one pointer for the whole run, as the program has.
    static void SetUpTestSuite() {
        KeymapInput::OpenResult opened = KeymapInput::OpenUinput(wait_);
        ASSERT_TRUE(opened.input) << opened.problem;
        input_ = opened.input.release();
    }
    static void TearDownTestSuite() { delete input_; }

    void SetUp() override {
        ASSERT_NE(input_, nullptr);
        keyboard_ = std::make_unique<EventReader>(
            static_cast<UinputDevices&>(input_->devices()).KeyboardNode());
        pointer_ = std::make_unique<EventReader>(
            static_cast<UinputDevices&>(input_->devices()).PointerNode());
        ASSERT_TRUE(keyboard_->open() && pointer_->open());
    }

    // Sends keys through the keystroke sender; what the keyboard device
    // gives meanwhile is decoded with the keymap, and the lock lights are set
    // from it, as a desktop does.
    std::string Typed(const KeystrokeString& keys, const std::string& keymap, bool caps = false) {
        KeyDecoder decoder(keymap);
        EXPECT_TRUE(decoder.valid());
        decoder.Reset(caps);
        keyboard_->SetLed(LED_CAPSL, caps);
        keyboard_->SetLed(LED_NUML, false);
        FakeEventLog log;
        FakeDesktop desktop(log);
        auto read = [&] {
            for (const input_event& event : keyboard_->Drain()) {
                if (event.type == EV_KEY) {
                    decoder.Key(event.code, event.value != 0);
                    if (decoder.CapsLock() != caps) {
                        caps = !caps;
                        keyboard_->SetLed(LED_CAPSL, caps);
                    }
                }
            }
        };
        TSendKeys sender(*input_, desktop, read);
        input_->StartOfKeys();
        sender.SendKeyString(keys);
        read();
        return decoder.text();
    }

    static EventLoopWait wait_;
    static KeymapInput* input_;
    std::unique_ptr<EventReader> keyboard_;
    std::unique_ptr<EventReader> pointer_;
};

EventLoopWait UinputOnKernel::wait_;
KeymapInput* UinputOnKernel::input_ = nullptr;

TEST_F(UinputOnKernel, DevicesAreAKeyboardAndAPointer) {
    EXPECT_EQ(keyboard_->Name(), "Tavrel virtual keyboard");
    EXPECT_EQ(pointer_->Name(), "Tavrel virtual pointer");
}

struct TextCase {
    const char* layout;
    const char* variant;
    const char* text;  // Windows-1252
};

TEST_F(UinputOnKernel, TextComesBackExactlyOnEachLayout) {
    const TextCase cases[] = {
        {"us", "", "Hello, World! 1+2=3 @#$%^&*() [x] {y} ~`|\\ \"q\" 'a'"},
        {"de", "",
         "Gr\xFC\xDF"
         "e aus K\xF6ln: \xC4pfel, 3 \x80 @ {x} [y] \\ ~ ^ \xB0 \xB4 `\xE9` \xEA"},
        {"fr", "",
         "\xC7"
         "a co\xFBte 5 \x80 \xE0 No\xEBl: \xE9 \xE8 \xEA \xEB \xF9 @ # { } ~ ^"},
        {"us", "intl", "na\xEFve caf\xE9 se\xF1or \"quote\" 'single' ~tilde^ \xEA \xDF \xBF\xA1"},
    };
    for (const TextCase& c : cases) {
        const std::string keymap = KeymapText(c.layout, c.variant);
        ASSERT_EQ(input_->SetKeymap(keymap), "");
        KeystrokeString keys;
        AppendText(keys, c.text);
        EXPECT_EQ(Typed(keys, keymap), Cp1252ToUtf8(c.text)) << c.layout << c.variant;
    }
}

TEST_F(UinputOnKernel, CapsLockFromTheLightsIsAllowedFor) {
    const std::string keymap = KeymapText("de");
    ASSERT_EQ(input_->SetKeymap(keymap), "");
    KeystrokeString keys;
    AppendText(keys, "aB \xDF!");
    EXPECT_EQ(Typed(keys, keymap, true), "aB \xC3\x9F!");
    keyboard_->SetLed(LED_CAPSL, false);
}

TEST_F(UinputOnKernel, ACharacterTheLayoutLacksIsLeftOutAndTraced) {
    const std::string keymap = KeymapText("us");
    ASSERT_EQ(input_->SetKeymap(keymap), "");
    Lines trace;
    ScopedTrace scope(trace);
    KeystrokeString keys;
    AppendText(keys, "a\x80z");
    EXPECT_EQ(Typed(keys, keymap), "az");
    ASSERT_EQ(trace.lines.size(), 1u);
    EXPECT_EQ(trace.lines[0], "keys: the keyboard layout has no key for \"\x80\"; left out");
}

TEST_F(UinputOnKernel, ModifiersAndKeypadDigitsArriveAsKeys) {
    ASSERT_EQ(input_->SetKeymap(KeymapText("us")), "");
    // Nothing the console of the VM acts on (Ctrl+C would interrupt).
    const std::string codes = {
        static_cast<char>(keycode::PressCtrl), 'a', static_cast<char>(keycode::ReleaseCtrl),
        static_cast<char>(keycode::PressAlt),  'f', static_cast<char>(keycode::ReleaseAlt)};
    FakeEventLog log;
    FakeDesktop desktop(log);
    TSendKeys(*input_, desktop).SendKeyString(codes);
    // The runner's digits are keypad keys: Num Lock (off) is toggled around one.
    input_->keybd_event(vk::NUMPAD0 + 5, 0, 0);
    input_->keybd_event(vk::NUMPAD0 + 5, 0, KEYEVENTF_KEYUP);
    std::vector<std::pair<int, int>> got;
    for (const input_event& event : keyboard_->Drain()) {
        if (event.type == EV_KEY) {
            got.emplace_back(event.code, event.value);
        }
    }
    const std::vector<std::pair<int, int>> expected = {
        {KEY_LEFTCTRL, 1}, {KEY_A, 1},       {KEY_A, 0},       {KEY_LEFTCTRL, 0}, {KEY_LEFTALT, 1},
        {KEY_F, 1},        {KEY_F, 0},       {KEY_LEFTALT, 0}, {KEY_NUMLOCK, 1},  {KEY_NUMLOCK, 0},
        {KEY_KP5, 1},      {KEY_NUMLOCK, 1}, {KEY_NUMLOCK, 0}, {KEY_KP5, 0}};
    EXPECT_EQ(got, expected);
}

// A desktop sets the lights some time after the keys: the backend's own Num
// Lock toggles must not read as the lock's state meanwhile.
TEST_F(UinputOnKernel, KeypadDigitsStayDigitsWhileTheLightsLagBehind) {
    const std::string keymap = KeymapText("us");
    ASSERT_EQ(input_->SetKeymap(keymap), "");
    KeyDecoder decoder(keymap);
    std::deque<bool> lightsToSet;
    bool numLock = false;
    auto desktop = [&](bool setLight) {
        for (const input_event& event : keyboard_->Drain()) {
            if (event.type == EV_KEY) {
                decoder.Key(event.code, event.value != 0);
                if (decoder.NumLock() != numLock) {
                    numLock = !numLock;
                    lightsToSet.push_back(numLock);
                }
            }
        }
        if (setLight && !lightsToSet.empty()) {  // one change a key, behind the keys
            keyboard_->SetLed(LED_NUML, lightsToSet.front());
            lightsToSet.pop_front();
        }
    };
    input_->StartOfKeys();
    for (int digit = 0; digit < 10; ++digit) {
        input_->keybd_event(vk::NUMPAD0 + digit, 0, 0);
        desktop(true);
        input_->keybd_event(vk::NUMPAD0 + digit, 0, KEYEVENTF_KEYUP);
        desktop(false);
    }
    EXPECT_EQ(decoder.text(), "0123456789");
    while (!lightsToSet.empty()) {
        desktop(true);
    }
}

TEST_F(UinputOnKernel, PointerMovesAndButtonsComeBackAsSent) {
    input_->mouse_event(MOUSEEVENTF_MOVE, 7, -3);
    input_->mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0);
    input_->mouse_event(MOUSEEVENTF_LEFTUP, 0, 0);
    input_->mouse_event(MOUSEEVENTF_RIGHTDOWN | MOUSEEVENTF_RIGHTUP, 0, 0);
    std::vector<std::tuple<int, int, int>> got;
    for (const input_event& event : pointer_->Drain()) {
        got.emplace_back(event.type, event.code, event.value);
    }
    const std::vector<std::tuple<int, int, int>> expected = {
        {EV_REL, REL_X, 7},    {EV_REL, REL_Y, -3},    {EV_KEY, BTN_LEFT, 1},
        {EV_KEY, BTN_LEFT, 0}, {EV_KEY, BTN_RIGHT, 1}, {EV_KEY, BTN_RIGHT, 0}};
    EXPECT_EQ(got, expected);
}

}  // namespace
}  // namespace tavrel::test
