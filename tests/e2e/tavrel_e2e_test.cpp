// The real tavrel program on a real X desktop (Xvfb, openbox, trayer), its
// COM2 on the simulated receiver: start-up with "Load minimized", the files
// Save/Run writes, a press typed into a real window and logged, the tray
// icon, and editing mode brought back by a double click on it.
#include <gtest/gtest.h>
// clang-format off
#include <X11/XKBlib.h>
#include <X11/keysym.h>
// clang-format on
#include <sys/wait.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "irsim_process.h"
#include "program_process.h"
#include "x11_backend_fixture.h"

namespace tavrel::testing {
namespace {

using test::WaitUntil;
using test::WindowRecords;

constexpr char kTargetTitle[] = "Tavrel e2e target";

// Counts the bells rung on the display: the program beeps on every
// recognised press, which tells a test that a press was handled even when
// nothing else is to happen.
class BellWatcher {
public:
    BellWatcher() : display_(XOpenDisplay(nullptr)) {
        int opcode = 0;
        int error = 0;
        int major = XkbMajorVersion;
        int minor = XkbMinorVersion;
        if (display_ != nullptr &&
            XkbQueryExtension(display_, &opcode, &xkbEvent_, &error, &major, &minor)) {
            XkbSelectEvents(display_, XkbUseCoreKbd, XkbBellNotifyMask, XkbBellNotifyMask);
            XSync(display_, False);
            usable_ = true;
        }
    }
    ~BellWatcher() {
        if (display_ != nullptr) {
            XCloseDisplay(display_);
        }
    }
    bool usable() const { return usable_; }
    int bells() {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == xkbEvent_ &&
                reinterpret_cast<XkbAnyEvent*>(&event)->xkb_type == XkbBellNotify) {
                ++bells_;
            }
        }
        return bells_;
    }

private:
    Display* display_;
    int xkbEvent_ = 0;
    bool usable_ = false;
    int bells_ = 0;
};

class TavrelEndToEnd : public test::X11BackendTest {
protected:
    void SetUp() override {
        test::X11BackendTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        irsim = std::make_unique<IrsimProcess>(IrsimOptions{.linkPath = dir.file("ttyIR")});
        ASSERT_TRUE(irsim->started());
        window = std::make_unique<test::TestWindow>(kTargetTitle);

        dir.put("tavrel.ini", settingsBefore());
        // Written by hand: keys missing or out of order, lower-case hex.
        dir.put("vorkumel.ini",
                "[Config]\r\nPuerto=2\r\nTolerance=5\r\nNumComandos=3\r\n"
                "[Comandos]\r\n1=TV\r\n2=Type\r\n3=Volume up\r\n"
                "[1]\r\nLevel=0\r\n"
                "[2]\r\nLevel=1\r\nCodigo=0a1f3c0a1f3c\r\nTargetWindow=e2e target\r\n"
                "0=\xA1SendKeys\xA1NNNNok\r\n"
                "[3]\r\nLevel=1\r\n");
        program = std::make_unique<ProgramProcess>(dir.path());
        // The developer trace, to show what the program did when a test fails.
        ASSERT_TRUE(program->start({}, {"TAVREL_TRACE=1"}));
    }

    void TearDown() override {
        if (program) {
            EXPECT_EQ(program->terminate(), 0) << program->output();
        }
        program.reset();
        if (irsim) {
            irsim->closeInput();
            irsim->waitExit();
        }
    }

    std::string settingsBefore() const {
        return "[Files]\r\nLogFile=" + dir.file("tavrel.log") +
               "\r\n\r\n[Config]\r\narranque=" + (loadMinimized ? "1" : "0") +
               "\r\n\r\n[Ports]\r\nCOM2=" + dir.file("ttyIR") + "\r\n";
    }

    // 'I' and 'R' as the receiver saw them, in the order they came.
    std::vector<IrsimEvent> startUpBytes() const {
        std::vector<IrsimEvent> bytes;
        for (const IrsimEvent& event : irsim->events("rx")) {
            bytes.push_back(event);
        }
        return bytes;
    }

    bool waitForStartUp() {
        return irsim->waitUntil([&] { return startUpBytes().size() >= 2; }, 20000);
    }

    // The one visible window whose title matches the pattern title; empty
    // when there is none within ten seconds.
    static std::string waitForWindow(const std::string& title) {
        std::vector<std::string> shown;
        WaitUntil(
            [&] {
                shown = FindWindows("--onlyvisible --name '" + title + "'");
                return shown.size() == 1;
            },
            std::chrono::seconds(10));
        return shown.size() == 1 ? shown[0] : std::string();
    }

    // The tray icon: the program's only visible window in running mode.
    std::string waitForTrayIcon() {
        std::vector<std::string> icons;
        WaitUntil(
            [&] {
                icons = FindWindows("--onlyvisible --class tavrel");
                return icons.size() == 1;
            },
            std::chrono::seconds(10));
        return icons.size() == 1 ? icons[0] : std::string();
    }

    // A button press as a person makes it: not within the 150 ms that would
    // join it to the bytes before (the receiver's "OK" at start-up, or the
    // previous press).
    void pressAfterSilence() { irsim->send("wait 300\npress 0A1F3C\n"); }

    bool loadMinimized = true;
    TempDir dir;
    std::unique_ptr<IrsimProcess> irsim;
    std::unique_ptr<test::TestWindow> window;
    std::unique_ptr<ProgramProcess> program;
};

TEST_F(TavrelEndToEnd, StartsMinimizedWritesTheFilesAndTypesAPressIntoAWindow) {
    ASSERT_TRUE(waitForStartUp()) << program->output();
    const auto bytes = startUpBytes();
    ASSERT_EQ(bytes.size(), 2u);
    EXPECT_EQ(bytes[0].bytes, std::vector<std::uint8_t>{'I'});
    EXPECT_EQ(bytes[1].bytes, std::vector<std::uint8_t>{'R'});
    const double gap = bytes[1].milliseconds - bytes[0].milliseconds;
    EXPECT_GE(gap, 90.0);
    EXPECT_LT(gap, 1000.0);

    // Save/Run ran before the first start-up byte went out: the settings
    // keys updated where they stand and the rest kept, the commands file
    // written whole in its documented order.
    EXPECT_EQ(dir.get("tavrel.ini"),
              "[Files]\r\nLogFile=" + dir.file("tavrel.log") + "\r\nSettings=" +
                  dir.file("vorkumel.ini") + "\r\nLanguage=\r\n\r\n[Config]\r\narranque=1\r\n" +
                  "Sonido=1\r\nAdvancedKeyPress=1\r\nShowCommands=0\r\n\r\n[Ports]\r\nCOM2=" +
                  dir.file("ttyIR") + "\r\n");
    EXPECT_EQ(dir.get("vorkumel.ini"),
              "[Config]\r\nPuerto=2\r\nVelocidad=8\r\nParidad=0\r\nDataBits=3\r\nStopBits=0\r\n"
              "SkipFirst=1\r\nTolerance=5\r\nValueSize=1\r\nNumComandos=3\r\n\r\n"
              "[Comandos]\r\n1=TV\r\n2=Type\r\n3=Volume up\r\n\r\n"
              "[1]\r\nLevel=0\r\n\r\n"
              "[2]\r\nLoop=1\r\nLoopActual=0\r\nDeVez=0\r\nMultiKey=0\r\nLevel=1\r\n"
              "TargetWindow=e2e target\r\nActivado=1\r\nTypematic=1\r\nRetraso=0\r\n"
              "Codigo=0A1F3C0A1F3C\r\n0=\xA1SendKeys\xA1NNNNok\r\n\r\n"
              "[3]\r\nLoop=1\r\nLoopActual=0\r\nDeVez=0\r\nMultiKey=0\r\nLevel=1\r\n"
              "TargetWindow=\r\nActivado=1\r\nTypematic=1\r\nRetraso=0\r\nCodigo=\r\n0=\r\n");

    ASSERT_FALSE(waitForTrayIcon().empty()) << program->output();
    Activate(*window);
    window->ClearRecords();

    pressAfterSilence();
    EXPECT_TRUE(window->WaitFor([](const WindowRecords& r) {
        return r.pressedKeysyms().size() >= 2;
    })) << program->output();
    EXPECT_EQ(window->records().pressedKeysyms(), (std::vector<unsigned long>{XK_o, XK_k}));
    EXPECT_TRUE(WaitUntil([&] { return dir.get("tavrel.log") == "TV,Type\r\n"; }))
        << dir.get("tavrel.log");
    // The press's last byte settled it: the keys did not wait for silence.
    EXPECT_NE(program->output().find("recognised before the line fell silent"), std::string::npos)
        << program->output();
}

TEST_F(TavrelEndToEnd, DoubleClickOnTheTrayIconBringsEditingWhereAPressOnlySelects) {
    BellWatcher bells;
    ASSERT_TRUE(bells.usable());
    ASSERT_TRUE(waitForStartUp()) << program->output();
    const std::string icon = waitForTrayIcon();
    ASSERT_FALSE(icon.empty()) << program->output();

    // Running mode first: a press types and is logged.
    Activate(*window);
    pressAfterSilence();
    ASSERT_TRUE(WaitUntil([&] { return dir.get("tavrel.log") == "TV,Type\r\n"; }));
    ASSERT_TRUE(
        window->WaitFor([](const WindowRecords& r) { return r.pressedKeysyms().size() >= 2; }));
    ASSERT_TRUE(WaitUntil([&] { return bells.bells() == 1; }));

    RunCommand("xdotool mousemove --window " + icon + " 8 8 click --repeat 2 --delay 80 1");
    const std::string shown = waitForWindow("Tavrel 3\\.0");
    ASSERT_FALSE(shown.empty()) << program->output();
    EXPECT_EQ(RunCommand("xdotool getwindowname " + shown), "Tavrel 3.0 (Activated - COM2)\n");
    EXPECT_TRUE(WaitUntil([&] { return FindWindows("--onlyvisible --class tavrel").size() == 1; }))
        << "the tray icon stays after the window came back";

    // Editing: the next press is recognised (it beeps) but neither types nor logs.
    window->ClearRecords();
    pressAfterSilence();
    ASSERT_TRUE(WaitUntil([&] { return bells.bells() == 2; })) << program->output();
    EXPECT_TRUE(window->records().keys.empty());
    EXPECT_EQ(dir.get("tavrel.log"), "TV,Type\r\n");
}

TEST_F(TavrelEndToEnd, AReceiverThatGoesAwayIsOpenedAgainWhenItReturns) {
    ASSERT_TRUE(waitForStartUp()) << program->output();
    ASSERT_FALSE(waitForTrayIcon().empty()) << program->output();

    // Unplugged: the line hangs up. Plugged in again at the same place: the
    // port opens by itself, the receiver gets its start-up bytes again, and
    // presses work as before.
    irsim->closeInput();
    ASSERT_EQ(irsim->waitExit(), 0);
    irsim = std::make_unique<IrsimProcess>(IrsimOptions{.linkPath = dir.file("ttyIR")});
    ASSERT_TRUE(irsim->started());
    ASSERT_TRUE(waitForStartUp()) << program->output();
    Activate(*window);
    pressAfterSilence();
    EXPECT_TRUE(WaitUntil([&] { return dir.get("tavrel.log") == "TV,Type\r\n"; }))
        << program->output();
}

// Started in editing mode: the window is shown and a press only selects.
class TavrelEditingEndToEnd : public TavrelEndToEnd {
protected:
    TavrelEditingEndToEnd() { loadMinimized = false; }

    // Started, its window shown, and a press that selects "Type" heard:
    // the window's id, or empty after a failure.
    std::string showWindowAndSelectType(BellWatcher& bells) {
        const std::string shown = waitForStartUp() ? waitForWindow("Tavrel 3\\.0") : "";
        if (shown.empty()) {
            return {};
        }
        pressAfterSilence();
        return WaitUntil([&] { return bells.bells() == 1; }) ? shown : std::string();
    }
};

TEST_F(TavrelEditingEndToEnd, ActionsBuiltInTheEditorAreSavedAndRunByPresses) {
    BellWatcher bells;
    ASSERT_TRUE(bells.usable());
    // A press selects "Type" and shows its action.
    const std::string mainWindow = showWindowAndSelectType(bells);
    ASSERT_FALSE(mainWindow.empty()) << program->output();

    // At the keyboard: run program, then tap key with "hi" typed over "ok";
    // Tab on to "+", a second action, tap key with the first named key.
    RunCommand("xdotool windowactivate --sync " + mainWindow);
    // One key a call, a little apart, as typed: several keys in one xdotool
    // call did not arrive as typed.
    for (const char* key : {"alt+u", "alt+t", "Tab", "h", "i", "Tab", "Tab", "Tab", "Tab", "space",
                            "alt+t", "Tab", "Down", "alt+r"}) {
        RunCommand(std::string("xdotool key ") + key);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(WaitUntil([] {
        return FindWindows("--onlyvisible --name 'Tavrel 3\\.0'").empty();
    })) << "Save/Run leaves editing mode";
    const std::string file = dir.get("vorkumel.ini");
    const std::size_t type = file.find("[2]");
    ASSERT_NE(type, std::string::npos) << file;
    EXPECT_EQ(file.substr(type, file.find("\r\n\r\n", type) - type),
              "[2]\r\nLoop=2\r\nLoopActual=1\r\nDeVez=0\r\nMultiKey=0\r\nLevel=1\r\n"
              "TargetWindow=e2e target\r\nActivado=1\r\nTypematic=1\r\nRetraso=0\r\n"
              "Codigo=0A1F3C0A1F3C\r\n0=\xA1SendKeys\xA1NNNNhi\r\n1=\xA1SendKeys\xA1NNNE0");

    // Running, once the reload has opened the port again: the shown second
    // action runs first, then the list starts over.
    ASSERT_TRUE(irsim->waitUntil([&] { return startUpBytes().size() >= 4; }, 20000));
    window->ClearRecords();
    for (std::size_t keys : {1, 3}) {
        pressAfterSilence();
        EXPECT_TRUE(window->WaitFor([keys](const WindowRecords& r) {
            return r.pressedKeysyms().size() >= keys;
        })) << program->output();
    }
    EXPECT_EQ(window->records().pressedKeysyms(),
              (std::vector<unsigned long>{XK_Return, XK_h, XK_i}));
}

// A name typed over a command's label, not yet ended with Enter, is the name:
// a press the receiver sends meanwhile (here one no command answers to, which
// clears the selection) keeps it, and Save/Run writes it.
TEST_F(TavrelEditingEndToEnd, ARenameInProgressSurvivesAPressAndIsSaved) {
    BellWatcher bells;
    ASSERT_TRUE(bells.usable());
    // A press selects "Type".
    const std::string mainWindow = showWindowAndSelectType(bells);
    ASSERT_FALSE(mainWindow.empty()) << program->output();

    // The tree focused by a click on its empty part, F2, a new name typed.
    RunCommand("xdotool windowactivate --sync " + mainWindow + " mousemove --window " + mainWindow +
               " 100 300 click 1 sleep 0.3 key F2 sleep 0.3 type Renamed");
    irsim->send("wait 300\npress 556677\n");
    ASSERT_TRUE(irsim->waitForEvents("burst", 2, 10000));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    RunCommand("xdotool key alt+r");
    ASSERT_TRUE(WaitUntil([] {
        return FindWindows("--onlyvisible --name 'Tavrel 3\\.0'").empty();
    })) << "Save/Run leaves editing mode";
    const std::string file = dir.get("vorkumel.ini");
    EXPECT_NE(file.find("[Comandos]\r\n1=TV\r\n2=Renamed\r\n"), std::string::npos) << file;
}

TEST_F(TavrelEndToEnd, AReceiverThatGoesAwayIsShownClosedAndOpenedAgainWhenItReturns) {
    ASSERT_TRUE(waitForStartUp()) << program->output();
    const std::string icon = waitForTrayIcon();
    ASSERT_FALSE(icon.empty()) << program->output();
    // Editing mode, where the caption can be seen.
    RunCommand("xdotool mousemove --window " + icon + " 8 8 click --repeat 2 --delay 80 1");
    const auto titled = [](const std::string& title) {
        return FindWindows("--onlyvisible --name '^" + title + "$'").size() == 1;
    };
    ASSERT_TRUE(WaitUntil([&] { return titled("Tavrel 3\\.0 \\(Activated - COM2\\)"); }))
        << program->output();

    // Unplugged: the line hangs up and the caption says the port is closed.
    // Plugged in again at the same place: the port opens by itself and the
    // receiver gets its start-up bytes again.
    irsim->closeInput();
    ASSERT_EQ(irsim->waitExit(), 0);
    EXPECT_TRUE(WaitUntil([&] { return titled("Tavrel 3\\.0 \\(Inactive\\)"); }))
        << program->output();
    irsim = std::make_unique<IrsimProcess>(IrsimOptions{.linkPath = dir.file("ttyIR")});
    ASSERT_TRUE(irsim->started());
    ASSERT_TRUE(waitForStartUp()) << program->output();
    EXPECT_TRUE(WaitUntil([&] { return titled("Tavrel 3\\.0 \\(Activated - COM2\\)"); }));
}

// Codes learned through the learning dialog, in editing mode.
class LearningEndToEnd : public TavrelEditingEndToEnd {
protected:
    static void keys(const std::string& window, const std::string& keys) {
        RunCommand("xdotool windowactivate --sync " + window + " key --delay 80 " + keys);
    }

    // Learns the selected command from three presses and confirms; the
    // height of the message box that answered, -1 when something never came.
    int learnSelected(const std::string& mainWindow, const std::string& code) {
        keys(mainWindow, "Menu l");  // the tree's menu, "Learn now..."
        const std::string dialog = waitForWindow("Learning from the serial port COM2");
        if (dialog.empty()) {
            return -1;
        }
        const std::size_t bursts = irsim->events("burst").size();
        for (int i = 0; i < 3; ++i) {
            irsim->send("wait 300\npress " + code + "\n");
        }
        if (!irsim->waitForEvents("burst", bursts + 3, 10000)) {
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the last burst ends
        keys(dialog, "Return");
        const std::string box = waitForWindow("Learning process info");
        if (box.empty()) {
            return -1;
        }
        const std::string geometry = RunCommand("xdotool getwindowgeometry " + box);
        const std::size_t by = geometry.find('x', geometry.find("Geometry:"));
        keys(box, "Return");
        WaitUntil([&] { return FindWindows("--onlyvisible --name 'Learning from'").empty(); });
        return by == std::string::npos ? -1 : std::stoi(geometry.substr(by + 1));
    }
};

// The remote and command are inserted from the tree's menu and get a code
// and a tap key through the window; a second code learned with a button that
// an earlier command answers to is answered with a warning.
TEST_F(LearningEndToEnd, ACommandBuiltInTheWindowLearnsItsCodeAndTypesAfterSaveRun) {
    ASSERT_TRUE(waitForStartUp()) << program->output();
    const std::string mainWindow = waitForWindow("Tavrel 3\\.0");
    ASSERT_FALSE(mainWindow.empty()) << program->output();

    // A right click on the tree's empty part, "Insert remote", then on the
    // new remote "Insert command".
    RunCommand("xdotool windowactivate --sync " + mainWindow + " mousemove --window " + mainWindow +
               " 100 300 click 3 sleep 0.5 key m");
    keys(mainWindow, "End Menu c");
    keys(mainWindow, "End");  // New remote, New command
    const int plain = learnSelected(mainWindow, "405060");
    ASSERT_GT(plain, 0) << program->output();
    // Tap key: "ok" typed into the key box.
    for (const char* key : {"alt+t", "Tab", "o", "k", "Tab"}) {
        keys(mainWindow, key);
    }

    // Back to the tree (a click on its empty part), to TV, Volume up: it
    // learns the button of Type, above it.
    RunCommand("xdotool mousemove --window " + mainWindow + " 100 300 click 1");
    keys(mainWindow, "Home Down Down");
    const int warned = learnSelected(mainWindow, "0A1F3C");
    ASSERT_GT(warned, 0) << program->output();
    EXPECT_GE(warned, plain + 20) << "the second answer carries the shadowing warning";

    keys(mainWindow, "alt+r");  // Save/Run
    ASSERT_TRUE(
        WaitUntil([] { return FindWindows("--onlyvisible --name 'Tavrel 3\\.0'").empty(); }));
    const std::string file = dir.get("vorkumel.ini");
    EXPECT_NE(file.find("4=New remote\r\n5=New command\r\n"), std::string::npos) << file;
    const std::size_t added = file.find("[5]");
    ASSERT_NE(added, std::string::npos) << file;
    EXPECT_EQ(file.substr(added),
              "[5]\r\nLoop=1\r\nLoopActual=0\r\nDeVez=0\r\nMultiKey=0\r\n"
              "Level=1\r\nTargetWindow=\r\nActivado=1\r\nTypematic=1\r\n"
              "Retraso=0\r\nCodigo=405060405060\r\n0=\xA1SendKeys\xA1NNNNok\r\n");
    EXPECT_NE(file.find("Codigo=0A1F3C0A1F3C", file.find("[3]")), std::string::npos) << file;

    ASSERT_TRUE(irsim->waitUntil([&] { return startUpBytes().size() >= 4; }, 20000));
    Activate(*window);
    window->ClearRecords();
    irsim->send("wait 300\npress 405060\n");
    EXPECT_TRUE(window->WaitFor([](const WindowRecords& r) {
        return r.pressedKeysyms().size() >= 2;
    })) << program->output();
    EXPECT_EQ(window->records().pressedKeysyms(), (std::vector<unsigned long>{XK_o, XK_k}));
    EXPECT_TRUE(WaitUntil([&] { return dir.get("tavrel.log") == "New remote,New command\r\n"; }))
        << dir.get("tavrel.log");
}

}  // namespace
}  // namespace tavrel::testing
