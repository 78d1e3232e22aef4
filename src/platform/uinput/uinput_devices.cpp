// Device creation and event frames over the uinput character device.
#include "platform/uinput/uinput_devices.h"

#include <fcntl.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <vector>

namespace tavrel {
namespace {

constexpr std::uint16_t kVendor = 0x7476;
constexpr std::uint16_t kKeyboardProduct = 1;
constexpr std::uint16_t kPointerProduct = 2;

// Makes one device; declare sets its capabilities. -1 with errno set on failure.
UniqueFd MakeDevice(const std::string& path, const char* name, std::uint16_t product,
                    const std::function<bool(int)>& declare) {
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
        return fd;
    }
    uinput_setup setup{};
    setup.id = {BUS_VIRTUAL, kVendor, product, 1};
    std::strncpy(setup.name, name, UINPUT_MAX_NAME_SIZE - 1);
    if (!declare(fd.get()) || ioctl(fd.get(), UI_DEV_SETUP, &setup) < 0 ||
        ioctl(fd.get(), UI_DEV_CREATE) < 0) {
        const int error = errno;
        fd.close();
        errno = error;
    }
    return fd;
}

bool DeclareKeyboard(int fd) {
    bool ok = ioctl(fd, UI_SET_EVBIT, EV_KEY) == 0 && ioctl(fd, UI_SET_EVBIT, EV_LED) == 0;
    // Every key a keymap can name below the buttons; no EV_REP, so the
    // kernel never repeats a key that is held.
    for (int code = KEY_ESC; ok && code < BTN_MISC; ++code) {
        ok = ioctl(fd, UI_SET_KEYBIT, code) == 0;
    }
    for (const int led : {LED_NUML, LED_CAPSL, LED_SCROLLL}) {
        ok = ok && ioctl(fd, UI_SET_LEDBIT, led) == 0;
    }
    return ok;
}

bool DeclarePointer(int fd) {
    bool ok = ioctl(fd, UI_SET_EVBIT, EV_KEY) == 0 && ioctl(fd, UI_SET_EVBIT, EV_REL) == 0;
    for (const int button : {BTN_LEFT, BTN_RIGHT, BTN_MIDDLE}) {
        ok = ok && ioctl(fd, UI_SET_KEYBIT, button) == 0;
    }
    for (const int axis : {REL_X, REL_Y}) {
        ok = ok && ioctl(fd, UI_SET_RELBIT, axis) == 0;
    }
    return ok;
}

std::string OpenProblem(const std::string& path, int error) {
    const std::string consequence = "keystrokes and pointer actions are not sent.";
    if (error == EACCES || error == EPERM) {
        return "No permission to use " + path + ": " + consequence +
               " Install the package tavrel-uinput-access: its udev rule gives " + path +
               " to the user at the screen, and so to every program of that user, which is why "
               "it comes apart from Tavrel. Without the package, copy its rule "
               "70-tavrel-uinput.rules (in a copy built from source: "
               "packaging/udev/70-tavrel-uinput.rules) to /etc/udev/rules.d and restart the "
               "computer, or add your user to a group that may write " +
               path + " and log out and in again.";
    }
    if (error == ENOENT || error == ENODEV || error == ENXIO) {
        return path + " is missing: " + consequence +
               " Load the uinput kernel module (modprobe uinput, as root) and have it loaded at "
               "every start (a line \"uinput\" in /etc/modules-load.d/uinput.conf).";
    }
    return "Cannot make the virtual keyboard and pointer through " + path + " (" +
           std::strerror(error) + "): " + consequence;
}

// Writes the events and the frame's end; a frame is written whole or not at all.
bool WriteFrame(int fd, std::initializer_list<input_event> events) {
    std::vector<input_event> frame(events);
    frame.push_back({});
    frame.back().type = EV_SYN;
    frame.back().code = SYN_REPORT;
    const std::size_t size = frame.size() * sizeof(input_event);
    ssize_t written;
    do {
        written = ::write(fd, frame.data(), size);
    } while (written < 0 && errno == EINTR);
    return written == static_cast<ssize_t>(size);
}

input_event Event(std::uint16_t type, std::uint16_t code, std::int32_t value) {
    input_event event{};
    event.type = type;
    event.code = code;
    event.value = value;
    return event;
}

}  // namespace

UinputDevices::OpenResult UinputDevices::Open(const std::string& path) {
    OpenResult result;
    UniqueFd keyboard =
        MakeDevice(path, "Tavrel virtual keyboard", kKeyboardProduct, DeclareKeyboard);
    UniqueFd pointer;
    if (keyboard) {
        pointer = MakeDevice(path, "Tavrel virtual pointer", kPointerProduct, DeclarePointer);
    }
    if (!keyboard || !pointer) {
        const int error = errno;
        result.problem = OpenProblem(path, error);
        return result;
    }
    result.devices.reset(new UinputDevices(std::move(keyboard), std::move(pointer)));
    return result;
}

UinputDevices::UinputDevices(UniqueFd keyboard, UniqueFd pointer)
    : keyboard_(std::move(keyboard)),
      pointer_(std::move(pointer)),
      created_(std::chrono::steady_clock::now()) {}

bool UinputDevices::Key(unsigned code, bool press) {
    return Written(
        WriteFrame(keyboard_.get(), {Event(EV_KEY, static_cast<std::uint16_t>(code), press)}));
}

bool UinputDevices::Button(unsigned code, bool press) {
    return Written(
        WriteFrame(pointer_.get(), {Event(EV_KEY, static_cast<std::uint16_t>(code), press)}));
}

bool UinputDevices::Move(int dx, int dy) {
    return Written(
        WriteFrame(pointer_.get(), {Event(EV_REL, REL_X, dx), Event(EV_REL, REL_Y, dy)}));
}

bool UinputDevices::Written(bool written) {
    if (!written) {
        error_ = errno;
    }
    return written;
}

std::string UinputDevices::Failure() const {
    return std::string("the kernel refused an event of the virtual devices: ") +
           std::strerror(error_);
}

KeyLocks UinputDevices::Locks() {
    // The desktop sets the lights of every keyboard; uinput hands those
    // writes to the device's maker.
    input_event events[16];
    ssize_t got;
    while ((got = ::read(keyboard_.get(), events, sizeof events)) > 0) {
        for (std::size_t i = 0; i < static_cast<std::size_t>(got) / sizeof(input_event); ++i) {
            if (events[i].type != EV_LED ||
                (events[i].code != LED_CAPSL && events[i].code != LED_NUML)) {
                continue;
            }
            Light& light = events[i].code == LED_CAPSL ? caps_ : num_;
            const bool lit = events[i].value != 0;
            if (lit != light.lit) {
                light.lit = lit;
                light.owed = std::max(light.owed - 1, 0);
            }
        }
    }
    // A desktop that never answers (or answers a toggle and its undoing
    // with no flip at all) is believed again after a while.
    const auto now = std::chrono::steady_clock::now();
    for (Light* light : {&caps_, &num_}) {
        if (light->owed > 0 && now > light->owedUntil) {
            light->owed = 0;
        }
        if (light->owed == 0) {
            light->on = light->lit;
        }
    }
    return {caps_.on, num_.on};
}

void UinputDevices::NoteOwnToggle(bool capsLock) {
    constexpr std::chrono::seconds kAnswerTime{1};
    Light& light = capsLock ? caps_ : num_;
    ++light.owed;
    light.owedUntil = std::chrono::steady_clock::now() + kAnswerTime;
}

std::string UinputDevices::EventNode(const UniqueFd& device) {
    char name[64] = {};
    if (ioctl(device.get(), UI_GET_SYSNAME(sizeof name - 1), name) < 0) {
        return {};
    }
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(
             std::filesystem::path("/sys/devices/virtual/input") / name, error)) {
        const std::string leaf = entry.path().filename().string();
        if (leaf.rfind("event", 0) == 0) {
            return "/dev/input/" + leaf;
        }
    }
    return {};
}

}  // namespace tavrel
