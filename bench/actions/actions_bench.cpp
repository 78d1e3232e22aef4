// Cost of the keystroke sender and of a long run-all-at-once command on the
// recording backend (the log is cleared each round so it measures the logic).
#include <benchmark/benchmark.h>

#include <string>

#include "actions/action_runner.h"
#include "actions/action_string.h"
#include "actions/send_keys.h"
#include "platform/fake/fake_platform.h"
#include "platform/fake/virtual_clock.h"

namespace tavrel {
namespace {

void BM_SendKeyString1000Bytes(benchmark::State& state) {
    FakePlatform fake;
    int pumps = 0;
    TSendKeys sender(fake.input, fake.desktop, [&pumps] { ++pumps; });
    // Letters, shifted characters, navigation and function keys and modifiers.
    const std::string pattern =
        "Hello, World! \xF0\xE4\xFC"
        "a\xFD\r";
    std::string keys;
    while (keys.size() < 1000) {
        keys += pattern;
    }
    keys.resize(1000);
    for (auto _ : state) {
        fake.log.clear();
        sender.SendKeyString(keys);
        benchmark::DoNotOptimize(fake.log.events().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 1000);
}
BENCHMARK(BM_SendKeyString1000Bytes);

void BM_RunAllAtOnce100Actions(benchmark::State& state) {
    FakePlatform fake;
    VirtualClock clock;
    CommandTable table;
    TSendKeys sendKeys(fake.input, fake.desktop);
    ProgramState mode;
    ActionRunner runner(fake.input, fake.desktop, fake.processes, sendKeys, table, mode, clock);
    const int remote = table.appendRemote("TV");
    TComando& c = table.record(table.appendCommand(remote, "all", 1));
    for (int i = 0; i < 100; ++i) {
        std::string action;
        switch (i % 4) {
            case 0:
                action = MakeTapKeyAction(false, true, false, true, "abc");
                break;
            case 1:
                action = MakeMouseAction('N', 'U', 'R');
                break;
            case 2:
                action = MakeTapKeyAction(true, false, false, false, "15");
                break;
            default:
                action = MakePostMessageAction("WM_COMMAND", "1", "0");
                break;
        }
        WriteAction(*c.Acciones, i, action);
    }
    c.Loop = 100;
    c.DeVez = true;
    fake.desktop.setForeground(fake.desktop.addWindow("Terminal"));
    table.setCurrent(&c);
    for (auto _ : state) {
        fake.log.clear();
        runner.RunCommandActions(c);
        benchmark::DoNotOptimize(fake.log.events().data());
    }
}
BENCHMARK(BM_RunAllAtOnce100Actions);

}  // namespace
}  // namespace tavrel

BENCHMARK_MAIN();
