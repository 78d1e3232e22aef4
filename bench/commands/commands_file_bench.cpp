// Load and Save/Run of a commands file of 10,000 commands on a real directory.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "commands/commands_file.h"
#include "platform/posix/posix_file_system.h"
#include "silent_host.h"
#include "temp_dir.h"

namespace tavrel {
namespace {

constexpr int kCommands = 10000;

// The port settings a configured host reports.
class SilentHost : public testing::SilentHost {
public:
    SilentHost() { ports = PortOrdinals{1, 8, 0, 3, 0}; }
};

struct Fixture {
    explicit Fixture(int commandsPerRemote) {
        int remote = kNoNode;
        for (int i = 0; i < kCommands; ++i) {
            if (i % commandsPerRemote == 0) {
                remote = table.appendRemote("Remote " + std::to_string(i));
            }
            const int pos = table.appendCommand(remote, "Command " + std::to_string(i), i);
            TComando& c = table.record(pos);
            for (int v = 0; v < 32; ++v) {
                c.Codigo.Valores[static_cast<std::size_t>(v)] = (i + v) & 0xFF;
            }
            c.Codigo.NumValores = 32;
            c.Acciones->push_back("0=\xA1SendKeys\xA1NNNE9");
            c.Acciones->push_back(
                "1=\xA1Mouse\xA1"
                "0010");
            c.Loop = 2;
        }
    }
    tavrel::testing::TempDir scratch;
    std::string dir = scratch.path();
    PosixFileSystem files;
    ProgramSettingsFile settingsFile{files, dir};
    CommandTable table;
    SequenceSettings sequence;
    SilentHost host;
    CommandsFile commands{table, sequence, host, files, settingsFile};
};

// Arg: commands per remote (100, or all 10,000 under one remote).
void BM_Load(benchmark::State& state) {
    Fixture f(static_cast<int>(state.range(0)));
    const std::string path = f.settingsFile.defaultCommandsFilePath();
    (void)ReplaceFileContents(f.files, path,
                              CommandsFile::Serialize(f.table, f.sequence, f.host.ports));
    for (auto _ : state) {
        state.PauseTiming();
        f.table.clear();
        state.ResumeTiming();
        f.commands.Load();
    }
    state.counters["nodes"] = f.table.count();
}
BENCHMARK(BM_Load)->Arg(100)->Arg(kCommands)->Unit(benchmark::kMillisecond);

// The floor under Load: the table alone, each record holding room for 3840 values.
void BM_TableOnly(benchmark::State& state) {
    CommandTable table;
    for (auto _ : state) {
        state.PauseTiming();
        table.clear();
        state.ResumeTiming();
        int remote = kNoNode;
        for (int i = 0; i < kCommands; ++i) {
            if (i % state.range(0) == 0) {
                remote = table.appendRemote("R");
            }
            table.appendCommand(remote, "C", i);
        }
    }
}
BENCHMARK(BM_TableOnly)->Arg(100)->Arg(kCommands)->Unit(benchmark::kMillisecond);

// Writing both files through the scratch file, with fsync, without the reload.
void BM_Save(benchmark::State& state) {
    Fixture f(static_cast<int>(state.range(0)));
    const ProgramSettings settings = f.settingsFile.read();
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto failure = f.settingsFile.write(settings);
        const std::string text = CommandsFile::Serialize(f.table, f.sequence, f.host.ports);
        failure = ReplaceFileContents(f.files, settings.Settings, text);
        benchmark::DoNotOptimize(failure);
        bytes = text.size();
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_Save)->Arg(100)->Arg(kCommands)->Unit(benchmark::kMillisecond);

// The bytes alone, which a Save/Run of an unchanged table compares and need not write.
void BM_Serialize(benchmark::State& state) {
    Fixture f(100);
    for (auto _ : state) {
        benchmark::DoNotOptimize(CommandsFile::Serialize(f.table, f.sequence, f.host.ports));
    }
}
BENCHMARK(BM_Serialize)->Unit(benchmark::kMillisecond);

// The whole Save/Run: both files written, the table cleared and reloaded.
void BM_SaveRun(benchmark::State& state) {
    Fixture f(100);
    const ProgramSettings settings = f.settingsFile.read();
    for (auto _ : state) {
        auto failure = f.commands.SaveRun(settings);
        benchmark::DoNotOptimize(failure);
    }
}
BENCHMARK(BM_SaveRun)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavrel

BENCHMARK_MAIN();
