// The end-to-end tests of variants: the commands file of one learned button
// whose command types "d", with variants that press Space in TavrelPlayer's
// windows and type "k" in TavrelBrowser's; the settings that run it
// minimized, its COM2 on the simulated receiver, its presses logged; and a
// press checked where it lands.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client_records.h"
#include "irsim_process.h"
#include "program_process.h"
#include "temp_dir.h"

namespace tavrel::testing {

// What the simulated receiver presses for the command.
constexpr char kVariantsCode[] = "0A1F3C";

inline std::string VariantCommandsFile() {
    return "[Config]\r\nPuerto=2\r\nTolerance=5\r\nNumComandos=2\r\n"
           "[Comandos]\r\n1=Player\r\n2=Play\r\n"
           "[1]\r\nLevel=0\r\n"
           "[2]\r\nLevel=1\r\nCodigo=0A1F3C0A1F3C\r\n0=\xA1SendKeys\xA1NNNNd\r\n"
           "[2.1]\r\nApplication=TavrelBrowser\r\n0=\xA1SendKeys\xA1NNNNk\r\n"
           "[2.2]\r\nApplication=TavrelPlayer\r\n0=\xA1SendKeys\xA1NNNE1\r\n";
}

inline std::string VariantProgramSettings(const std::string& log, const std::string& port) {
    return "[Files]\r\nLogFile=" + log +
           "\r\n\r\n[Config]\r\narranque=1\r\n\r\n[Ports]\r\nCOM2=" + port + "\r\n";
}

// Presses the button once: it is logged, and the window that has the focus
// gets keysym and nothing else. log holds the log's lines before it, and
// the new one after.
inline void PressTypes(IrsimProcess& irsim, const ProgramProcess& program, const TempDir& dir,
                       std::string& log, test::TestClient& window, unsigned long keysym) {
    window.ClearRecords();
    irsim.send(std::string("wait 300\npress ") + kVariantsCode + "\n");
    log += "Player,Play\r\n";
    EXPECT_TRUE(test::WaitUntil([&] { return dir.get("tavrel.log") == log; })) << program.output();
    EXPECT_TRUE(window.WaitFor([](const test::WindowRecords& r) {
        return !r.pressedKeysyms().empty();
    })) << program.output();
    EXPECT_EQ(window.records().pressedKeysyms(), std::vector<unsigned long>{keysym})
        << program.output();
}

}  // namespace tavrel::testing
