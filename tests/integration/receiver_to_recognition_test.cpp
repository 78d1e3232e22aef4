// The whole receiving road on real parts: the simulated receiver (or a test
// playing the device) on a pseudo-terminal, the termios driver reading it,
// capture and recognition.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "irsim_process.h"
#include "pipeline.h"
#include "pty_pair.h"
#include "receivers/serial/ComDrv32.h"

namespace tavrel::testing {
namespace {

class ReceiverToRecognition : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(irsim.started());
        watcher = open(dir.file("ttyIR").c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(watcher, 0);
        DevicePathTable paths = DefaultDevicePaths();
        paths[pnCOM2] = dir.file("ttyIR");
        driver.SetDevicePaths(paths);
        driver.SetComPort(pnCOM2);
        driver.SetComPortSpeed(br19200);
        driver.SetEnableDTROnOpen(false);
        driver.SetOnReceiveData([this](Receiver&, const std::uint8_t* data, std::int32_t size) {
            received += static_cast<std::size_t>(size);
            p.capture.CommPortReceiveData(data, size);
        });
        p.mode.setLogPath(dir.file("tavrel.log"));
    }
    void TearDown() override {
        if (watcher >= 0) {
            close(watcher);
        }
    }

    // Opens the port as the main window does and lets the receiver answer its
    // start-up bytes; the answer is an ordinary short batch that ends as a burst.
    void activate() {
        ASSERT_TRUE(driver.OpenPort()) << driver.LastError();
        p.capture.PortActivated();
        p.clock.advance(100);
        ASSERT_TRUE(irsim.waitForEvents("rx", 1));
        p.clock.advance(100);
        ASSERT_TRUE(irsim.waitForEvents("rx", 2));
        receiveUntil(2);  // "OK", perhaps read already in the advance that sent 'R'
        p.clock.advance(150);
    }

    // Lets the clock run in 50 ms steps until the driver has handed over that
    // many more bytes. The bytes come from another process, so this waits for
    // them in real time; the driver reads them at the first instant the clock
    // sees its line readable, which may be within the very advance that sent
    // the byte they answer.
    void deliver(std::size_t bytes) { receiveUntil(received + bytes); }

    void receiveUntil(std::size_t wanted) {
        for (int attempt = 0; attempt < 100 && received < wanted; ++attempt) {
            WaitForQueuedInput(watcher, 1, 50);  // a short wait; the bytes may be taken already
            p.clock.advance(50);
        }
        ASSERT_EQ(received, wanted);
    }

    TempDir dir;
    IrsimProcess irsim{{.linkPath = dir.file("ttyIR")}};
    int watcher = -1;
    std::size_t received = 0;
    Pipeline p;
    TCommPortDriver& driver = p.road.serial();
};

TEST_F(ReceiverToRecognition, ActivationSendsTheStartUpBytesAndAPressIsRecognisedAndLogged) {
    p.addCommand("Power", {0x0A, 0x1F, 0x3C, 0x0A, 0x1F, 0x3C}, {"\xA1SendKeys\xA1NNNE9"});  // Esc
    activate();
    const auto rx = irsim.events("rx");
    EXPECT_EQ(rx[0].bytes, std::vector<std::uint8_t>{'I'});
    EXPECT_EQ(rx[1].bytes, std::vector<std::uint8_t>{'R'});

    irsim.send("press 0A1F3C\n");
    deliver(6);
    EXPECT_EQ(p.platform.log.events(), (std::vector<std::string>{"Beep()", "keybd_event(27, 1, 0)",
                                                                 "keybd_event(27, 1, 2)"}));
    std::ifstream log(dir.file("tavrel.log"), std::ios::binary);
    std::stringstream text;
    text << log.rdbuf();
    EXPECT_EQ(text.str(), "TV,Power\r\n");
}

TEST_F(ReceiverToRecognition, AnUnknownButtonIsCollectedAndDroppedAtTheEndOfItsBurst) {
    p.addCommand("Power", {0x0A, 0x1F, 0x3C, 0x0A, 0x1F, 0x3C}, {"\xA1SendKeys\xA1NNNE9"});
    activate();
    irsim.send("press 555555\n");
    deliver(6);
    p.clock.advance(150);
    EXPECT_TRUE(p.platform.log.events().empty());
    EXPECT_EQ(p.capture.SecuenciaActual.NumValores, 0);
    EXPECT_TRUE(p.capture.EsperandoSecuencia);
}

// The pipeline fed by the driver from a pseudo-terminal, wired as the program
// wires them.
struct PipelineOnALine {
    PipelineOnALine() {
        p.addCommand("Up", {0x0A, 0x1F, 0x3C, 0x0A, 0x1F, 0x3C}, {"\xA1SendKeys\xA1NNNE9"});
        DevicePathTable paths = DefaultDevicePaths();
        paths[pnCOM2] = pty.slavePath();
        driver.SetDevicePaths(paths);
        driver.SetOnReceiveData([this](Receiver&, const std::uint8_t* data, std::int32_t size) {
            ++batches;
            p.capture.CommPortReceiveData(data, size);
        });
        driver.SetOnBatchSoFar([this](Receiver&, const std::uint8_t* data, std::int32_t size) {
            p.capture.CommPortBatchSoFar(data, size);
        });
    }

    // The press's bytes a millisecond apart.
    void press() {
        for (char byte : std::string("\x0A\x1F\x3C\x0A\x1F\x3C")) {
            ASSERT_TRUE(pty.sendFromDevice(std::string(1, byte)));
            ASSERT_TRUE(WaitForQueuedInput(pty.watcher(), 1));
            p.clock.advance(1);
        }
    }

    long beeps() const {
        const auto events = p.platform.log.events();
        return std::count(events.begin(), events.end(), "Beep()");
    }

    Pipeline p;
    PtyPair pty;
    TCommPortDriver& driver = p.road.serial();
    int batches = 0;
};

// A held button repeats once per burst however the burst's bytes trickle in:
// ten bursts 110 ms apart, each a byte a millisecond, are one recognition,
// four dropped bursts and five repeats. The press is recognised as soon as
// its last byte is read, before the line falls silent.
TEST(HeldButtonOnALine, BurstsTricklingInRepeatOncePerBurst) {
    PipelineOnALine line;
    ASSERT_TRUE(line.pty.ok());
    ASSERT_TRUE(line.driver.OpenPort()) << line.driver.LastError();
    for (int b = 0; b < 10; ++b) {
        if (b == 0) {
            EXPECT_TRUE(line.p.platform.log.events().empty());
        }
        line.press();
        if (b == 0) {
            EXPECT_EQ(line.batches, 0);
            EXPECT_EQ(line.p.platform.log.events().size(), 3U);  // the beep and the key
        }
        line.p.clock.advance(110 - 6);
    }
    line.p.clock.advance(200);
    EXPECT_EQ(line.beeps(), 6);
    EXPECT_EQ(line.p.capture.MouseStep, 6);
}

// Line settings applied anew drop the batch being received, one already
// recognised included; the next press is a press of its own all the same.
TEST(PressOnALine, ABatchDroppedAfterItsRecognitionLeavesTheNextPressItsOwn) {
    PipelineOnALine line;
    ASSERT_TRUE(line.pty.ok());
    ASSERT_TRUE(line.driver.OpenPort()) << line.driver.LastError();
    line.press();
    EXPECT_EQ(line.beeps(), 1);
    line.driver.ApplySettings();
    line.p.clock.advance(200);
    EXPECT_EQ(line.batches, 0);
    line.press();
    line.p.clock.advance(200);
    EXPECT_EQ(line.beeps(), 2);
    EXPECT_EQ(line.p.capture.MouseStep, 1);  // a press, not a repeat
}

}  // namespace
}  // namespace tavrel::testing
