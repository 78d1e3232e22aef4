// Memory that Xlib hands out and XFree takes back, owned like any pointer.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>

namespace tavrel {

struct XFreeDeleter {
    void operator()(void* pointer) const {
        if (pointer != nullptr) {
            XFree(pointer);
        }
    }
};

template <typename T>
using XPointer = std::unique_ptr<T, XFreeDeleter>;

// XFreeStringList releases the strings and the list together.
struct XFreeStringListDeleter {
    void operator()(char** list) const {
        if (list != nullptr) {
            XFreeStringList(list);
        }
    }
};

using XStringList = std::unique_ptr<char*, XFreeStringListDeleter>;

}  // namespace tavrel
