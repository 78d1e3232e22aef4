// The simulated receiver run as a child process over a real pseudo-terminal:
// handshake, burst sizes, repeat timing, reopening, cleanup, and its script.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "irsim_process.h"
#include "script.h"

namespace tavrel::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The line as the program would open it.
class LineClient {
public:
    explicit LineClient(const std::string& path)
        : fd_(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {}
    ~LineClient() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    int fd() const { return fd_; }
    void write(const std::string& bytes) const {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

private:
    int fd_;
};

Bytes ToBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

TEST(Irsim, AnswersIThenRWithOkAndNothingElse) {
    TempDir dir;
    IrsimProcess irsim({.linkPath = dir.file("ttyIR")});
    ASSERT_TRUE(irsim.started());
    LineClient line(dir.file("ttyIR"));
    ASSERT_GE(line.fd(), 0);

    line.write("I");
    ASSERT_TRUE(irsim.waitForEvents("rx", 1));
    line.write("R");  // in a later read than the 'I'
    EXPECT_EQ(ReadBytes(line.fd(), 2), ToBytes("OK"));

    line.write("IXR");
    line.write("RI");
    ASSERT_TRUE(irsim.waitUntil([&] {
        std::size_t received = 0;
        for (const IrsimEvent& event : irsim.events("rx")) {
            received += event.bytes.size();
        }
        return received == 7;
    }));
    EXPECT_EQ(irsim.events("reply").size(), 1U);

    line.write("IR");  // both in one read
    EXPECT_EQ(ReadBytes(line.fd(), 2), ToBytes("OK"));
    ASSERT_TRUE(irsim.waitForEvents("reply", 2));
    EXPECT_EQ(irsim.events("reply")[1].bytes, ToBytes("OK"));
}

TEST(Irsim, BurstIsTheCodeRepeatedOrCutToTheBurstSize) {
    TempDir dir;
    IrsimProcess sized({.linkPath = dir.file("four"), .burstSize = 4});
    IrsimProcess standard({.linkPath = dir.file("six")});
    ASSERT_TRUE(sized.started() && standard.started());
    LineClient four(dir.file("four"));
    LineClient six(dir.file("six"));

    sized.send("press 0A1F3C\n");
    EXPECT_EQ(ReadBytes(four.fd(), 100, 300), (Bytes{0x0A, 0x1F, 0x3C, 0x0A}));
    standard.send("press 7F; wait 200; press 0102030405060708\n");
    EXPECT_EQ(ReadBytes(six.fd(), 6), Bytes(6, 0x7F));
    EXPECT_EQ(ReadBytes(six.fd(), 100, 400), (Bytes{1, 2, 3, 4, 5, 6}));
    ASSERT_TRUE(standard.waitForEvents("burst", 2));
    EXPECT_EQ(standard.events("burst")[1].bytes, (Bytes{1, 2, 3, 4, 5, 6}));

    standard.send("send 0102\n");  // exact bytes, no burst size
    EXPECT_EQ(ReadBytes(six.fd(), 100, 300), (Bytes{1, 2}));
}

TEST(Irsim, HeldButtonRepeatsItsBurstEveryPeriodWhileHeld) {
    TempDir dir;
    IrsimProcess irsim({.linkPath = dir.file("ttyIR")});
    ASSERT_TRUE(irsim.started());
    LineClient line(dir.file("ttyIR"));

    irsim.send("hold 0A1F3C 500\nwait 1\n");
    EXPECT_EQ(ReadBytes(line.fd(), 30).size(), 30U);
    ASSERT_TRUE(irsim.waitForEvents("burst", 5));
    // Nothing more once the button is released.
    irsim.closeInput();
    EXPECT_EQ(irsim.waitExit(), 0);
    const auto bursts = irsim.events("burst");
    ASSERT_EQ(bursts.size(), 5U);
    for (std::size_t i = 1; i < bursts.size(); ++i) {
        // The schedule does not drift, so each burst sits near its own slot.
        const double offset = bursts[i].milliseconds - bursts[0].milliseconds;
        EXPECT_NEAR(offset, 110.0 * static_cast<double>(i), 45.0) << "burst " << i;
    }
}

// A looped script plays again from its first command for as long as the
// receiver runs; a script that takes no time is played once, not spun.
TEST(Irsim, LoopedScriptPlaysAgainUntilQuitOrForAScriptOfNoTime) {
    TempDir dir;
    IrsimProcess looped({.linkPath = dir.file("looped"), .loop = true});
    IrsimProcess instant({.linkPath = dir.file("instant"), .loop = true});
    ASSERT_TRUE(looped.started() && instant.started());
    LineClient line(dir.file("looped"));

    looped.send("press 01; wait 30; press 02; wait 30\n");
    looped.closeInput();
    ASSERT_TRUE(looped.waitForEvents("burst", 8));
    const auto bursts = looped.events("burst");
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(bursts[i].bytes, Bytes(6, i % 2 == 0 ? 0x01 : 0x02)) << "burst " << i;
    }
    EXPECT_EQ(looped.waitExit(100), -1) << "a looped script ended by itself";
    kill(looped.pid(), SIGTERM);
    EXPECT_EQ(looped.waitExit(), 0);

    instant.send("press 03\n");
    instant.closeInput();
    EXPECT_EQ(instant.waitExit(), 0);
    EXPECT_EQ(instant.events("burst").size(), 1U);
}

TEST(Irsim, KeepsServingWhileTheProgramReopensAndRemovesItsLinkOnQuit) {
    TempDir dir;
    const std::string link = dir.file("ttyIR");
    IrsimProcess irsim({.linkPath = link});
    ASSERT_TRUE(irsim.started());
    {
        LineClient first(link);
        first.write("I");
        ASSERT_TRUE(irsim.waitForEvents("rx", 1));
    }
    irsim.send("press 11\n");  // while nobody has the line open
    ASSERT_TRUE(irsim.waitForEvents("burst", 1));
    {
        LineClient second(link);
        EXPECT_EQ(ReadBytes(second.fd(), 6), Bytes(6, 0x11));
        second.write("IR");
        EXPECT_EQ(ReadBytes(second.fd(), 2), ToBytes("OK"));
    }
    irsim.send("quit\npress 22\n");
    const int status = irsim.waitExit();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(irsim.events("burst").size(), 1U);  // nothing after quit
    EXPECT_FALSE(std::filesystem::is_symlink(link));
}

TEST(Irsim, NeverReplacesAFileThatIsNotALink) {
    TempDir dir;
    const std::string path = dir.file("notes");
    std::ofstream(path) << "keep me";
    IrsimProcess irsim({.linkPath = path});
    EXPECT_FALSE(irsim.started());
    const int status = irsim.waitExit();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    std::ifstream kept(path);
    std::string text;
    std::getline(kept, text);
    EXPECT_EQ(text, "keep me");
}

TEST(IrsimScript, CommandsMayArriveInPiecesAndSpanLines) {
    irsim::ScriptParser parser;
    parser.feed("pre");
    EXPECT_TRUE(parser.commands().empty());
    parser.feed("ss 0a1F3C\nwa");
    parser.feed("it 20; hold 01 # the arguments follow\n 300\nquit");
    ASSERT_EQ(parser.commands().size(), 3U);  // quit waits for the end of its line
    parser.finish();
    ASSERT_EQ(parser.commands().size(), 4U);
    const auto& c = parser.commands();
    EXPECT_EQ(c[0].kind, irsim::ScriptCommand::Press);
    EXPECT_EQ(c[0].bytes, (Bytes{0x0A, 0x1F, 0x3C}));
    EXPECT_EQ(c[1].kind, irsim::ScriptCommand::Wait);
    EXPECT_EQ(c[1].milliseconds, 20);
    EXPECT_EQ(c[2].kind, irsim::ScriptCommand::Hold);
    EXPECT_EQ(c[2].milliseconds, 300);
    EXPECT_EQ(c[3].kind, irsim::ScriptCommand::Quit);
    EXPECT_TRUE(parser.errors().empty());
}

TEST(IrsimScript, BadCommandsAreReportedAndSkipped) {
    irsim::ScriptParser parser;
    parser.feed("jump\npress 0A1\npress ZZ\nwait -5\nhold 01 x\npress 01\nwait\n");
    parser.finish();
    ASSERT_EQ(parser.commands().size(), 1U);
    EXPECT_EQ(parser.commands()[0].bytes, Bytes{1});
    EXPECT_EQ(parser.errors().size(), 6U);
}

}  // namespace
}  // namespace tavrel::testing
