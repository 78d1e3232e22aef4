// Watching a descriptor for readability on the message loop, so input is read
// when it arrives instead of on a timer. The program watches through Qt's
// event loop, tests through the virtual clock.
#pragma once

#include <functional>
#include <memory>

namespace tavrel {

// Calls its handler on the user-interface thread whenever the descriptor has
// data to read, or has hung up or failed (a read then says which). The watch
// ends when the object is destroyed, which the handler itself may do.
class ReadWatch {
public:
    virtual ~ReadWatch() = default;
};

class ReadWatchFactory {
public:
    virtual ~ReadWatchFactory() = default;
    virtual std::unique_ptr<ReadWatch> watchReadable(int fd, std::function<void()> onReadable) = 0;
};

}  // namespace tavrel
