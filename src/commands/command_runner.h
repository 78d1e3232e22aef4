// What recognition hands a matched command to; the action runner implements it.
#pragma once

#include "commands/comando.h"

namespace tavrel {

class CommandRunner {
public:
    virtual ~CommandRunner() = default;
    virtual void RunCommandActions(TComando& command) = 0;
};

}  // namespace tavrel
