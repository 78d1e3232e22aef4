// One Input made of two: keys from one source, the pointer from another
// (either may be missing: then that half does nothing, and the trace says
// why, once for each run of keys).
#pragma once

#include <string>
#include <utility>

#include "platform/input.h"
#include "platform/trace.h"

namespace tavrel {

class SplitInput final : public Input {
public:
    // noKeys and noPointer: why that half is missing, for the trace.
    SplitInput(Input* keys, Input* pointer, std::string noKeys = {}, std::string noPointer = {})
        : keys_(keys),
          pointer_(pointer),
          noKeys_(std::move(noKeys)),
          noPointer_(std::move(noPointer)) {}

    void keybd_event(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override {
        if (keys_ != nullptr) {
            keys_->keybd_event(vk, scan, flags);
        } else {
            KeysLost();
        }
    }
    void mouse_event(std::uint32_t flags, std::int32_t dx, std::int32_t dy) override {
        if (pointer_ != nullptr) {
            pointer_->mouse_event(flags, dx, dy);
        } else {
            TraceEvent([this] { return "pointer: not moved: " + noPointer_; });
        }
    }
    std::int16_t VkKeyScan(unsigned char ch) override {
        return keys_ != nullptr ? keys_->VkKeyScan(ch) : -1;
    }
    std::uint32_t MapVirtualKey(std::uint32_t vk) override {
        return keys_ != nullptr ? keys_->MapVirtualKey(vk) : 0;
    }
    bool TypeCharacter(unsigned char ch) override {
        if (keys_ == nullptr) {
            KeysLost();
            return false;
        }
        return keys_->TypeCharacter(ch);
    }
    void StartOfKeys() override {
        lostTold_ = false;
        if (keys_ != nullptr) {
            keys_->StartOfKeys();
        }
    }

private:
    void KeysLost() {
        if (!std::exchange(lostTold_, true)) {
            TraceEvent([this] { return "keys: not sent: " + noKeys_; });
        }
    }

    Input* keys_;
    Input* pointer_;
    std::string noKeys_;
    std::string noPointer_;
    bool lostTold_ = false;
};

}  // namespace tavrel
