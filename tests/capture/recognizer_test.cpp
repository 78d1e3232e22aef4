// Recognition: search order, selection, beep, editing mode, the log file and
// the hand-over to the runner.
#include "capture/recognizer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "platform/fake/fake_platform.h"
#include "platform/posix/posix_file_system.h"
#include "temp_dir.h"
#include "test_doubles.h"

namespace tavrel {
namespace {

using testing::Seq;

class RecognizerTest : public ::testing::Test {
protected:
    RecognizerTest() {
        tv = table.appendRemote("TV");
        play = table.appendCommand(tv, "Play", 2);
        stop = table.appendCommand(tv, "Stop", 3);
        radio = table.appendRemote("Radio");
        twin = table.appendCommand(radio, "Twin of Play", 5);
        table.record(play).Codigo = Seq({1, 10, 20, 30});
        table.record(stop).Codigo = Seq({1, 50, 60, 70});
        table.record(twin).Codigo = Seq({1, 10, 20, 30});
        mode.setEditMode(false);
    }

    static std::string ReadFile(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    CommandTable table;
    SequenceSettings settings;
    FakeSound sound;
    testing::RecordingRunner runner;
    ProgramState mode;
    testing::RecordingRecognitionHost host;
    PosixFileSystem files;
    Recognizer recognizer{table, settings, mode, sound, files, runner, host};
    std::vector<std::string>& errors = host.errors;
    std::vector<std::string>& shown = host.shown;
    testing::TempDir scratch;
    std::filesystem::path dir{scratch.path()};
    int tv = 0, play = 0, stop = 0, radio = 0, twin = 0;
};

TEST_F(RecognizerTest, TheFirstMatchInTreeOrderIsSelectedBeepedAndRun) {
    recognizer.Reconocer(Seq({9, 12, 18, 31}));
    EXPECT_EQ(table.current(), &table.record(play));
    EXPECT_EQ(table.selected(), play);
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_EQ(runner.ran, std::vector<std::string>{"Play"});
    EXPECT_TRUE(shown.empty());
}

// An early recognition hands its command on to the Reconocer that follows;
// what Settled found is used only for that very sequence on the table it
// walked, never for another sequence or after the table changed.
TEST_F(RecognizerTest, WhatSettledFoundServesOnlyTheSameSequenceOnTheSameTable) {
    ASSERT_TRUE(recognizer.Settled(Seq({1, 50, 60, 70})));
    recognizer.Reconocer(Seq({1, 10, 20, 30}));
    EXPECT_EQ(table.current(), &table.record(play));

    // Play goes: Stop moves up, and a remote takes its old place.
    ASSERT_TRUE(recognizer.Settled(Seq({1, 50, 60, 70})));
    const TComando* stopRecord = &table.record(stop);
    table.remove(play);
    recognizer.Reconocer(Seq({1, 50, 60, 70}));
    EXPECT_EQ(table.current(), stopRecord);
    EXPECT_EQ(runner.ran, (std::vector<std::string>{"Play", "Stop"}));
}

TEST_F(RecognizerTest, ADisabledCommandStillWinsAndIsHandedToTheRunner) {
    // The runner, not recognition, decides that a disabled command runs nothing.
    table.record(play).Activado = false;
    recognizer.Reconocer(Seq({1, 10, 20, 30}));
    EXPECT_EQ(table.current(), &table.record(play));
    EXPECT_EQ(runner.ran, std::vector<std::string>{"Play"});
}

TEST_F(RecognizerTest, RemotesAndCommandsWithoutCodeNeverMatch) {
    table.record(tv).Codigo = Seq({1, 50, 60, 70});
    table.record(stop).Codigo.NumValores = 0;
    table.record(twin).Codigo.NumValores = 0;
    table.select(stop);
    TComando* before = &table.record(stop);
    table.setCurrent(before);
    recognizer.Reconocer(Seq({1, 50, 60, 70}));
    EXPECT_EQ(table.selected(), kNoNode);
    EXPECT_EQ(table.current(), before);  // a failed search leaves it as it was
    EXPECT_EQ(sound.beeps, 0);
    EXPECT_TRUE(runner.ran.empty());
}

TEST_F(RecognizerTest, InEditModeTheCommandIsOnlyShownUnlessLearning) {
    mode.setEditMode(true);
    mode.setLogPath((dir / "log.txt").string());
    recognizer.Reconocer(Seq({1, 50, 60, 70}));
    EXPECT_EQ(table.selected(), stop);
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_EQ(shown, std::vector<std::string>{"Stop"});
    EXPECT_TRUE(runner.ran.empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "log.txt"));

    host.learning = true;
    mode.setSonido(false);
    recognizer.Reconocer(Seq({1, 50, 60, 70}));
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_EQ(runner.ran, std::vector<std::string>{"Stop"});
    EXPECT_EQ(ReadFile(dir / "log.txt"), "TV,Stop\r\n");
}

TEST_F(RecognizerTest, TheLogFileIsCreatedAndAppendedWithCrLf) {
    table.setLabel(radio,
                   "R\xE1"
                   "dio");  // Windows-1252 bytes go to the file unchanged
    table.record(play).Codigo.NumValores = 0;
    // Also a Windows-1252 path, which names the file in UTF-8 on disk.
    mode.setLogPath((dir / "regist\xE9.log").string());
    recognizer.Reconocer(Seq({1, 10, 20, 30}));
    recognizer.Reconocer(Seq({1, 50, 60, 70}));
    EXPECT_EQ(ReadFile(dir / "regist\xC3\xA9.log"),
              "R\xE1"
              "dio,Twin of Play\r\nTV,Stop\r\n");
    EXPECT_EQ(runner.ran, (std::vector<std::string>{"Twin of Play", "Stop"}));
    EXPECT_TRUE(errors.empty());
}

// A log that cannot be written never stops a press: why is said once, and
// again only after a line went in. A link is not followed.
TEST_F(RecognizerTest, ALogThatCannotBeWrittenIsSaidOnceAndTheCommandsRun) {
    std::filesystem::create_symlink(dir / "real.log", dir / "link.log");
    const struct {
        std::filesystem::path log;
        std::string reason;
    } cases[] = {
        {dir / "missing" / "log.txt", "No such file or directory"},
        {dir, "Not a regular file"},
        {"/dev/null", "Not a regular file"},
        {dir / "link.log", "A symbolic link, which is not followed"},
    };
    for (const auto& c : cases) {
        errors.clear();
        runner.ran.clear();
        mode.setLogPath(c.log.string());
        recognizer.Reconocer(Seq({1, 10, 20, 30}));
        recognizer.Reconocer(Seq({1, 50, 60, 70}));
        EXPECT_EQ(runner.ran, (std::vector<std::string>{"Play", "Stop"})) << c.log;
        EXPECT_EQ(errors, std::vector<std::string>{c.reason}) << c.log;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "real.log"));

    mode.setLogPath((dir / "log.txt").string());
    recognizer.Reconocer(Seq({1, 10, 20, 30}));
    mode.setLogPath(dir.string());
    recognizer.Reconocer(Seq({1, 10, 20, 30}));
    EXPECT_EQ(errors.size(), 2U);
    EXPECT_EQ(ReadFile(dir / "log.txt"), "TV,Play\r\n");
}

// A FIFO that nobody reads never holds up a press: the line is not written,
// that is said once, and the commands run. One with a reader gets the line.
TEST_F(RecognizerTest, ALogFifoWithoutAReaderNeverHoldsUpAPress) {
    const std::string fifo = (dir / "log.fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    mode.setLogPath(fifo);
    std::atomic<bool> done{false};
    std::thread presses([&] {
        recognizer.Reconocer(Seq({1, 10, 20, 30}));
        recognizer.Reconocer(Seq({1, 50, 60, 70}));
        done = true;
    });
    for (int i = 0; i < 500 && !done; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const bool heldUp = !done;
    // A reader lets an open that waits for one go on, so the thread ends.
    while (!done) {
        const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ::close(reader);
    }
    presses.join();
    EXPECT_FALSE(heldUp);
    EXPECT_EQ(runner.ran, (std::vector<std::string>{"Play", "Stop"}));
    EXPECT_EQ(errors.size(), 1U);

    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    recognizer.Reconocer(Seq({1, 10, 20, 30}));
    char line[64] = {};
    EXPECT_EQ(::read(reader, line, sizeof line), 9);
    EXPECT_STREQ(line, "TV,Play\r\n");
    ::close(reader);
}

}  // namespace
}  // namespace tavrel
