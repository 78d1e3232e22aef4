// A receiver of a kind this build lacks: every open fails and says so.
#pragma once

#include <string>

#include "receivers/receiver.h"

namespace tavrel {

class UnavailableReceiver final : public Receiver {
public:
    explicit UnavailableReceiver(std::string path) {
        failure_.kind = OpenFailure::NotAvailable;
        failure_.path = std::move(path);
    }
    bool OpenPort() override { return false; }
    void ClosePort() override {}
    bool IsOpen() const override { return false; }
    const OpenFailure& LastFailure() const override { return failure_; }

private:
    OpenFailure failure_;
};

}  // namespace tavrel
