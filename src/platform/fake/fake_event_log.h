// One ordered record shared by the recording fakes, so a test can assert the
// exact interleaving of key, pointer, window and process events.
#pragma once

#include <string>
#include <vector>

namespace tavrel {

class FakeEventLog {
public:
    void add(std::string event) { events_.push_back(std::move(event)); }
    const std::vector<std::string>& events() const { return events_; }
    void clear() { events_.clear(); }

private:
    std::vector<std::string> events_;
};

}  // namespace tavrel
