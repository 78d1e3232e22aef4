// Recording process start and beep.
#include "platform/fake/fake_platform.h"

namespace tavrel {

bool FakeProcesses::Start(const std::string& commandLine) {
    log_->add("Start(" + commandLine + ")");
    return startResult;
}

void FakeSound::Beep() {
    ++beeps;
    if (log_ != nullptr) {
        log_->add("Beep()");
    }
}

}  // namespace tavrel
