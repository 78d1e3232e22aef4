// ProgramRun: the scratch directory, the files and the two processes.
#include "program_run.h"

#include <sys/stat.h>

#include <filesystem>

#include "large_table.h"

namespace tavrel::bench {

ProgramRun::ProgramRun(const ProgramSetup& setup)
    : irsim_(testing::IrsimOptions{.linkPath = dir_.file("ttyIR"), .absoluteTime = true}) {
    std::filesystem::copy_file(TAVREL_PROGRAM_PATH, dir_.file("tavrel"));
    chmod(dir_.file("tavrel").c_str(), 0755);
    WriteFile(dir_.file("tavrel.ini"),
              ProgramSettings(dir_.file("vorkumel.ini"), setup.loadMinimized, dir_.file("ttyIR"),
                              setup.log ? dir_.file("tavrel.log") : ""));
    WriteFile(dir_.file("vorkumel.ini"), LargeCommandsFile(setup.remotes, setup.commandsPerRemote));
}

bool ProgramRun::start() {
    rxBeforeStart_ = irsim_.events("rx").size();
    return program_.start({dir_.file("tavrel")});
}

}  // namespace tavrel::bench
