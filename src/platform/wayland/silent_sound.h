// Wayland has no bell a client may ring.
#pragma once

#include "platform/sound.h"

namespace tavrel {

class SilentSound final : public Sound {
public:
    void Beep() override {}
};

}  // namespace tavrel
