// The open failures' words and the choice of a receiver's kind from its
// [Ports] value.
#include "receivers/receiver.h"

#include <charconv>

namespace tavrel {
namespace {

constexpr std::string_view kDaemonPrefix = "lircd:";
constexpr std::string_view kRawSuffix = ":raw";

// "lirc0", "lirc12": the kernel's names for its receivers' character devices.
bool IsLircDeviceName(std::string_view path) {
    const auto slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    constexpr std::string_view kStem = "lirc";
    if (name.size() <= kStem.size() || name.substr(0, kStem.size()) != kStem) {
        return false;
    }
    return name.find_first_not_of("0123456789", kStem.size()) == std::string_view::npos;
}

// "HOST", "HOST:PORT", "[V6]", "[V6]:PORT"; port 0 when it cannot be read.
ReceiverChoice DaemonAddress(std::string_view address) {
    ReceiverChoice choice{ReceiverKind::Daemon, {}, {}, 0};
    std::string_view host = address;
    std::string_view port;
    if (address.starts_with('[')) {
        const auto close = address.find(']');
        if (close == std::string_view::npos) {
            return choice;
        }
        host = address.substr(1, close - 1);
        const std::string_view rest = address.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') {
                return choice;
            }
            port = rest.substr(1);
        }
    } else if (const auto colon = address.find(':'); colon != std::string_view::npos) {
        host = address.substr(0, colon);
        port = address.substr(colon + 1);
    }
    if (host.empty()) {
        return choice;
    }
    choice.host = std::string(host);
    if (port.empty()) {
        choice.port = kLircdDefaultPort;
        return choice;
    }
    unsigned value = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (error == std::errc{} && end == port.data() + port.size() && value > 0 && value <= 65535) {
        choice.port = static_cast<std::uint16_t>(value);
    }
    return choice;
}

}  // namespace

ReceiverChoice ChooseReceiver(const std::string& value) {
    const std::string_view text = value;
    if (text.starts_with(kDaemonPrefix)) {
        const std::string_view address = text.substr(kDaemonPrefix.size());
        if (address.empty()) {
            return {ReceiverKind::Daemon, kLircdDefaultSocket, {}, 0};
        }
        if (address.starts_with('/')) {
            return {ReceiverKind::Daemon, std::string(address), {}, 0};
        }
        ReceiverChoice choice = DaemonAddress(address);
        choice.typed = std::string(address);
        return choice;
    }
    if (text.ends_with(kRawSuffix)) {
        const std::string_view device = text.substr(0, text.size() - kRawSuffix.size());
        if (IsLircDeviceName(device)) {
            return {ReceiverKind::KernelRaw, std::string(device), {}, 0};
        }
    }
    if (IsLircDeviceName(text)) {
        return {ReceiverKind::KernelScancode, value, {}, 0};
    }
    return {ReceiverKind::Serial, value, {}, 0};
}

std::string DescribeOpenFailure(const OpenFailure& failure, const FailureWords& words) {
    const auto say = [&words](const char* english, const char* key) {
        return words ? words(english, key) : std::string(english);
    };
    // "%s" in a text stands for one name.
    const auto with = [](std::string text, const std::string& name) {
        if (const auto at = text.find("%s"); at != std::string::npos) {
            text.replace(at, 2, name);
        }
        return text;
    };
    const std::string device = failure.path + ": ";
    switch (failure.kind) {
        case OpenFailure::None:
            return {};
        case OpenFailure::NoPortSelected:
            return say("No serial port is selected (COM1 to COM8).", "noportselected");
        case OpenFailure::NoDevice:
            return device + say("no such device", "nosuchdevice");
        case OpenFailure::InUse:
            return device + say("in use by another program", "inusebyanotherprogram");
        case OpenFailure::NotSerial:
            return device + say("not a serial port", "notaserialport");
        case OpenFailure::PermissionDenied: {
            std::string text = device + say("permission denied", "permissiondenied");
            // Without a group that may use it, a kernel receiver wants the udev rule.
            const bool kernel = ChooseReceiver(failure.path).kind == ReceiverKind::KernelScancode;
            if (!failure.group.empty()) {
                // The command that helps, with this user's name, and the new
                // login it needs before it takes effect.
                std::string advice =
                    say("the device belongs to the group %1; add your user to it with \"sudo "
                        "adduser %2 %1\", then log out and in again",
                        "addtogroup");
                const auto fill = [&advice](const std::string& mark, const std::string& value) {
                    for (auto at = advice.find(mark); at != std::string::npos;
                         at = advice.find(mark, at + value.size())) {
                        advice.replace(at, mark.size(), value);
                    }
                };
                fill("%1", failure.group);
                fill("%2", failure.user.empty() ? "$USER" : failure.user);
                text += " (" + advice + ")";
            } else if (kernel) {
                text += " (" +
                        say("install the udev rule that comes with Tavrel, which gives the user "
                            "at the screen access to infrared receivers",
                            "installudevrule") +
                        ")";
            }
            return text;
        }
        case OpenFailure::NoDecoder: {
            // The kernel loads the decoders itself once they are asked for.
            // Its protocols file takes no "all" (a list of names only);
            // ir-keytable (package ir-keytable) does.
            const std::string receiver =
                failure.systemText.empty() ? std::string() : "-s " + failure.systemText + " ";
            return device +
                   say("no protocol decoder is enabled for this receiver", "nodecoderenabled") +
                   " (" +
                   with(say("learn in raw mode by choosing %s:raw, or enable the decoders:",
                            "learninrawmode"),
                        failure.path) +
                   " sudo ir-keytable " + receiver + "-p all)";
        }
        case OpenFailure::NotGrabbed: {
            std::string text =
                device + say("its input device could not be taken for Tavrel alone, so its keys "
                             "would reach the desktop too",
                             "inputnotgrabbed");
            if (!failure.systemText.empty()) {
                text += " (" + failure.systemText + ")";
            }
            return text;
        }
        case OpenFailure::NotReceiver:
            return device + say("not an infrared receiver", "notaninfraredreceiver");
        case OpenFailure::NoRawTimings:
            return device + say("this receiver decodes in hardware and gives no raw timings; "
                                "choose it without :raw",
                                "norawtimings");
        case OpenFailure::DaemonNotRunning:
            return device + say("the LIRC daemon is not running there", "daemonnotrunning");
        case OpenFailure::BadAddress:
            return device + say("not an address of the LIRC daemon (lircd:PATH or "
                                "lircd:HOST:PORT)",
                                "notadaemonaddress");
        case OpenFailure::Other:
            break;
    }
    return device + failure.systemText;
}

}  // namespace tavrel
