// Saves two versions of a configuration in turn, for ever, into the program
// directory given; the crash-consistency test kills it at random moments.
#include <unistd.h>

#include <cstdio>

#include "platform/posix/posix_file_system.h"
#include "save_versions.h"

int main(int argc, char** argv) {
    using namespace tavrel;
    if (argc != 2) {
        std::fprintf(stderr, "usage: save_loop DIRECTORY\n");
        return 2;
    }
    PosixFileSystem files;
    ProgramSettingsFile settingsFile(files, argv[1]);
    CommandTable table;
    SequenceSettings sequence;
    testing::SilentHost host;
    CommandsFile commands(table, sequence, host, files, settingsFile);
    if (::write(STDOUT_FILENO, "ready\n", 6) != 6) {
        return 1;
    }
    for (int i = 1;; ++i) {
        const ProgramSettings settings = testing::BuildVersion(table, i % 2);
        if (const auto failure = commands.SaveRun(settings)) {
            std::fprintf(stderr, "%s: %s\n", failure->message().c_str(), failure->reason.c_str());
            return 1;
        }
    }
}
