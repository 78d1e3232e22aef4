// A receiver played by a test: it opens or fails as told, and delivers the
// batches and the hang-up the test hands it.
#pragma once

#include <cstdint>
#include <vector>

#include "receivers/receiver.h"

namespace tavrel {

class FakeReceiver final : public Receiver {
public:
    // Every open fails with this while its kind is not None.
    OpenFailure failure;
    int opens = 0;  // open attempts

    bool OpenPort() override {
        ++opens;
        if (failure.kind != OpenFailure::None) {
            lastFailure_ = failure;
            return false;
        }
        open_ = true;
        lastFailure_ = {};
        return true;
    }
    void ClosePort() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    const OpenFailure& LastFailure() const override { return lastFailure_; }

    // One batch, as a kind without lines delivers it: whole.
    void deliver(const std::vector<std::uint8_t>& batch) {
        if (open_ && onReceiveData_) {
            onReceiveData_(*this, batch.data(), static_cast<std::int32_t>(batch.size()));
        }
    }
    // The device went away: closed, and said so.
    void hangUp() {
        open_ = false;
        if (onHangup_) {
            onHangup_(*this);
        }
    }

private:
    bool open_ = false;
    OpenFailure lastFailure_;
};

}  // namespace tavrel
