// TCommPortDriver against real pseudo-terminals: opening, line settings read
// back from the kernel, exclusivity, batches framed on the virtual clock, hang-ups, sending,
// the setter rules and the reasons a port does not open.
#include "receivers/serial/ComDrv32.h"

#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>

#include "irsim_process.h"
#include "platform/fake/virtual_clock.h"
#include "pty_pair.h"
#include "receivers/serial/line_settings.h"
#include "run_as_nobody.h"

namespace tavrel::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

class CommPortDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        DevicePathTable paths = DefaultDevicePaths();
        paths[pnCOM2] = pty.slavePath();
        driver.SetDevicePaths(paths);
        driver.SetOnReceiveData(
            [this](Receiver& sender, const std::uint8_t* data, std::int32_t size) {
                EXPECT_EQ(&sender, &driver);
                batches.emplace_back(data, data + size);
            });
    }

    termios2 lineAsSet() const {
        termios2 settings{};
        EXPECT_EQ(ioctl(pty.watcher(), TCGETS2, &settings), 0);
        return settings;
    }

    // Bytes from the device, already waiting in the line's input queue.
    void deviceSends(const std::string& bytes) {
        ASSERT_TRUE(pty.sendFromDevice(bytes));
        ASSERT_TRUE(WaitForQueuedInput(pty.watcher(), static_cast<int>(bytes.size())));
    }

    int queuedInput() const {
        int queued = -1;
        ioctl(pty.watcher(), FIONREAD, &queued);
        return queued;
    }

    VirtualClock clock;
    PtyPair pty;
    TCommPortDriver driver{clock, clock};
    std::vector<Bytes> batches;
};

TEST(ComPortTypes, OrdinalsRatesAndDefaultPaths) {
    static_assert(pnCOM8 == 7 && br14400 == 7 && br56000 == 10 && br115200 == 12);
    static_assert(db7BITS == 2 && sb1HALFBITS == 1 && sb2BITS == 2 && ptMARK == 3 && ptSPACE == 4);
    EXPECT_EQ(BaudRateValue(br110), 110U);
    EXPECT_EQ(BaudRateValue(br14400), 14400U);
    EXPECT_EQ(BaudRateValue(br56000), 56000U);
    EXPECT_EQ(BaudRateValue(br57600), 57600U);
    EXPECT_EQ(BaudRateValue(br115200), 115200U);
    EXPECT_EQ(PortName(pnCOM1), "COM1");
    EXPECT_EQ(PortName(pnCOM8), "COM8");
    EXPECT_EQ(DefaultDevicePaths()[pnCOM1], "/dev/ttyS0");
    EXPECT_EQ(DefaultDevicePaths()[pnCOM8], "/dev/ttyS7");
}

TEST_F(CommPortDriverTest, NewDriverIsClosedWithTheDefaults) {
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_EQ(driver.ComPort(), pnCOM2);
    EXPECT_EQ(driver.ComPortSpeed(), br9600);
    EXPECT_EQ(driver.ComPortDataBits(), db8BITS);
    EXPECT_EQ(driver.ComPortStopBits(), sb1BITS);
    EXPECT_EQ(driver.ComPortParity(), ptNONE);
    EXPECT_EQ(driver.ComPortHwHandshaking(), hhNONE);
    EXPECT_EQ(driver.ComPortSwHandshaking(), shNONE);
    EXPECT_EQ(driver.ComPortInBufSize(), 2048);
    EXPECT_EQ(driver.ComPortOutBufSize(), 2048);
    EXPECT_EQ(driver.ComPortPollingDelay(), 50);
    EXPECT_TRUE(driver.EnableDTROnOpen());
    EXPECT_EQ(driver.OutputTimeout(), 4000);
    EXPECT_EQ(driver.OutputFreeSpace(), 65535);
    TCommPortDriver fresh(clock, clock);
    EXPECT_EQ(fresh.DevicePath(pnCOM2), "/dev/ttyS1");
}

TEST_F(CommPortDriverTest, OpenSetsARawLineAtEveryRateOfTheList) {
    driver.SetComPortSwHandshaking(shXONXOFF);
    driver.SetComPortHwHandshaking(hhRTSCTS);
    ASSERT_TRUE(driver.OpenPort()) << driver.LastError();
    EXPECT_TRUE(driver.IsOpen());
    EXPECT_EQ(driver.LastError(), "");
    termios2 line = lineAsSet();
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0U);
    EXPECT_EQ(line.c_oflag & OPOST, 0U);
    EXPECT_EQ(line.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | INPCK), 0U);
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF), IXON | IXOFF);
    EXPECT_NE(line.c_cflag & CRTSCTS, 0U);
    EXPECT_EQ(line.c_cc[VMIN], 0);
    EXPECT_EQ(line.c_cc[VTIME], 0);
    EXPECT_EQ(line.c_ospeed, 9600U);

    driver.SetComPortSwHandshaking(shNONE);
    driver.SetComPortHwHandshaking(hhNONE);
    line = lineAsSet();
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF), 0U);
    EXPECT_EQ(line.c_cflag & CRTSCTS, 0U);

    for (int rate = br110; rate <= br115200; ++rate) {
        driver.SetComPortSpeed(static_cast<TComPortBaudRate>(rate));
        line = lineAsSet();
        EXPECT_EQ(line.c_ospeed, BaudRateValue(static_cast<TComPortBaudRate>(rate)));
        EXPECT_EQ(line.c_ispeed, line.c_ospeed);
    }
}

TEST_F(CommPortDriverTest, ASecondOpenOfTheSameLineIsRefusedAsInUse) {
    ASSERT_TRUE(driver.OpenPort());
    TCommPortDriver other(clock, clock);
    other.SetDevicePaths(driver.DevicePaths());
    EXPECT_FALSE(other.OpenPort());
    EXPECT_FALSE(other.IsOpen());
    EXPECT_EQ(other.LastError(), pty.slavePath() + ": in use by another program");

    // Another program holding only a lock counts as well.
    driver.ClosePort();
    const int locker = open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_EQ(flock(locker, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(other.OpenPort());
    close(locker);
    EXPECT_TRUE(other.OpenPort()) << other.LastError();
}

TEST_F(CommPortDriverTest, OtherUsersAreLockedOutOnlyWhileTheLineIsOpen) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to drop privileges";
    }
    ASSERT_EQ(chmod(pty.slavePath().c_str(), 0666), 0);
    const auto plainOpen = [this] {
        const int fd = open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        const std::string result = fd >= 0 ? "opened" : std::strerror(errno);
        if (fd >= 0) {
            close(fd);
        }
        return result;
    };
    ASSERT_TRUE(driver.OpenPort());
    EXPECT_EQ(RunAsNobody(plainOpen), std::strerror(EBUSY));
    // Something else (here the watcher) keeps the line alive after the close.
    driver.ClosePort();
    EXPECT_EQ(RunAsNobody(plainOpen), "opened");
}

TEST_F(CommPortDriverTest, FailedOpensKeepTheSystemsReason) {
    TempDir dir;
    DevicePathTable paths = DefaultDevicePaths();
    paths[pnCOM1] = dir.file("missing");
    paths[pnCOM2] = dir.file("plain-file");
    std::ofstream(paths[pnCOM2]) << "x";
    driver.SetDevicePaths(paths);

    driver.SetComPort(pnCOM1);
    EXPECT_FALSE(driver.OpenPort());
    EXPECT_EQ(driver.LastError(), paths[pnCOM1] + ": no such device");
    driver.SetComPort(pnCOM2);
    EXPECT_FALSE(driver.OpenPort());
    EXPECT_EQ(driver.LastError(), paths[pnCOM2] + ": not a serial port");
    EXPECT_FALSE(driver.IsOpen());

    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to give the device away and drop privileges";
    }
    const group* dialout = getgrnam("dialout");
    const gid_t owner = dialout != nullptr ? dialout->gr_gid : 0;
    const std::string groupName = dialout != nullptr ? "dialout" : getgrgid(0)->gr_name;
    ASSERT_EQ(chown(paths[pnCOM2].c_str(), 0, owner), 0);
    ASSERT_EQ(chmod(paths[pnCOM2].c_str(), 0660), 0);
    const std::string reason = RunAsNobody([&] {
        VirtualClock childClock;
        TCommPortDriver child(childClock, childClock);
        child.SetDevicePaths(paths);
        return child.OpenPort() ? std::string("opened") : child.LastError();
    });
    // The advice names the command, with this user's name, and the new login it needs.
    EXPECT_EQ(reason, paths[pnCOM2] + ": permission denied (the device belongs to the group " +
                          groupName + "; add your user to it with \"sudo adduser nobody " +
                          groupName + "\", then log out and in again)");

    // A device only its owner may use: joining its group would not help.
    ASSERT_EQ(chmod(paths[pnCOM2].c_str(), 0600), 0);
    EXPECT_EQ(RunAsNobody([&] {
                  VirtualClock childClock;
                  TCommPortDriver child(childClock, childClock);
                  child.SetDevicePaths(paths);
                  return child.OpenPort() ? std::string("opened") : child.LastError();
              }),
              paths[pnCOM2] + ": permission denied");
}

// Bytes written at virtual milliseconds; a batch is handed over once the line
// has been quiet for about two characters, or ComPortPollingDelay (50) after
// its first byte when the line never falls quiet.
TEST_F(CommPortDriverTest, BatchesAreFramedBySilence) {
    struct Case {
        const char* name;
        TComPortBaudRate speed;  // 9600: quiet after 2 ms; 19200: after 1 ms
        std::vector<std::pair<int, std::string>> writes;
        int until;
        std::vector<std::int64_t> deliveredAt;
    };
    const std::vector<Case> cases = {
        {"a burst trickling in at 1 ms a byte",
         br9600,
         {{0, "a"}, {1, "b"}, {2, "c"}, {3, "d"}, {4, "e"}, {5, "f"}},
         60,
         {7}},
        {"two bursts 110 ms apart", br19200, {{0, "ABC"}, {110, "DEF"}}, 200, {1, 111}},
        {"a line that never falls quiet", br9600, {}, 125, {50, 100, 122}},
    };
    for (Case c : cases) {
        SCOPED_TRACE(c.name);
        if (c.writes.empty()) {
            for (int t = 0; t < 121; ++t) {
                c.writes.emplace_back(t, std::string(1, static_cast<char>('0' + t % 10)));
            }
        }
        batches.clear();
        std::vector<std::int64_t> times;
        // Each batch is announced whole by the read that completed it.
        Bytes soFar;
        int unannounced = 0;
        driver.SetOnBatchSoFar([&](Receiver&, const std::uint8_t* data, std::int32_t size) {
            soFar.assign(data, data + size);
        });
        driver.SetOnReceiveData([&](Receiver&, const std::uint8_t* data, std::int32_t size) {
            batches.emplace_back(data, data + size);
            times.push_back(clock.now());
            unannounced += batches.back() != soFar ? 1 : 0;
        });
        driver.SetComPortSpeed(c.speed);
        ASSERT_TRUE(driver.OpenPort());
        const std::int64_t start = clock.now();
        std::string written;
        for (int t = 0; t < c.until; ++t) {
            for (const auto& [at, bytes] : c.writes) {
                if (at == t) {
                    deviceSends(bytes);
                    written += bytes;
                }
            }
            clock.advance(1);
        }
        for (std::int64_t& at : times) {
            at -= start;
        }
        EXPECT_EQ(times, c.deliveredAt);
        std::string delivered;
        for (const Bytes& batch : batches) {
            delivered.append(batch.begin(), batch.end());
        }
        EXPECT_EQ(delivered, written);
        EXPECT_EQ(unannounced, 0);
        driver.ClosePort();
    }
}

TEST_F(CommPortDriverTest, AHangUpHandsOverWhatCameClosesAndTellsAtOnce) {
    int hangups = 0;
    driver.SetOnHangup([&](Receiver& sender) {
        EXPECT_FALSE(sender.IsOpen());
        ++hangups;
    });
    ASSERT_TRUE(driver.OpenPort());
    clock.advance(10);
    EXPECT_TRUE(driver.IsOpen());  // a quiet line is no hang-up
    deviceSends("xy");
    clock.advance(0);  // read, waiting for the line to fall quiet
    EXPECT_TRUE(batches.empty());
    pty.closeDevice();
    clock.advance(0);
    EXPECT_EQ(batches, std::vector<Bytes>{ToBytes("xy")});
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_EQ(hangups, 1);
    clock.advance(100);
    EXPECT_EQ(hangups, 1);
}

TEST_F(CommPortDriverTest, ADeviceThatGoesAwayClosesThePortAndIsReportedOnce) {
    int hangups = 0;
    driver.SetOnHangup([&](Receiver& sender) {
        EXPECT_EQ(&sender, &driver);
        EXPECT_FALSE(driver.IsOpen());
        ++hangups;
    });
    ASSERT_TRUE(driver.OpenPort());
    clock.advance(200);  // a quiet line is no hang-up
    EXPECT_TRUE(driver.IsOpen());

    pty.closeDevice();
    clock.advance(50);
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_EQ(hangups, 1);
    clock.advance(200);
    EXPECT_EQ(hangups, 1);
}

TEST_F(CommPortDriverTest, AReadTakesNoMoreThanTheInputBuffer) {
    driver.SetComPortInBufSize(4);
    driver.SetComPortInBufSize(0);  // refused: nothing could ever be read
    EXPECT_EQ(driver.ComPortInBufSize(), 4);
    ASSERT_TRUE(driver.OpenPort());
    driver.SetComPortInBufSize(100);  // ignored while open
    EXPECT_EQ(driver.ComPortInBufSize(), 4);
    deviceSends("0123456789");
    clock.advance(0);
    ASSERT_EQ(batches.size(), 1U);  // a full buffer goes at once
    clock.advance(150);
    ASSERT_EQ(batches.size(), 3U);
    EXPECT_EQ(batches[0], ToBytes("0123"));
    EXPECT_EQ(batches[2], ToBytes("89"));
}

TEST_F(CommPortDriverTest, SendBytesWritesOnlyWhileOpen) {
    const std::uint8_t start = 'I';
    EXPECT_EQ(driver.SendBytes(&start, 1), 0);
    EXPECT_TRUE(ReadBytes(pty.master(), 1, 20).empty());

    ASSERT_TRUE(driver.OpenPort());
    EXPECT_EQ(driver.OutputFreeSpace(), 2048);
    EXPECT_EQ(driver.SendBytes(&start, 1), 1);
    EXPECT_EQ(driver.SendBytes(&start, 0), 0);
    EXPECT_EQ(ReadBytes(pty.master(), 1), Bytes{'I'});
}

TEST_F(CommPortDriverTest, SendBytesGivesUpWhenTheLineStaysFull) {
    driver.SetOutputTimeout(0);
    ASSERT_TRUE(driver.OpenPort());
    // Nobody reads at the device end, so the line fills up.
    Bytes data(256 * 1024);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(i * 7);
    }
    const std::int32_t result =
        driver.SendBytes(data.data(), static_cast<std::int32_t>(data.size()));
    ASSERT_LT(result, 0);
    const std::size_t accepted = static_cast<std::size_t>(-result);
    // What the line took is exactly the start of the data, nothing more.
    const Bytes arrived = ReadBytes(pty.master(), data.size(), 200);
    ASSERT_EQ(arrived.size(), accepted);
    EXPECT_TRUE(std::equal(arrived.begin(), arrived.end(), data.begin()));
}

TEST_F(CommPortDriverTest, PortNumberSetWhileOpenIsForgottenAfterTheClose) {
    PtyPair other;
    DevicePathTable paths = driver.DevicePaths();
    paths[pnCOM5] = other.slavePath();
    driver.SetDevicePaths(paths);
    ASSERT_TRUE(driver.OpenPort());
    driver.SetComPort(pnCOM5);
    EXPECT_EQ(driver.ComPort(), pnCOM2);
    driver.ClosePort();
    EXPECT_EQ(driver.ComPort(), pnCOM2);
    ASSERT_TRUE(driver.OpenPort());
    deviceSends("A");
    clock.advance(50);
    EXPECT_EQ(batches, std::vector<Bytes>{Bytes{'A'}});
}

TEST_F(CommPortDriverTest, LineSettingsChangedWhileOpenApplyAtOnceAndDiscardUnreadInput) {
    ASSERT_TRUE(driver.OpenPort());
    deviceSends("stale");
    driver.SetComPortSpeed(br115200);
    EXPECT_EQ(lineAsSet().c_ospeed, 115200U);
    EXPECT_EQ(queuedInput(), 0);
    clock.advance(50);
    EXPECT_TRUE(batches.empty());

    // Reopening an open port neither reopens nor purges.
    deviceSends("kept");
    EXPECT_TRUE(driver.OpenPort());
    clock.advance(50);
    EXPECT_EQ(batches, std::vector<Bytes>{ToBytes("kept")});
}

TEST_F(CommPortDriverTest, ClosedPortPollsNothingAndReopensWithItsSettings) {
    driver.SetComPortSpeed(br56000);
    ASSERT_TRUE(driver.OpenPort());
    driver.ClosePort();
    EXPECT_FALSE(driver.IsOpen());
    driver.ClosePort();  // twice is harmless
    deviceSends("xy");
    clock.advance(200);
    EXPECT_TRUE(batches.empty());

    ASSERT_TRUE(driver.OpenPort()) << driver.LastError();
    EXPECT_EQ(lineAsSet().c_ospeed, 56000U);
    EXPECT_EQ(queuedInput(), 0);  // the open purged what came while closed
    deviceSends("z");
    clock.advance(50);
    EXPECT_EQ(batches, std::vector<Bytes>{Bytes{'z'}});
}

TEST_F(CommPortDriverTest, ModemLinesALineCannotSetAreIgnored) {
    driver.SetDTR(true);  // closed: nothing
    ASSERT_TRUE(driver.OpenPort());
    driver.SetDTR(true);
    driver.SetRTS(true);
    driver.SetDTR(false);
    driver.SetRTS(false);
    EXPECT_TRUE(driver.IsOpen());
    deviceSends("ok");
    clock.advance(50);
    EXPECT_EQ(batches.size(), 1U);
}

TEST_F(CommPortDriverTest, HandlerMayCloseThePortDuringTheEvent) {
    driver.SetOnReceiveData([this](Receiver& sender, const std::uint8_t*, std::int32_t) {
        sender.ClosePort();
        batches.emplace_back();
    });
    ASSERT_TRUE(driver.OpenPort());
    deviceSends("abc");
    clock.advance(500);
    EXPECT_EQ(batches.size(), 1U);
    EXPECT_FALSE(driver.IsOpen());
}

}  // namespace
}  // namespace tavrel::testing
