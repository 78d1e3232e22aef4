// The real program in running mode under a long stream of presses from the
// simulated receiver: every press it should act on is logged and typed, and
// its memory stays flat. Not run by default (ctest -C Soak -L soak); prints
// its figures. TAVREL_SOAK_PRESSES (10000) and TAVREL_SOAK_INTERVAL_MS (100)
// change the stream.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "irsim_process.h"
#include "program_process.h"
#include "x11_backend_fixture.h"

namespace tavrel::testing {
namespace {

using test::WaitUntil;

// Capture ends a burst after this much silence: closer presses are one held
// button to the program.
constexpr double kBurstEndMs = 150;
// irsim's burst for one press.
constexpr int kPressBytes = 6;
// A held button repeats its command from the fifth repeated burst on.
constexpr int kTypematicDelay = 4;

int Setting(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::atoi(value) : fallback;
}

// Resident memory of a process in KiB, from /proc; 0 when it is gone.
long ResidentKib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return 0;
}

std::size_t Lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// The presses to act on in a run of bursts: the first, then every one after
// the typematic delay.
struct Runs {
    std::size_t runs = 0;
    std::size_t actedOn = 0;
    std::size_t inRun = 0;

    void burst() {
        ++inRun;
        actedOn += inRun == 1 || inRun > kTypematicDelay + 1 ? 1 : 0;
    }
    void end() {
        runs += inRun > 0 ? 1 : 0;
        inRun = 0;
    }
};

// As sent: a run ends where irsim fell silent for the end of a burst.
Runs AsSent(const std::vector<IrsimEvent>& bursts) {
    Runs runs;
    for (std::size_t i = 0; i < bursts.size(); ++i) {
        if (i > 0 && bursts[i].milliseconds - bursts[i - 1].milliseconds >= kBurstEndMs) {
            runs.end();
        }
        runs.burst();
    }
    runs.end();
    return runs;
}

// As the program saw them, from its trace: each batch of a press received
// (the receiver's two-byte answer at start-up is none), each burst end. A
// late batch (a busy machine) ends a run early there; the presses lost to
// that are the typematic rule's, not missed ones.
Runs AsReceived(const std::string& trace) {
    Runs runs;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t batch = line.find(" batch ");
        if (line.find("burst ended") != std::string::npos) {
            runs.end();
        } else if (batch != std::string::npos && line.find("so far") == std::string::npos &&
                   std::atoi(line.c_str() + batch + 7) >= kPressBytes) {
            runs.burst();
        }
    }
    runs.end();
    return runs;
}

class Soak : public test::X11BackendTest {};

TEST_F(Soak, PressesInRunningModeAreAllActedOnAndMemoryStaysFlat) {
    const int presses = Setting("TAVREL_SOAK_PRESSES", 10000);
    const int interval = Setting("TAVREL_SOAK_INTERVAL_MS", 100);
    TempDir dir;
    IrsimProcess irsim(IrsimOptions{.linkPath = dir.file("ttyIR")});
    ASSERT_TRUE(irsim.started());
    test::TestWindow window("Tavrel soak target");
    dir.put("tavrel.ini", "[Files]\r\nLogFile=" + dir.file("tavrel.log") +
                              "\r\n[Config]\r\nArranque=1\r\nSonido=0\r\n[Ports]\r\nCOM2=" +
                              dir.file("ttyIR") + "\r\n");
    dir.put("vorkumel.ini",
            "[Config]\r\nPuerto=2\r\nNumComandos=2\r\n[Comandos]\r\n1=TV\r\n2=Key\r\n"
            "[1]\r\nLevel=0\r\n[2]\r\nLevel=1\r\nCodigo=0A1F3C0A1F3C\r\n"
            "0=\xA1SendKeys\xA1NNNNa\r\n");
    ProgramProcess program(dir.path());
    // The trace tells where the program saw a burst end.
    ASSERT_TRUE(program.start({}, {"TAVREL_TRACE=1"}));
    ASSERT_TRUE(irsim.waitUntil([&] { return irsim.events("rx").size() >= 2; }, 20000))
        << program.output();
    Activate(window);
    window.ClearRecords();

    const auto started = std::chrono::steady_clock::now();
    // The receiver's answer at start-up was a batch too: only what comes now counts.
    const std::size_t traceBefore = program.output().size();
    const std::string step = "press 0A1F3C\nwait " + std::to_string(interval) + "\n";
    std::vector<std::pair<int, long>> resident;  // presses sent, KiB
    constexpr int kChunk = 50;
    int sent = 0;
    irsim.send("wait 300\n");
    while (sent < presses) {
        const int chunk = std::min(kChunk, presses - sent);
        std::string script;
        for (int i = 0; i < chunk; ++i) {
            script += step;
        }
        irsim.send(script);
        if (sent % 1000 == 0) {
            resident.emplace_back(sent, ResidentKib(program.pid()));
        }
        sent += chunk;
        // Kept a chunk ahead, and irsim's log read as it comes.
        ASSERT_TRUE(irsim.waitForEvents("burst", static_cast<std::size_t>(sent - chunk),
                                        chunk * interval * 4 + 10000))
            << program.output();
    }
    ASSERT_TRUE(irsim.waitForEvents("burst", static_cast<std::size_t>(presses), 60000));
    const Runs asSent = AsSent(irsim.events("burst"));
    WaitUntil([&] { return Lines(dir.get("tavrel.log")) >= asSent.actedOn; },
              std::chrono::seconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the last burst ends
    const Runs asReceived = AsReceived(program.output().substr(traceBefore));
    const std::size_t expected = asReceived.actedOn;
    resident.emplace_back(sent, ResidentKib(program.pid()));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const std::size_t logged = Lines(dir.get("tavrel.log"));
    const std::size_t typed = window.records().pressedKeysyms().size();

    std::ostringstream report;
    report << "soak: " << presses << " presses every " << interval << " ms in " << seconds
           << " s\nsoak: as sent, " << asSent.runs << " run(s) of bursts, " << asSent.actedOn
           << " presses to act on; as received, " << asReceived.runs << " run(s), "
           << asReceived.actedOn << " to act on\nsoak: logged " << logged << ", typed " << typed
           << "; missed " << (expected > logged ? expected - logged : 0) << "\n";
    for (const auto& [at, kib] : resident) {
        report << "soak: resident memory after " << at << " presses: " << kib << " KiB\n";
    }
    std::fputs(report.str().c_str(), stdout);
    RecordProperty("missed", static_cast<int>(expected > logged ? expected - logged : 0));
    RecordProperty("rss_start_kib", static_cast<int>(resident.front().second));
    RecordProperty("rss_end_kib", static_cast<int>(resident.back().second));

    EXPECT_EQ(logged, expected);
    EXPECT_EQ(typed, expected);
    EXPECT_EQ(program.terminate(), 0) << program.output();
}

}  // namespace
}  // namespace tavrel::testing
