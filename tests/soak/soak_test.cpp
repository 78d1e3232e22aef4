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

// The presses the program acts on: in each run of bursts closer than the end
// of a burst, the first and then every one after the typematic delay.
std::size_t ActedOn(const std::vector<IrsimEvent>& bursts, std::size_t& runs) {
    std::size_t acted = 0;
    std::size_t inRun = 0;
    runs = 0;
    for (std::size_t i = 0; i < bursts.size(); ++i) {
        if (i == 0 || bursts[i].milliseconds - bursts[i - 1].milliseconds >= kBurstEndMs) {
            ++runs;
            inRun = 0;
        }
        ++inRun;
        acted += inRun == 1 || inRun > kTypematicDelay + 1 ? 1 : 0;
    }
    return acted;
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
    ASSERT_TRUE(program.start());
    ASSERT_TRUE(irsim.waitUntil([&] { return irsim.events("rx").size() >= 2; }, 20000))
        << program.output();
    Activate(window);
    window.ClearRecords();

    const auto started = std::chrono::steady_clock::now();
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
    std::size_t runs = 0;
    const std::size_t expected = ActedOn(irsim.events("burst"), runs);
    WaitUntil([&] { return Lines(dir.get("tavrel.log")) >= expected; }, std::chrono::seconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the last presses settle
    resident.emplace_back(sent, ResidentKib(program.pid()));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const std::size_t logged = Lines(dir.get("tavrel.log"));
    const std::size_t typed = window.records().pressedKeysyms().size();

    std::ostringstream report;
    report << "soak: " << presses << " presses every " << interval << " ms in " << seconds << " s; "
           << runs << " run(s) of bursts; acted on by the rules " << expected << ", logged "
           << logged << ", typed " << typed << "; missed "
           << (expected > logged ? expected - logged : 0) << "\n";
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
