// The daemon started, watched for its socket, fed and stopped.
#include "lircd_process.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>

#include "temp_dir.h"

namespace tavrel::testing {
namespace {

constexpr const char* kLircd = "/usr/sbin/lircd";
constexpr const char* kIrsend = "/usr/bin/irsend";

// An NEC remote; the codes only have to exist for SIMULATE to name them.
constexpr const char* kConfiguration =
    "begin remote\n"
    "  name tavrel-test\n"
    "  bits 32\n"
    "  flags SPACE_ENC|CONST_LENGTH\n"
    "  eps 30\n"
    "  aeps 100\n"
    "  header 9000 4500\n"
    "  one 560 1690\n"
    "  zero 560 560\n"
    "  ptrail 560\n"
    "  gap 108000\n"
    "  begin codes\n"
    "    KEY_UP   0x00FF18E7\n"
    "    KEY_DOWN 0x00FF4AB5\n"
    "    KEY_OK   0x00FF38C7\n"
    "  end codes\n"
    "end remote\n";

bool Answers(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    sockaddr_un where{};
    where.sun_family = AF_UNIX;
    std::strncpy(where.sun_path, path.c_str(), sizeof where.sun_path - 1);
    const bool ok = connect(fd, reinterpret_cast<const sockaddr*>(&where), sizeof where) == 0;
    close(fd);
    return ok;
}

}  // namespace

bool LircdProcess::Available() {
    return access(kLircd, X_OK) == 0 && access(kIrsend, X_OK) == 0;
}

std::string LircdProcess::EventLine(std::uint64_t code, int repeat, const std::string& button) {
    char text[40];
    std::snprintf(text, sizeof text, "%016" PRIx64 " %02x ", code, repeat);
    return text + button + " " + kRemote;
}

LircdProcess::LircdProcess(const std::string& folder)
    : folder_(folder), socket_(folder + "/lircd.socket") {
    const std::string conf = folder_ + "/lircd.conf";
    if (FILE* file = std::fopen(conf.c_str(), "w")) {
        std::fputs(kConfiguration, file);
        std::fclose(file);
    }
    start();
}

LircdProcess::~LircdProcess() {
    stop();
}

bool LircdProcess::start() {
    if (child_.running()) {
        return started_;
    }
    const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
    started_ = child_.start(
        {kLircd, "--nodaemon", "--allow-simulate", "--driver=file", "--device=/dev/null",
         "--output=" + socket_, "--pidfile=" + folder_ + "/lircd.pid",
         "--logfile=" + folder_ + "/lircd.log", folder_ + "/lircd.conf"},
        {.input = -1, .output = quiet, .error = quiet});
    close(quiet);
    if (!started_) {
        return false;
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!Answers(socket_)) {
        if (std::chrono::steady_clock::now() > until || child_.waitExit(0) != -1) {
            started_ = false;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void LircdProcess::stop() {
    if (child_.running()) {
        child_.stop(SIGTERM, 5000);
    }
    started_ = false;
}

void LircdProcess::signal(int number) const {
    if (child_.running()) {
        kill(child_.pid(), number);
    }
}

bool LircdProcess::simulate(std::uint64_t code, int repeat, const std::string& button) const {
    ChildProcess irsend;
    const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const bool started =
        irsend.start({kIrsend, "-d", socket_, "SIMULATE", EventLine(code, repeat, button)},
                     {.input = -1, .output = quiet, .error = quiet});
    close(quiet);
    if (!started) {
        return false;
    }
    const int status = irsend.waitExit(5000);
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace tavrel::testing
