// One Input made of two: keys from one source, the pointer from another
// (either may be missing: then that half does nothing).
#pragma once

#include "platform/input.h"

namespace tavrel {

class SplitInput final : public Input {
public:
    SplitInput(Input* keys, Input* pointer) : keys_(keys), pointer_(pointer) {}

    void keybd_event(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override {
        if (keys_ != nullptr) {
            keys_->keybd_event(vk, scan, flags);
        }
    }
    void mouse_event(std::uint32_t flags, std::int32_t dx, std::int32_t dy) override {
        if (pointer_ != nullptr) {
            pointer_->mouse_event(flags, dx, dy);
        }
    }
    std::int16_t VkKeyScan(unsigned char ch) override {
        return keys_ != nullptr ? keys_->VkKeyScan(ch) : -1;
    }
    std::uint32_t MapVirtualKey(std::uint32_t vk) override {
        return keys_ != nullptr ? keys_->MapVirtualKey(vk) : 0;
    }
    bool TypeCharacter(unsigned char ch) override {
        return keys_ != nullptr && keys_->TypeCharacter(ch);
    }
    void StartOfKeys() override {
        if (keys_ != nullptr) {
            keys_->StartOfKeys();
        }
    }

private:
    Input* keys_;
    Input* pointer_;
};

}  // namespace tavrel
