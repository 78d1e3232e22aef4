// The remote desktop session over sd-bus.
#include "platform/gnome/remote_desktop.h"

#include <systemd/sd-bus.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/trace.h"

namespace tavrel {
namespace {

constexpr char kService[] = "org.gnome.Mutter.RemoteDesktop";
constexpr char kObject[] = "/org/gnome/Mutter/RemoteDesktop";
constexpr char kSessionInterface[] = "org.gnome.Mutter.RemoteDesktop.Session";

// What a failed call says: the bus's error when it gave one, else the system's.
std::string Reason(const sd_bus_error& error, int result) {
    if (sd_bus_error_is_set(&error)) {
        return error.message != nullptr ? error.message : error.name;
    }
    return std::strerror(-result);
}

struct ErrorHolder {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    ~ErrorHolder() { sd_bus_error_free(&error); }
};

struct MessageHolder {
    sd_bus_message* message = nullptr;
    ~MessageHolder() { sd_bus_message_unref(message); }
};

std::uint64_t MicrosecondsLeft(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<std::uint64_t>(left.count()) : 1;
}

}  // namespace

RemoteDesktopSession::OpenResult RemoteDesktopSession::Open(std::chrono::milliseconds longest) {
    const auto deadline = std::chrono::steady_clock::now() + longest;
    OpenResult result;
    sd_bus* bus = nullptr;
    if (const int opened = sd_bus_open_user(&bus); opened < 0) {
        result.problem = std::string("The session bus cannot be reached (") +
                         std::strerror(-opened) + "), so GNOME's remote desktop cannot be used.";
        return result;
    }
    // Both calls share one deadline: a service that never answers costs no more.
    ErrorHolder error;
    MessageHolder reply;
    sd_bus_set_method_call_timeout(bus, MicrosecondsLeft(deadline));
    int called = sd_bus_call_method(bus, kService, kObject, kService, "CreateSession", &error.error,
                                    &reply.message, "");
    const char* path = nullptr;
    if (called >= 0) {
        called = sd_bus_message_read(reply.message, "o", &path);
    }
    if (called < 0 || path == nullptr) {
        result.problem = "GNOME's remote desktop service (" + std::string(kService) +
                         ") did not make a session: " + Reason(error.error, called) + ".";
        sd_bus_flush_close_unref(bus);
        return result;
    }
    std::unique_ptr<RemoteDesktopSession> session(new RemoteDesktopSession(bus, path));
    sd_bus_match_signal(bus, nullptr, kService, path, kSessionInterface, "Closed",
                        &RemoteDesktopSession::OnClosed, session.get());
    sd_bus_set_method_call_timeout(bus, MicrosecondsLeft(deadline));
    called = sd_bus_call_method(bus, kService, path, kSessionInterface, "Start", &error.error,
                                nullptr, "");
    if (called < 0) {
        result.problem =
            "GNOME's remote desktop session did not start: " + Reason(error.error, called) + ".";
        return result;
    }
    session->started_ = std::chrono::steady_clock::now();
    result.session = std::move(session);
    return result;
}

RemoteDesktopSession::RemoteDesktopSession(sd_bus* bus, std::string path)
    : bus_(bus), path_(std::move(path)) {}

RemoteDesktopSession::~RemoteDesktopSession() {
    // Stopping is asked, not awaited: mutter ends the session of a client
    // that goes away in any case.
    if (!closed_) {
        sd_bus_call_method_async(bus_, nullptr, kService, path_.c_str(), kSessionInterface, "Stop",
                                 nullptr, nullptr, "");
    }
    sd_bus_flush_close_unref(bus_);
}

int RemoteDesktopSession::fd() const {
    return sd_bus_get_fd(bus_);
}

bool RemoteDesktopSession::Dispatch() {
    int processed;
    while ((processed = sd_bus_process(bus_, nullptr)) > 0) {
    }
    return processed >= 0;
}

template <typename Append>
bool RemoteDesktopSession::Notify(const char* member, Append append) {
    Dispatch();
    if (closed_) {
        failure_ = "GNOME ended the remote desktop session";
        return false;
    }
    MessageHolder call;
    int made = sd_bus_message_new_method_call(bus_, &call.message, kService, path_.c_str(),
                                              kSessionInterface, member);
    if (made >= 0) {
        made = append(call.message);
    }
    return Send(call.message, made);
}

bool RemoteDesktopSession::Send(sd_bus_message* message, int appended) {
    int sent = appended;
    if (sent >= 0) {
        sent = sd_bus_call_async(bus_, nullptr, message, &RemoteDesktopSession::OnAnswer, this, 0);
    }
    if (sent >= 0) {
        sent = sd_bus_flush(bus_);
    }
    if (sent < 0) {
        failure_ = std::string("the session bus took no notification: ") + std::strerror(-sent);
        return false;
    }
    return true;
}

bool RemoteDesktopSession::Key(unsigned code, bool press) {
    return Notify("NotifyKeyboardKeycode", [&](sd_bus_message* m) {
        return sd_bus_message_append(m, "ub", static_cast<std::uint32_t>(code), press ? 1 : 0);
    });
}

bool RemoteDesktopSession::Button(unsigned code, bool press) {
    return Notify("NotifyPointerButton", [&](sd_bus_message* m) {
        return sd_bus_message_append(m, "ib", static_cast<std::int32_t>(code), press ? 1 : 0);
    });
}

bool RemoteDesktopSession::Move(int dx, int dy) {
    return Notify("NotifyPointerMotionRelative", [&](sd_bus_message* m) {
        return sd_bus_message_append(m, "dd", static_cast<double>(dx), static_cast<double>(dy));
    });
}

int RemoteDesktopSession::OnAnswer(sd_bus_message* reply, void* data, sd_bus_error* /*error*/) {
    const sd_bus_error* error = sd_bus_message_get_error(reply);
    if (error != nullptr) {
        auto* self = static_cast<RemoteDesktopSession*>(data);
        self->failure_ = std::string("GNOME refused a notification: ") +
                         (error->message != nullptr ? error->message : error->name);
        TraceEvent([self] { return "keys: " + self->failure_; });
    }
    return 0;
}

int RemoteDesktopSession::OnClosed(sd_bus_message* /*message*/, void* data,
                                   sd_bus_error* /*error*/) {
    static_cast<RemoteDesktopSession*>(data)->closed_ = true;
    TraceEvent([] { return "keys: GNOME ended the remote desktop session"; });
    return 0;
}

}  // namespace tavrel
