// A signal handler may only write to a pipe; the GUI thread reads it through a
// socket notifier and ends the program from the message loop.
#include "app/session_end.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <csignal>

namespace tavrel {
namespace {

int wakeFds[2] = {-1, -1};
volatile std::sig_atomic_t terminationRequested = 0;

extern "C" void OnTerminationSignal(int) {
    terminationRequested = 1;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFds[0], &byte, 1);
}

}  // namespace

void CatchTermination() {
    if (wakeFds[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, wakeFds) != 0) {
        return;
    }
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
}

bool TerminationRequested() {
    return terminationRequested != 0;
}

void InstallSessionEnd(QGuiApplication& app, std::function<void()> end) {
    auto shared = std::make_shared<std::function<void()>>(std::move(end));
    // The log-off notice ends the program whether or not the log-off goes ahead.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app,
                     [shared](QSessionManager&) { (*shared)(); });

    CatchTermination();
    if (wakeFds[1] < 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(wakeFds[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [shared] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(wakeFds[1], &byte, 1);
        (*shared)();
    });
}

}  // namespace tavrel
