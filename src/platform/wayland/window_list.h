// Other programs' top-level windows as a compositor tells them to a client it
// lets see them, and the requests it takes on each: the foreign-toplevel list
// of wlroots compositors, KWin's window management.
#pragma once

#include <string>
#include <vector>

#include "platform/windows.h"

namespace tavrel {

class WindowList {
public:
    struct Window {
        WindowHandle id = kNoWindow;
        std::string title;  // UTF-8
        std::string appId;
        bool activated = false;
        bool minimized = false;
        bool maximized = false;
    };

    virtual ~WindowList() = default;

    // The windows the compositor has told in full, the topmost first.
    virtual std::vector<const Window*> Stacking() const = 0;
    virtual const Window* Find(WindowHandle id) const = 0;

    virtual void Activate(WindowHandle id) = 0;
    virtual void SetMinimized(WindowHandle id, bool minimized) = 0;
    virtual void SetMaximized(WindowHandle id, bool maximized) = 0;
    virtual void Close(WindowHandle id) = 0;
};

}  // namespace tavrel
