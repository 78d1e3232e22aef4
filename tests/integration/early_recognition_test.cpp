// A batch recognised while it is still being received does exactly what the
// whole batch would have done once the line fell silent: the same command,
// keys, beeps and selection, and the same state for the presses after it.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "pipeline.h"
#include "pty_pair.h"
#include "receivers/serial/ComDrv32.h"

namespace tavrel::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string Values(const TSecuencia& s) {
    std::string text;
    for (std::int32_t i = 0; i < s.NumValores; ++i) {
        text += std::to_string(s.Valores[static_cast<std::size_t>(i)]) + " ";
    }
    return text;
}

// Everything a batch leaves that can be seen or that steers the next one.
std::string Observed(const Pipeline& p) {
    std::string text;
    for (const std::string& event : p.platform.log.events()) {
        text += event + "; ";
    }
    const CodeCapture& c = p.capture;
    return text + "| selected " + std::to_string(p.table.selected()) + " current " +
           (p.table.current() != nullptr ? p.table.current()->Nombre : "none") + " | previous " +
           Values(c.SecuenciaAnterior) + "| now " + Values(c.SecuenciaActual) + "| held " +
           std::to_string(c.LotesRepetidos) + (c.EsperandoSecuencia ? " waiting" : " pressed") +
           " step " + std::to_string(c.MouseStep);
}

TEST(EarlyRecognition, DoesWhatTheWholeBatchWouldHaveDone) {
    std::mt19937 random(2026);
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    // Few byte values, so codes share beginnings and presses often match.
    const auto bytes = [&](int count) {
        Bytes b(static_cast<std::size_t>(count));
        for (auto& x : b) {
            x = static_cast<std::uint8_t>(pick(0, 2));
        }
        return b;
    };
    int early = 0;
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        Pipeline whole;
        Pipeline growing;
        const int valueSize = pick(1, 2);
        const int skipFirst = pick(-1, 2);
        const int tolerance = pick(0, 1);
        std::vector<std::vector<std::int32_t>> codes(static_cast<std::size_t>(pick(1, 5)));
        std::vector<bool> typematic;
        for (auto& code : codes) {
            code.resize(static_cast<std::size_t>(pick(1, 5)));
            for (auto& v : code) {
                v = valueSize == 1 ? pick(0, 2) : pick(0, 2) * 256 + pick(0, 2);
            }
            typematic.push_back(pick(0, 1) == 1);
        }
        for (Pipeline* p : {&whole, &growing}) {
            p->settings.ValueSize = valueSize;
            p->settings.SkipFirst = skipFirst;
            p->settings.Tolerance = tolerance;
            for (std::size_t k = 0; k < codes.size(); ++k) {
                const std::string name(1, static_cast<char>('A' + k));
                p->addCommand(name, codes[k], {"\xA1SendKeys\xA1NNNN" + name}).Typematic =
                    typematic[k];
            }
        }
        for (int batch = 0; batch < 12; ++batch) {
            const Bytes b = bytes(pick(1, 8));
            whole.receive(b);
            const std::size_t before = growing.platform.log.events().size();
            for (int cut = 1; cut < static_cast<int>(b.size()); cut += pick(1, 3)) {
                growing.capture.CommPortBatchSoFar(b.data(), cut);
            }
            growing.capture.CommPortBatchSoFar(b.data(), static_cast<std::int32_t>(b.size()));
            early += growing.platform.log.events().size() > before ? 1 : 0;
            growing.receive(b);
            ASSERT_EQ(Observed(growing), Observed(whole)) << "batch " << batch;
            // Within a hold, or long enough to end the burst.
            const int gap = pick(0, 2) == 0 ? 200 : 110;
            whole.clock.advance(gap);
            growing.clock.advance(gap);
        }
    }
    // Many presses settle early, so the comparison above is about them.
    EXPECT_GT(early, 300);
}

// A program late by far more than a burst's silence (a loaded machine) reads
// the next press's bytes before its silence timer has run, joined to the
// press it recognised early: the values after that press's code begin
// another command's code, and are a press of their own.
TEST(EarlyRecognition, APressReadJoinedToTheOneBeforeIsAPressOfItsOwn) {
    const PtyPair pty;
    ASSERT_TRUE(pty.ok());
    Pipeline p;
    p.settings.ValueSize = 1;
    p.settings.SkipFirst = 0;
    p.settings.Tolerance = 0;
    p.addCommand("A", {0x0A, 0x1F, 0x3C, 0x0A, 0x1F, 0x3C}, {"\xA1SendKeys\xA1NNNNa"});
    p.addCommand("B", {0x0B, 0x2F, 0x4C, 0x0B, 0x2F, 0x4C}, {"\xA1SendKeys\xA1NNNNb"});
    TCommPortDriver& serial = p.road.serial();
    DevicePathTable paths = DefaultDevicePaths();
    paths[pnCOM2] = pty.slavePath();
    serial.SetDevicePaths(paths);
    serial.SetComPort(pnCOM2);
    serial.SetComPortSpeed(br19200);
    ASSERT_TRUE(serial.OpenPort()) << serial.LastError();
    p.capture.PortActivated();
    const auto arrive = [&](const std::string& bytes) {
        ASSERT_TRUE(pty.sendFromDevice(bytes));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        p.clock.advance(0);  // read, not yet silent
    };
    arrive("\x0A\x1F\x3C\x0A\x1F\x3C");
    ASSERT_EQ(p.platform.log.events().size(), 3U) << "A was not recognised early";
    arrive("\x0B\x2F\x4C\x0B\x2F\x4C");
    p.clock.advance(200);
    std::vector<std::string> keysDown;
    for (const std::string& event : p.platform.log.events()) {
        if (event.ends_with(", 0)")) {
            keysDown.push_back(event);
        }
    }
    EXPECT_EQ(keysDown,
              (std::vector<std::string>{"keybd_event(65, 30, 0)", "keybd_event(66, 48, 0)"}));
}

}  // namespace
}  // namespace tavrel::testing
