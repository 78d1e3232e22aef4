// Code capture on a virtual clock: value assembly, bursts of any shape, held
// buttons, learning samples and the receiver's start-up bytes.
#include "capture/code_capture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "capture/recognizer.h"
#include "platform/fake/fake_platform.h"
#include "platform/fake/virtual_clock.h"
#include "test_doubles.h"

namespace tavrel {
namespace {

using testing::ValuesOf;
using Bytes = std::vector<std::uint8_t>;

struct Recognition {
    std::vector<std::int32_t> values;
    std::int32_t mouseStep;
    std::int64_t at;
};

class CodeCaptureTest : public ::testing::Test, public ReceiverLines {
protected:
    CodeCaptureTest() {
        const int remote = table.appendRemote("TV");
        command = &table.record(table.appendCommand(remote, "Up", 2));
        capture.reconocer = [this](const TSecuencia& s) {
            recognitions.push_back({ValuesOf(s), capture.MouseStep, clock.now()});
            table.setCurrent(command);
        };
        capture.lines = this;
        capture.showReceivedValue = [this](std::int32_t v) { progress.push_back(v); };
    }

    // The receiver's lines, recorded.
    std::int32_t SendBytes(const void* data, std::int32_t size) override {
        for (std::int32_t i = 0; i < size; ++i) {
            sent.push_back(std::string(1, static_cast<const char*>(data)[i]) + "@" +
                           std::to_string(clock.now()));
        }
        return size;
    }
    void SetDTR(bool on) override { lines.push_back(on ? "DTR on" : "DTR off"); }
    void SetRTS(bool on) override { lines.push_back(on ? "RTS on" : "RTS off"); }

    void Batch(const Bytes& bytes) {
        capture.CommPortReceiveData(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    }
    // One press: its bytes in batches 50 ms apart, then silence.
    void Press(const std::vector<Bytes>& batches) {
        for (const Bytes& b : batches) {
            Batch(b);
            clock.advance(50);
        }
        clock.advance(200);
    }

    VirtualClock clock;
    CommandTable table;
    SequenceSettings settings;
    CodeCapture capture{clock, table, settings};
    TComando* command = nullptr;
    std::vector<Recognition> recognitions;
    std::vector<std::string> sent;
    std::vector<std::string> lines;
    std::vector<std::int32_t> progress;
};

TEST_F(CodeCaptureTest, ValuesAreAssembledMostSignificantByteFirst) {
    capture.PortActivated();
    settings.ValueSize = 2;
    Batch({0x01, 0x02, 0x03, 0x04});
    EXPECT_EQ(ValuesOf(capture.SecuenciaActual), (std::vector<std::int32_t>{258, 772}));
    EXPECT_EQ(capture.PosEscritura, 3);
    clock.advance(150);
    settings.ValueSize = 4;
    Batch({0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0x00, 0x00, 0x00});
    EXPECT_EQ(ValuesOf(capture.SecuenciaActual), (std::vector<std::int32_t>{-1, INT32_MIN}));
}

TEST_F(CodeCaptureTest, APartialValueIsCarriedWithinTheBurstAndDroppedAtItsEnd) {
    capture.PortActivated();
    settings.ValueSize = 4;
    Batch({0x01, 0x02, 0x03});
    EXPECT_EQ(capture.SecuenciaActual.NumValores, 0);
    Batch({0x04, 0x05, 0x06, 0x07, 0x08, 0x09});
    EXPECT_EQ(ValuesOf(capture.SecuenciaActual),
              (std::vector<std::int32_t>{0x01020304, 0x05060708}));
    clock.advance(150);  // the end of the burst drops the lone 0x09
    Batch({0x11, 0x12, 0x13, 0x14});
    EXPECT_EQ(ValuesOf(capture.SecuenciaActual), std::vector<std::int32_t>{0x11121314});
}

// The same rule as the commands file's: out of range is one byte per value.
TEST_F(CodeCaptureTest, AValueSizeOutOfRangeIsTakenAsOne) {
    capture.PortActivated();
    settings.ValueSize = 0;
    Batch({0x01, 0x02});
    EXPECT_EQ(capture.SecuenciaActual.NumValores, 2);
    clock.advance(150);
    settings.ValueSize = 9;
    Batch({0x00, 0x00, 0x01, 0x00});
    EXPECT_EQ(ValuesOf(capture.SecuenciaActual), (std::vector<std::int32_t>{0, 0, 1, 0}));
}

TEST_F(CodeCaptureTest, RecognitionStartsOnceTheShortestCodeLengthIsReached) {
    settings.ShortestCodeLength = 6;
    capture.PortActivated();
    Batch({1, 2, 3, 4});
    EXPECT_TRUE(recognitions.empty());
    clock.advance(50);
    Batch({5, 6, 7, 8});
    ASSERT_EQ(recognitions.size(), 1U);
    EXPECT_EQ(recognitions[0].values, (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(recognitions[0].mouseStep, 1);
    EXPECT_EQ(ValuesOf(capture.SecuenciaAnterior), recognitions[0].values);
    EXPECT_FALSE(capture.EsperandoSecuencia);
    EXPECT_EQ(capture.SecuenciaActual.NumValores, 0);
    EXPECT_EQ(capture.PosEscritura, 1);
    EXPECT_TRUE(capture.temporizador().enabled());
}

TEST_F(CodeCaptureTest, BatchesOfAnySizeAndTimingGiveOneRecognitionPerPress) {
    settings.ShortestCodeLength = 12;
    capture.PortActivated();
    Bytes press;
    for (std::uint8_t b = 1; b <= 24; ++b) {
        press.push_back(b);
    }
    const std::vector<std::vector<std::size_t>> splits = {
        {24}, {1, 23}, {11, 1, 12}, {5, 7, 11, 1}, {12, 12}, {3, 3, 3, 3, 3, 3, 3, 3}};
    const std::vector<std::int64_t> gaps = {0, 1, 60, 149};
    for (const auto& split : splits) {
        for (std::int64_t gap : gaps) {
            recognitions.clear();
            std::size_t at = 0;
            std::size_t reachedAt = 0;
            for (std::size_t size : split) {
                Batch(Bytes(press.begin() + static_cast<std::ptrdiff_t>(at),
                            press.begin() + static_cast<std::ptrdiff_t>(at + size)));
                at += size;
                if (reachedAt == 0 && at >= 12) {
                    reachedAt = at;
                }
                clock.advance(gap);
            }
            clock.advance(150);
            ASSERT_EQ(recognitions.size(), 1U) << split.size() << " batches, gap " << gap;
            EXPECT_EQ(recognitions[0].values.size(), reachedAt);
            EXPECT_TRUE(capture.EsperandoSecuencia);
            EXPECT_EQ(capture.LotesRepetidos, 0);
        }
    }
}

TEST_F(CodeCaptureTest, AHeldTypematicButtonRepeatsFromTheFifthBatchWithAGrowingStep) {
    settings.ShortestCodeLength = 4;
    capture.PortActivated();
    for (int i = 0; i < 8; ++i) {
        Batch({1, 2, 3, 4});
        clock.advance(110);
    }
    ASSERT_EQ(recognitions.size(), 4U);
    EXPECT_EQ(recognitions[0].at, 0);
    EXPECT_EQ(recognitions[1].at, 5 * 110);
    std::vector<std::int32_t> steps;
    for (const auto& r : recognitions) {
        steps.push_back(r.mouseStep);
        EXPECT_EQ(r.values, (std::vector<std::int32_t>{1, 2, 3, 4}));
    }
    EXPECT_EQ(steps, (std::vector<std::int32_t>{1, 2, 3, 4}));
    EXPECT_EQ(capture.LotesRepetidos, 7);
    EXPECT_EQ(capture.SecuenciaActual.NumValores, 0);

    clock.advance(150);  // released
    Batch({1, 2, 3, 4});
    EXPECT_EQ(recognitions.size(), 5U);
    EXPECT_EQ(recognitions.back().mouseStep, 1);
}

TEST_F(CodeCaptureTest, AHeldButtonWithoutTypematicOrCurrentCommandOnlyCounts) {
    settings.ShortestCodeLength = 4;
    capture.PortActivated();
    command->Typematic = false;
    for (int i = 0; i < 8; ++i) {
        Batch({1, 2, 3, 4});
        clock.advance(110);
    }
    EXPECT_EQ(recognitions.size(), 1U);
    clock.advance(150);
    capture.reconocer = [this](const TSecuencia& s) {
        recognitions.push_back({ValuesOf(s), capture.MouseStep, clock.now()});
    };
    table.setCurrent(nullptr);
    command->Typematic = true;
    for (int i = 0; i < 8; ++i) {
        Batch({1, 2, 3, 4});
        clock.advance(110);
    }
    EXPECT_EQ(recognitions.size(), 2U);
    EXPECT_EQ(capture.LotesRepetidos, 7);
}

TEST_F(CodeCaptureTest, ADifferentButtonWithinTheWindowCountsAsTheHold) {
    settings.ShortestCodeLength = 4;
    capture.PortActivated();
    Batch({1, 2, 3, 4});
    clock.advance(140);
    Batch({9, 9, 9, 9});
    EXPECT_EQ(recognitions.size(), 1U);
    EXPECT_EQ(capture.LotesRepetidos, 1);
    clock.advance(150);
    EXPECT_EQ(capture.LotesRepetidos, 0);
    Batch({9, 9, 9, 9});
    ASSERT_EQ(recognitions.size(), 2U);
    EXPECT_EQ(recognitions[1].values, (std::vector<std::int32_t>{9, 9, 9, 9}));
}

TEST_F(CodeCaptureTest, BeforeTheFirstActivationBatchesAreDroppedUntilTheBurstEnds) {
    settings.ShortestCodeLength = 4;
    Batch({1, 2, 3, 4});
    EXPECT_TRUE(recognitions.empty());
    EXPECT_EQ(capture.LotesRepetidos, 1);
    clock.advance(150);
    Batch({1, 2, 3, 4});
    EXPECT_EQ(recognitions.size(), 1U);
}

TEST_F(CodeCaptureTest, LearningStoresFiveSamplesAndShowsTheLastNonZeroValue) {
    settings.ShortestCodeLength = 2;
    capture.PortActivated();
    capture.Aprendiendo = true;
    for (std::uint8_t press = 1; press <= 6; ++press) {
        Press({{press, 2, 3}, {4, 5}});
    }
    EXPECT_TRUE(recognitions.empty());
    EXPECT_EQ(capture.NumMuestras, 5);
    for (std::uint8_t k = 0; k < 5; ++k) {
        EXPECT_EQ(ValuesOf(capture.Muestras[k]), (std::vector<std::int32_t>{k + 1, 2, 3, 4, 5}));
    }
    EXPECT_EQ(progress, std::vector<std::int32_t>(6, 5));

    progress.clear();
    settings.ValueSize = 2;
    Press({{0x01, 0x2C, 0x00, 0x00}});  // 300, 0
    Press({{0x02, 0x00}});              // 512
    Press({{0x00, 0x07, 0x02, 0x00}});  // 7, 512
    EXPECT_EQ(progress, (std::vector<std::int32_t>{44, 7}));
}

TEST_F(CodeCaptureTest, NothingIsStoredPastTheEndOfASequence) {
    capture.PortActivated();
    capture.Aprendiendo = true;
    Bytes longBurst(kMaxValores + 200);
    for (std::size_t i = 0; i < longBurst.size(); ++i) {
        longBurst[i] = static_cast<std::uint8_t>(i % 200);
    }
    Batch(longBurst);
    Batch(longBurst);
    EXPECT_EQ(capture.SecuenciaActual.NumValores, kMaxValores);
    EXPECT_EQ(capture.PosEscritura, kMaxValores + 1);
    EXPECT_EQ(capture.SecuenciaActual.Valores[kMaxValores - 1], (kMaxValores - 1) % 200);
    clock.advance(150);
    EXPECT_EQ(capture.Muestras[0].NumValores, kMaxValores);
    EXPECT_EQ(capture.SecuenciaActual.NumValores, 0);
}

TEST_F(CodeCaptureTest, EachActivationRaisesTheLinesAndSendsIThenR) {
    clock.advance(100);  // Timer's first tick finds no activation
    EXPECT_TRUE(sent.empty());
    EXPECT_FALSE(capture.timer().enabled());

    clock.advance(50);
    capture.PortActivated();
    EXPECT_EQ(lines, (std::vector<std::string>{"DTR on", "RTS on"}));
    EXPECT_EQ(capture.EstadoInicio, "poweron");
    EXPECT_TRUE(capture.EsperandoSecuencia);
    clock.advance(1000);
    EXPECT_EQ(sent, (std::vector<std::string>{"I@250", "R@350"}));
    EXPECT_EQ(capture.EstadoInicio, "Imandada");

    capture.PortActivated();
    clock.advance(1000);
    EXPECT_EQ(sent, (std::vector<std::string>{"I@250", "R@350", "I@1250", "R@1350"}));
}

TEST_F(CodeCaptureTest, AnActivationWhileTimerRunsStillWaitsAFullPeriod) {
    clock.advance(60);
    capture.PortActivated();
    clock.advance(1000);
    EXPECT_EQ(sent, (std::vector<std::string>{"I@160", "R@260"}));
}

TEST_F(CodeCaptureTest, AFailingRecognitionStillEndsTheBatch) {
    settings.ShortestCodeLength = 2;
    capture.PortActivated();
    capture.reconocer = [](const TSecuencia&) { throw std::runtime_error("runner failed"); };
    EXPECT_THROW(Batch({1, 2}), std::runtime_error);
    EXPECT_TRUE(capture.temporizador().enabled());
    EXPECT_FALSE(capture.EsperandoSecuencia);
    EXPECT_EQ(ValuesOf(capture.SecuenciaAnterior), (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(capture.PosEscritura, 1);
}

TEST_F(CodeCaptureTest, AnUnwritableLogStopsTheCommandButNotCapture) {
    FakeSound sound;
    testing::RecordingRunner runner;
    ProgramState mode;
    testing::RecordingRecognitionHost host;
    Recognizer recognizer(table, settings, mode, sound, runner, host);
    mode.setEditMode(false);
    mode.setLogPath(
        (std::filesystem::temp_directory_path() / "tavrel-no-such-dir" / "l.txt").string());
    capture.reconocer = [&](const TSecuencia& s) { recognizer.Reconocer(s); };
    command->Codigo = testing::Seq({1, 2, 3});
    settings.ShortestCodeLength = 3;
    capture.PortActivated();

    Batch({1, 2, 3});
    EXPECT_EQ(host.errors.size(), 1U);
    EXPECT_TRUE(runner.ran.empty());
    EXPECT_EQ(table.current(), command);
    EXPECT_FALSE(capture.EsperandoSecuencia);
    EXPECT_EQ(capture.SecuenciaActual.NumValores, 0);
    EXPECT_TRUE(capture.temporizador().enabled());
    clock.advance(150);
    EXPECT_TRUE(capture.EsperandoSecuencia);

    mode.setLogPath("");
    Batch({1, 2, 3});
    EXPECT_EQ(runner.ran, std::vector<std::string>{"Up"});
}

TEST_F(CodeCaptureTest, ResetEmptiesTheSequenceAndEndsLearning) {
    capture.PortActivated();
    settings.ValueSize = 2;
    capture.Aprendiendo = true;
    Batch({1, 2, 3});
    capture.Reset();
    EXPECT_FALSE(capture.Aprendiendo);
    EXPECT_EQ(capture.PosEscritura, 1);
    EXPECT_EQ(capture.SecuenciaActual.NumValores, 0);
    Batch({4, 5});  // the lone 3 went with the reset
    EXPECT_EQ(ValuesOf(capture.SecuenciaActual), std::vector<std::int32_t>{0x0405});
}

}  // namespace
}  // namespace tavrel
