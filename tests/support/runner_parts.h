// The action runner with its keystroke sender over a real backend, and the
// recording fakes for what the tests of the desktop do not look at.
#pragma once

// The core headers come before Xlib, whose macros (None) clash with their names.
// clang-format off
#include "actions/action_runner.h"
#include "actions/action_string.h"
#include "actions/send_keys.h"
#include "commands/command_table.h"
#include "commands/program_state.h"
#include "platform/fake/fake_platform.h"
#include "platform/fake/virtual_clock.h"
// clang-format on

#include <string>

namespace tavrel::test {

struct RunnerParts {
    RunnerParts(Input& input, Desktop& desktop)
        : sendKeys(input, desktop),
          runner(input, desktop, processes, sendKeys, table, mode, clock),
          remote(table.appendRemote("Desk")) {}

    // A new single-action command of the remote.
    TComando& Command(const std::string& action, const std::string& targetWindow = "") {
        TComando& command = table.record(table.appendCommand(remote, "c", table.count()));
        WriteAction(*command.Acciones, 0, action);
        command.TargetWindow = targetWindow;
        return command;
    }

    VirtualClock clock;
    FakeEventLog log;
    FakeProcesses processes{log};
    CommandTable table;
    ProgramState mode;
    TSendKeys sendKeys;
    ActionRunner runner;
    int remote;
};

}  // namespace tavrel::test
