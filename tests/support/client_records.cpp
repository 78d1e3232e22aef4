// The records' helpers and the wait every client test uses.
#include "client_records.h"

#include <poll.h>

namespace tavrel::test {

std::vector<unsigned long> WindowRecords::pressedKeysyms() const {
    std::vector<unsigned long> keysyms;
    for (const KeyRecord& key : keys) {
        if (key.press) {
            keysyms.push_back(key.keysym);
        }
    }
    return keysyms;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        poll(nullptr, 0, 5);  // poll interval
    }
    return true;
}

}  // namespace tavrel::test
