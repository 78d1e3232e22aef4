// Selecting a command in a tree of 100 remotes with 100 commands each, as
// every recognition does: the selection cleared, then the match selected.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <string>

#include "commands/command_table.h"
#include "ui/command_tree_editor.h"

namespace {

constexpr int kRemotes = 100;
constexpr int kCommandsPerRemote = 100;

void FillTable(tavrel::CommandTable& table) {
    for (int r = 0; r < kRemotes; ++r) {
        const int remote = table.appendRemote("Remote " + std::to_string(r));
        for (int c = 0; c < kCommandsPerRemote; ++c) {
            table.appendCommand(remote, "Command " + std::to_string(c), 0);
        }
    }
}

void BM_SelectLastCommand(benchmark::State& state) {
    tavrel::CommandTable table;
    FillTable(table);
    tavrel::CommandTreeEditor tree;
    tree.setCommandTable(&table);
    const int last = table.count() - 1;
    for (auto _ : state) {
        table.select(tavrel::kNoNode);
        table.select(last);
    }
}
BENCHMARK(BM_SelectLastCommand);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
