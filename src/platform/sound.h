// The default system beep.
#pragma once

namespace tavrel {

class Sound {
public:
    virtual ~Sound() = default;
    virtual void Beep() = 0;
};

}  // namespace tavrel
