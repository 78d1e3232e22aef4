// Starting programs without waiting for them.
#pragma once

#include <string>

namespace tavrel {

class Processes {
public:
    virtual ~Processes() = default;
    // Starts the command line (Windows-1252); false when nothing could be started.
    virtual bool Start(const std::string& commandLine) = 0;
};

}  // namespace tavrel
