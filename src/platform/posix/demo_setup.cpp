// The demo's private program directory and its simulated receiver.
#include "platform/posix/demo_setup.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <vector>

#include "platform/posix/left_behind.h"
#include "platform/posix/program_directory.h"

namespace tavrel {
namespace {

// Windows-1252 with CR LF, as the program writes them; 0xA1 marks an action's kind.
std::string SettingsFile(const std::string& directory) {
    return "[Files]\r\nSettings=" + directory + "/vorkumel.ini\r\nLogFile=" + directory +
           "/tavrel.log\r\n[Ports]\r\nCOM2=" + directory + "/ttyIR\r\n";
}

constexpr char kCommandsFile[] =
    "[Config]\r\nPuerto=2\r\nVelocidad=8\r\nValueSize=1\r\nSkipFirst=1\r\nTolerance=4\r\n"
    "NumComandos=3\r\n"
    "[Comandos]\r\n1=Demo remote\r\n2=Hello\r\n3=Pointer\r\n"
    "[1]\r\nLevel=0\r\n"
    "[2]\r\nLevel=1\r\nLoop=1\r\nCodigo=0A1F3C0A1F3C\r\n"
    "0=\xA1SendKeys\xA1NNNNHello from Tavrel\r\n"
    "[3]\r\nLevel=1\r\nLoop=1\r\nTypematic=1\r\nCodigo=2B2B2B2B2B2B\r\n"
    "0=\xA1RatonClick\xA1NCursorUR\r\n";

constexpr char kDemoPrefix[] = "tavrel-demo.";
// The two buttons in turn, a few seconds apart, played again and again for as
// long as the demo runs.
constexpr char kReceiverScript[] = "wait 3000; press 0A1F3C; wait 3000; hold 2B2B2B 1200";

// The directories of this user's demos that were killed: each is locked by its
// run from before its files are written, so one unlocked that holds them is
// no run's. One locked only for a moment by its run's start, before it holds
// any file, is left for its run.
void RemoveKilledRuns(const std::filesystem::path& runtimeDirectory) {
    std::error_code error;
    for (std::filesystem::directory_iterator entry(runtimeDirectory, error), end;
         !error && entry != end; entry.increment(error)) {
        const std::filesystem::path path = entry->path();
        if (path.filename().string().rfind(kDemoPrefix, 0) != 0) {
            continue;
        }
        const UniqueFd lock = LockIfLeftBehind(path.string(), true);
        std::error_code ignored;
        if (lock && std::filesystem::exists(path / "tavrel.ini", ignored)) {
            std::filesystem::remove_all(path, ignored);
        }
    }
}

bool WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    out.close();
    return static_cast<bool>(out);
}

std::filesystem::path FindReceiver() {
    const std::filesystem::path directory = ExecutableDirectory();
    for (const std::filesystem::path& candidate :
         {directory / "tavrel-irsim", directory / "tools" / "irsim" / "tavrel-irsim"}) {
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

void Pause(long milliseconds) {
    timespec pause{0, milliseconds * 1000000L};
    nanosleep(&pause, nullptr);
}

}  // namespace

std::filesystem::path DemoSetup::DefaultRuntimeDirectory() {
    for (const char* name : {"XDG_RUNTIME_DIR", "TMPDIR"}) {
        const char* value = std::getenv(name);
        std::error_code error;
        if (value != nullptr && *value == '/' && std::filesystem::is_directory(value, error)) {
            return value;
        }
    }
    return "/tmp";
}

std::unique_ptr<DemoSetup> DemoSetup::Start(const std::filesystem::path& runtimeDirectory,
                                            std::string& problem) {
    const std::filesystem::path receiverPath = FindReceiver();
    if (receiverPath.empty()) {
        problem = "the simulated receiver tavrel-irsim is not beside " + ExecutablePath().string();
        return nullptr;
    }
    RemoveKilledRuns(runtimeDirectory);
    std::string pattern = (runtimeDirectory / (std::string(kDemoPrefix) + "XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) {
        problem =
            "cannot make a directory in " + runtimeDirectory.string() + ": " + std::strerror(errno);
        return nullptr;
    }
    // From here on the destructor cleans up whatever exists.
    std::unique_ptr<DemoSetup> demo(new DemoSetup(pattern));
    const std::filesystem::path directory = demo->directory_;
    // Waits only while another demo's start looks at it.
    demo->lock_ = UniqueFd(open(pattern.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!demo->lock_ || flock(demo->lock_.get(), LOCK_EX) != 0) {
        problem = "cannot lock " + directory.string() + ": " + std::strerror(errno);
        return nullptr;
    }
    if (!WriteFile(directory / "tavrel.ini", SettingsFile(directory.string())) ||
        !WriteFile(directory / "vorkumel.ini", kCommandsFile)) {
        problem = "cannot write the demo's files in " + directory.string();
        return nullptr;
    }

    const std::filesystem::path link = directory / "ttyIR";
    std::vector<std::string> arguments = {receiverPath.string(),
                                          "--link",
                                          link.string(),
                                          "--log",
                                          (directory / "irsim.log").string(),
                                          "--loop",
                                          kReceiverScript};
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        problem = std::string("cannot start tavrel-irsim: ") + std::strerror(errno);
        return nullptr;
    }
    if (pid == 0) {
        // The receiver ends with the program, even one that did not end cleanly.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) {
            _exit(1);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    demo->receiver_ = pid;

    for (int waited = 0; waited < 5000; waited += 10) {
        std::error_code error;
        if (std::filesystem::is_symlink(link, error)) {
            return demo;
        }
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            demo->receiver_ = -1;
            problem = "tavrel-irsim ended at once (status " + std::to_string(status) + ")";
            return nullptr;
        }
        Pause(10);
    }
    problem = "tavrel-irsim made no line within 5 seconds";
    return nullptr;
}

DemoSetup::~DemoSetup() {
    if (receiver_ > 0) {
        kill(receiver_, SIGTERM);
        int status = 0;
        // It removes its link as it ends; one that hangs is killed.
        for (int waited = 0; waitpid(receiver_, &status, WNOHANG) == 0; waited += 10) {
            if (waited == 2000) {
                kill(receiver_, SIGKILL);
                waitpid(receiver_, &status, 0);
                break;
            }
            Pause(10);
        }
    }
    std::error_code error;
    std::filesystem::remove_all(directory_, error);
}

std::string DemoSetup::Description() const {
    return "tavrel: demo: the simulated receiver tavrel-irsim is COM2 (" +
           (directory_ / "ttyIR").string() +
           ") and presses the two buttons of \"Demo remote\" every few seconds. In editing mode "
           "each press selects its command; press Cancel to run them: \"Hello\" types a greeting "
           "into the focused window, \"Pointer\" moves the pointer. This run's files are in " +
           directory_.string() + " and are removed when Tavrel ends; yours are not touched.\n";
}

}  // namespace tavrel
