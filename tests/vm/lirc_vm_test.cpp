// The kernel receiver against the distribution's own kernel, run inside QEMU
// by scripts/vmtest: rc-loopback turns what is written to its /dev/lircN
// back into received infrared, decoded by the kernel's own decoders; the
// receiver, capture and recognition take it from there on the virtual clock.
#include <fcntl.h>
#include <linux/input.h>
#include <linux/lirc.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>

#include "capture/learning.h"
#include "ir_signals.h"
#include "pipeline.h"
#include "platform/posix/unique_fd.h"
#include "receivers/lirc_device/lirc_device_receiver.h"
#include "run_as_nobody.h"

namespace tavrel::testing {
namespace {

using Mode = LircDeviceReceiver::Mode;

constexpr int kWaitMilliseconds = 3000;

// The loopback receiver as a remote plays it: found in /sys, its decoders
// switched, frames sent through its transmitter.
class Loopback {
public:
    Loopback() {
        for (RcDevice& device : RcDevices()) {
            if (device.driver == "rc-loopback") {
                device_ = std::move(device);
            }
        }
        transmitter_ = UniqueFd(open(device_.lircPath.c_str(), O_RDWR | O_CLOEXEC));
    }

    bool ok() const { return static_cast<bool>(transmitter_); }
    const RcDevice& device() const { return device_; }

    // "+nec +rc-5", "none": as written to the protocols file.
    void setProtocols(const std::string& words) const {
        const std::string file = "/sys/class/rc/" + device_.name + "/protocols";
        UniqueFd out(open(file.c_str(), O_WRONLY | O_CLOEXEC));
        ASSERT_TRUE(out) << file;
        ASSERT_EQ(write(out.get(), words.data(), words.size()), static_cast<ssize_t>(words.size()))
            << words << ": " << std::strerror(errno);
    }

    // Returns once the signal has been played (the write lasts as long).
    void send(const Durations& frame) const {
        const auto bytes = static_cast<ssize_t>(frame.size() * sizeof(std::uint32_t));
        ASSERT_EQ(write(transmitter_.get(), frame.data(), static_cast<std::size_t>(bytes)), bytes)
            << std::strerror(errno);
    }

private:
    RcDevice device_;
    UniqueFd transmitter_;
};

// A second reader of the receiver in the same mode, to wait in real time
// until the kernel has handed out a whole frame: by then the receiver under
// test has it too.
class FrameWatch {
public:
    FrameWatch(const std::string& path, Mode mode)
        : fd_(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)), mode_(mode) {
        std::uint32_t lircMode = mode == Mode::Raw ? LIRC_MODE_MODE2 : LIRC_MODE_SCANCODE;
        ioctl(fd_.get(), LIRC_SET_REC_MODE, &lircMode);
    }

    bool waitForFrame() {
        for (;;) {
            pollfd ready{fd_.get(), POLLIN, 0};
            if (poll(&ready, 1, kWaitMilliseconds) <= 0) {
                return false;
            }
            if (mode_ == Mode::Decoded) {
                lirc_scancode frame{};
                return read(fd_.get(), &frame, sizeof frame) == sizeof frame;
            }
            std::uint32_t sample = 0;
            while (read(fd_.get(), &sample, sizeof sample) == sizeof sample) {
                if (LIRC_IS_TIMEOUT(sample)) {
                    return true;
                }
            }
        }
    }

private:
    UniqueFd fd_;
    Mode mode_;
};

// The receiving road on the loopback receiver: the kernel receiver feeding
// capture, recognition and the runner of a pipeline.
class KernelRoad {
public:
    explicit KernelRoad(Mode mode) : watch_(loopback.device().lircPath, mode) {
        receiver.SetDevice(loopback.device().lircPath, mode);
        receiver.SetOnReceiveData([this](Receiver&, const std::uint8_t* data, std::int32_t size) {
            ++batches;
            p.capture.CommPortReceiveData(data, size);
        });
        receiver.SetOnBatchSoFar([this](Receiver&, const std::uint8_t* data, std::int32_t size) {
            p.capture.CommPortBatchSoFar(data, size);
        });
        p.settings.ValueSize = 1;
        p.settings.SkipFirst = mode == Mode::Raw ? 1 : 0;
        p.settings.Tolerance = mode == Mode::Raw ? kRawModeTolerance : kDecodedModeTolerance;
    }

    // A frame sent and its batch handed over, a millisecond later on the
    // virtual clock.
    void press(const Durations& frame) {
        const int before = batches;
        play(frame);
        ASSERT_EQ(batches, before + 1);
    }

    // A frame sent and read by the kernel, and a millisecond on the virtual
    // clock for the receiver to take it, or leave it out.
    void play(const Durations& frame) {
        loopback.send(frame);
        ASSERT_TRUE(watch_.waitForFrame()) << "the kernel delivered no frame";
        p.clock.advance(1);
    }

    // As the learning dialog learns: one sample per burst, then evaluated.
    TComando& learn(const std::string& name, const std::vector<Durations>& presses) {
        const int remote = p.table.count() == 0 ? p.table.appendRemote("TV") : 0;
        TComando& command =
            p.table.record(p.table.appendCommand(remote, name, p.table.count() + 1));
        p.capture.NumMuestras = 0;
        p.capture.Aprendiendo = true;
        for (const Durations& frame : presses) {
            press(frame);
            p.clock.advance(200);
        }
        p.capture.Aprendiendo = false;
        const LearningResult result =
            EvaluateLearning(command, p.capture.Muestras, p.capture.NumMuestras, p.settings,
                             p.table, p.settings.ShortestCodeLength);
        EXPECT_EQ(result.outcome, LearningOutcome::Agrees)
            << name << ": " << result.DefaultMessage();
        return command;
    }

    // The command a press was recognised as, or "" for none.
    std::string recognised(const Durations& frame) {
        press(frame);
        p.clock.advance(200);
        const int selected = p.table.selected();
        return selected < 0 ? std::string() : p.table.record(selected).Nombre;
    }

    Loopback loopback;
    Pipeline p;
    LircDeviceReceiver receiver{p.clock, p.clock};
    int batches = 0;

private:
    FrameWatch watch_;
};

class KernelReceiverTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Loopback().ok()) << "no rc-loopback receiver: run inside scripts/vmtest";
        Loopback().setProtocols("+nec +rc-5 +rc-6");
    }
};

TEST_F(KernelReceiverTest, AnNecButtonLearnedFromThreeFramesIsRecognisedOnTheFourth) {
    KernelRoad road(Mode::Decoded);
    ASSERT_TRUE(road.receiver.OpenPort()) << road.receiver.LastError();
    const Durations play = NecFrame(0x04, 0x08);
    const Durations pause = NecFrame(0x04, 0x09);  // one bit apart
    TComando& playCommand = road.learn("Play", {play, play, play});
    EXPECT_EQ(std::vector<std::int32_t>(playCommand.Codigo.Valores.begin(),
                                        playCommand.Codigo.Valores.end()),
              (std::vector<std::int32_t>{9, 0, 0, 4, 8}));
    road.learn("Pause", {pause, pause, pause});
    EXPECT_EQ(road.recognised(play), "Play");
    EXPECT_EQ(road.recognised(pause), "Pause");
    EXPECT_EQ(road.recognised(NecFrame(0x05, 0x08)), "");
}

TEST_F(KernelReceiverTest, AHeldNecButtonRepeatsExactlyAsTheSameHoldOnASerialReceiver) {
    KernelRoad road(Mode::Decoded);
    ASSERT_TRUE(road.receiver.OpenPort()) << road.receiver.LastError();
    Pipeline serial;
    const std::vector<std::int32_t> code = {9, 0, 0, 4, 8};
    for (Pipeline* p : {&road.p, &serial}) {
        p->settings.SkipFirst = 0;
        p->settings.Tolerance = 0;
        p->addCommand("Up", code, {"\xA1RatonClick\xA1NCursorUN"}).Typematic = true;
    }
    // The first frame, then a repeat frame every 108 ms; the serial receiver
    // sends its whole burst each time.
    constexpr int kRepeats = 9;
    for (int frame = 0; frame <= kRepeats; ++frame) {
        road.press(frame == 0 ? NecFrame(0x04, 0x08) : NecRepeat());
        serial.clock.advance(1);
        serial.receive({9, 0, 0, 4, 8});
        road.p.clock.advance(107);
        serial.clock.advance(107);
    }
    road.p.clock.advance(200);
    serial.clock.advance(200);
    EXPECT_EQ(road.batches, kRepeats + 1);
    EXPECT_EQ(road.p.platform.log.events(), serial.platform.log.events());
    EXPECT_EQ(road.p.capture.MouseStep, serial.capture.MouseStep);
    EXPECT_GT(road.p.capture.MouseStep, 1) << "the hold gave no typematic repeats";
}

// The window in which a repeat frame continues a press belongs to one open:
// a repeat right after a close and a reopen has no press of this open before
// it, and starts none.
TEST_F(KernelReceiverTest, ARepeatRightAfterACloseAndReopenContinuesNoPress) {
    KernelRoad road(Mode::Decoded);
    ASSERT_TRUE(road.receiver.OpenPort()) << road.receiver.LastError();
    road.press(NecFrame(0x04, 0x08));
    road.receiver.ClosePort();
    ASSERT_TRUE(road.receiver.OpenPort()) << road.receiver.LastError();
    road.play(NecRepeat());
    EXPECT_EQ(road.batches, 1);
}

TEST_F(KernelReceiverTest, Rc5AndRc6MceButtonsGiveOneCodeWhateverTheToggle) {
    KernelRoad road(Mode::Decoded);
    ASSERT_TRUE(road.receiver.OpenPort()) << road.receiver.LastError();
    // Learning takes every press with Tolerance 0: one toggled code among
    // them and the samples disagree.
    road.learn("Rc5",
               {Rc5Frame(5, 0x35, false), Rc5Frame(5, 0x35, true), Rc5Frame(5, 0x35, false)});
    road.learn("Mce",
               {Rc6MceFrame(0x040D, true), Rc6MceFrame(0x040D, false), Rc6MceFrame(0x040D, true)});
    EXPECT_EQ(road.recognised(Rc5Frame(5, 0x35, true)), "Rc5");
    EXPECT_EQ(road.recognised(Rc6MceFrame(0x040D, false)), "Mce");
}

TEST_F(KernelReceiverTest, RawTimingsWithJitterLearnAndTellButtonsOneBitApart) {
    Loopback().setProtocols("none");  // raw timings need no decoder
    KernelRoad road(Mode::Raw);
    ASSERT_TRUE(road.receiver.OpenPort()) << road.receiver.LastError();
    std::mt19937 random(7);
    const auto jittered = [&random](const Durations& frame) {
        return Jittered(frame, 0.10, random);
    };
    const Durations buttons[] = {NecFrame(0x04, 0x08), NecFrame(0x04, 0x09),
                                 Rc5Frame(5, 0x35, false), Rc5Frame(5, 0x34, false)};
    const char* names[] = {"NEC 8", "NEC 9", "RC5 35", "RC5 34"};
    for (int b = 0; b < 4; ++b) {
        road.learn(names[b], {jittered(buttons[b]), jittered(buttons[b]), jittered(buttons[b])});
    }
    for (int round = 0; round < 2; ++round) {
        for (int b = 0; b < 4; ++b) {
            EXPECT_EQ(road.recognised(jittered(buttons[b])), names[b]) << "round " << round;
        }
    }
}

// The receiver's input event device and the key its keymap gives a button.
class InputDevice {
public:
    explicit InputDevice(const std::string& path)
        : fd_(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}
    bool ok() const { return static_cast<bool>(fd_); }
    int fd() const { return fd_.get(); }

    bool map(std::uint32_t scancode, std::uint32_t key) const {
        input_keymap_entry entry{};
        entry.len = sizeof scancode;
        std::memcpy(entry.scancode, &scancode, sizeof scancode);
        entry.keycode = key;
        return ioctl(fd_.get(), EVIOCSKEYCODE_V2, &entry) == 0;
    }

    // The key presses this reader has been given so far.
    std::vector<std::uint16_t> keyPresses() const {
        std::vector<std::uint16_t> keys;
        input_event event{};
        while (read(fd_.get(), &event, sizeof event) == sizeof event) {
            if (event.type == EV_KEY && event.value == 1) {
                keys.push_back(event.code);
            }
        }
        return keys;
    }

private:
    UniqueFd fd_;
};

TEST_F(KernelReceiverTest, TheInputDeviceIsHeldWhileOpenAndReleasedAfter) {
    KernelRoad road(Mode::Decoded);
    const std::string& eventPath = road.loopback.device().eventDevice;
    ASSERT_FALSE(eventPath.empty()) << "no input event device: is evdev loaded?";
    InputDevice desktop(eventPath);
    ASSERT_TRUE(desktop.ok());
    ASSERT_TRUE(desktop.map(0x0408, KEY_A));

    ASSERT_TRUE(road.receiver.OpenPort()) << road.receiver.LastError();
    road.press(NecFrame(0x04, 0x08));
    usleep(300 * 1000);  // the key's release comes after the kernel's own timeout
    EXPECT_TRUE(desktop.keyPresses().empty()) << "the key reached the desktop as well";

    road.receiver.ClosePort();
    road.loopback.send(NecFrame(0x04, 0x08));
    usleep(300 * 1000);
    EXPECT_EQ(desktop.keyPresses(), std::vector<std::uint16_t>{KEY_A});

    // Held by another program: the receiver does not open, and says why.
    ASSERT_EQ(ioctl(desktop.fd(), EVIOCGRAB, 1), 0);
    EXPECT_FALSE(road.receiver.OpenPort());
    EXPECT_EQ(road.receiver.LastFailure().kind, OpenFailure::NotGrabbed);
    EXPECT_NE(road.receiver.LastError().find(eventPath), std::string::npos)
        << road.receiver.LastError();
    ioctl(desktop.fd(), EVIOCGRAB, 0);
}

TEST_F(KernelReceiverTest, OpenFailuresNameTheirReason) {
    Loopback loopback;
    const std::string path = loopback.device().lircPath;
    VirtualClock clock;
    const auto failure = [&](const std::string& device, Mode mode) {
        LircDeviceReceiver receiver(clock, clock);
        receiver.SetDevice(device, mode);
        return receiver.OpenPort() ? std::string("opened") : receiver.LastError();
    };

    loopback.setProtocols("none");
    EXPECT_EQ(failure(path, Mode::Decoded),
              path +
                  ": no protocol decoder is enabled for this receiver (learn in raw mode by "
                  "choosing " +
                  path + ":raw, or enable the decoders: sudo ir-keytable -s " +
                  loopback.device().name + " -p all)");
    EXPECT_EQ(failure(path, Mode::Raw), "opened");
    EXPECT_EQ(failure("/dev/lirc9", Mode::Raw), "/dev/lirc9: no such device");
    EXPECT_EQ(failure("/dev/null", Mode::Decoded), "/dev/null: not an infrared receiver");
    EXPECT_EQ(RunAsNobody([&] { return failure(path, Mode::Decoded); }),
              path +
                  ": permission denied (install the udev rule that comes with Tavrel, which "
                  "gives the user at the screen access to infrared receivers)");
}

// Last: the receiver goes away and comes back as a new device.
TEST_F(KernelReceiverTest, AReceiverThatGoesAwayHangsUp) {
    KernelRoad road(Mode::Raw);
    int hangups = 0;
    road.receiver.SetOnHangup([&](Receiver& sender) {
        EXPECT_EQ(&sender, &road.receiver);
        ++hangups;
    });
    ASSERT_TRUE(road.receiver.OpenPort()) << road.receiver.LastError();
    ASSERT_EQ(std::system("rmmod rc-loopback"), 0);
    for (int ms = 0; ms < kWaitMilliseconds && hangups == 0; ms += 10) {
        usleep(10 * 1000);
        road.p.clock.advance(1);
    }
    EXPECT_EQ(hangups, 1);
    EXPECT_FALSE(road.receiver.IsOpen());
    EXPECT_EQ(std::system("modprobe rc-loopback"), 0);
}

}  // namespace
}  // namespace tavrel::testing
