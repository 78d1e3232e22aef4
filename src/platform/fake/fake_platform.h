// The recording processes and sound, and one bundle of every recording fake
// sharing a single event log.
#pragma once

#include <string>

#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_event_log.h"
#include "platform/fake/fake_input.h"
#include "platform/processes.h"
#include "platform/sound.h"

namespace tavrel {

// Records "Start(command line)".
class FakeProcesses : public Processes {
public:
    explicit FakeProcesses(FakeEventLog& log) : log_(&log) {}
    bool Start(const std::string& commandLine) override;
    bool startResult = true;

private:
    FakeEventLog* log_;
};

// Counts beeps, and records "Beep()" in the event log when it has one.
class FakeSound : public Sound {
public:
    FakeSound() = default;
    explicit FakeSound(FakeEventLog& log) : log_(&log) {}
    void Beep() override;
    int beeps = 0;

private:
    FakeEventLog* log_ = nullptr;
};

struct FakePlatform {
    FakeEventLog log;
    FakeInput input{log};
    FakeDesktop desktop{log};
    FakeProcesses processes{log};
    FakeSound sound{log};
};

}  // namespace tavrel
