// EWMH window list, titles and state; window messages mapped onto what X
// clients understand.
#include "platform/x11/x11_desktop.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>

#include "platform/windows.h"
#include "platform/x11/x_pointer.h"

namespace tavrel {
namespace {

constexpr long kNetWmStateRemove = 0;
constexpr long kNetWmStateAdd = 1;
// Source indication "pager": window managers honour such requests without
// applying focus-stealing prevention, as a user's click in a task list.
constexpr long kSourcePager = 2;
constexpr long kIconicState = 3;  // WM_STATE value

}  // namespace

X11Desktop::X11Desktop(X11Connection& connection, X11Keymap& keymap, EventLoopWait& wait)
    : connection_(connection), keymap_(keymap), wait_(wait) {}

std::optional<std::vector<unsigned long>> X11Desktop::Property32(Window window, const char* name,
                                                                 Atom type) {
    return ReadProperty32(connection_, window, name, type);
}

bool X11Desktop::Exists(Window window) {
    if (window == None) {
        return false;
    }
    XWindowAttributes attributes;
    X11ErrorTrap trap(connection_.display());
    return XGetWindowAttributes(connection_.display(), window, &attributes) != 0 && trap.Sync();
}

WindowHandle X11Desktop::GetForegroundWindow() {
    X11ErrorTrap trap(connection_.display());
    const auto active = Property32(connection_.root(), "_NET_ACTIVE_WINDOW", XA_WINDOW);
    return active && !active->empty() ? active->front() : kNoWindow;
}

bool X11Desktop::KeyboardFocusSettled() {
    Display* display = connection_.display();
    Window focus = None;
    int revertTo = 0;
    {
        X11ErrorTrap trap(display);
        XGetInputFocus(display, &focus, &revertTo);
    }
    // When the focused window goes away (a program hiding in its tray, as
    // Tavrel does on Save/Run), the server hands the focus to the pointer or
    // to the window's frame, and the window manager then focuses nothing for
    // a moment before it picks the next window. Settled means the focus lies
    // in the window the manager calls active.
    const WindowHandle active =
        focus != None && focus != PointerRoot ? GetForegroundWindow() : kNoWindow;
    constexpr int kDeepestNesting = 16;
    X11ErrorTrap trap(display);
    for (int depth = 0; active != kNoWindow && depth < kDeepestNesting; ++depth) {
        if (focus == active) {
            return true;
        }
        Window root = None;
        Window parent = None;
        Window* children = nullptr;
        unsigned count = 0;
        const Status status = XQueryTree(display, focus, &root, &parent, &children, &count);
        if (children != nullptr) {
            XFree(children);
        }
        if (status == 0 || parent == None || parent == root) {
            break;
        }
        focus = parent;
    }
    const auto manager = Property32(connection_.root(), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    return !manager || manager->empty();  // without a manager nothing will change
}

std::vector<WindowHandle> X11Desktop::TopLevelWindows() {
    X11ErrorTrap trap(connection_.display());
    std::vector<WindowHandle> windows;
    if (auto stacking = Property32(connection_.root(), "_NET_CLIENT_LIST_STACKING", XA_WINDOW)) {
        windows.assign(stacking->rbegin(), stacking->rend());
        return windows;
    }
    // No EWMH window manager: the root's children, bottom to top.
    Window rootReturn = None;
    Window parent = None;
    Window* raw = nullptr;
    unsigned count = 0;
    const Status listed =
        XQueryTree(connection_.display(), connection_.root(), &rootReturn, &parent, &raw, &count);
    const XPointer<Window> children(raw);
    if (listed != 0 && children != nullptr) {
        windows.assign(children.get(), children.get() + count);
        std::reverse(windows.begin(), windows.end());
    }
    return windows;
}

std::string X11Desktop::GetWindowText(WindowHandle window) {
    if (window == kNoWindow) {
        return {};
    }
    X11ErrorTrap trap(connection_.display());
    return ReadWindowTitle(connection_, window);
}

WindowHandle X11Desktop::FindWindow(const std::string& title) {
    for (WindowHandle window : TopLevelWindows()) {
        if (GetWindowText(window) == title) {
            return window;
        }
    }
    return kNoWindow;
}

bool X11Desktop::IsIconic(WindowHandle window) {
    if (window == kNoWindow) {
        return false;
    }
    X11ErrorTrap trap(connection_.display());
    const Atom wmState = connection_.atom("WM_STATE");
    if (auto state = Property32(window, "WM_STATE", wmState); state && !state->empty()) {
        return static_cast<long>(state->front()) == kIconicState;
    }
    const auto hidden = connection_.atom("_NET_WM_STATE_HIDDEN");
    const auto netState = Property32(window, "_NET_WM_STATE", XA_ATOM);
    return netState && std::find(netState->begin(), netState->end(), hidden) != netState->end();
}

bool X11Desktop::SendToWindowManager(Window window, const char* type, long l0, long l1, long l2,
                                     long l3) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = connection_.atom(type);
    event.xclient.format = 32;
    event.xclient.data.l[0] = l0;
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    X11ErrorTrap trap(connection_.display());
    XSendEvent(connection_.display(), connection_.root(), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    return trap.Sync();
}

bool X11Desktop::Restore(Window window) {
    if (!Exists(window)) {
        return false;
    }
    // Mapping an iconic window asks the window manager to make it normal
    // again; activation also de-iconifies under EWMH window managers.
    XMapWindow(connection_.display(), window);
    return SendToWindowManager(window, "_NET_ACTIVE_WINDOW", kSourcePager, CurrentTime);
}

void X11Desktop::RestoreWindow(WindowHandle window) {
    bool asked = false;
    {
        X11ErrorTrap trap(connection_.display());
        asked = Restore(window);
    }
    if (asked) {
        AwaitActivation(window);
    }
}

void X11Desktop::RaiseAndActivate(WindowHandle window) {
    if (!Exists(window)) {
        return;
    }
    {
        X11ErrorTrap trap(connection_.display());
        XRaiseWindow(connection_.display(), window);
        SendToWindowManager(window, "_NET_ACTIVE_WINDOW", kSourcePager, CurrentTime);
    }
    AwaitActivation(window);
}

// The window manager activates a window some time after it is asked, while
// the callers expect it in front on return: the keystrokes that follow must
// reach it, not the window that had the focus. A manager that does not
// comply (or refuses, taking the request for focus stealing) costs at most
// this short wait, during which the program's events run.
void X11Desktop::AwaitActivation(Window window) {
    {
        X11ErrorTrap trap(connection_.display());
        const auto manager = Property32(connection_.root(), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
        if (!manager || manager->empty()) {
            return;  // nobody to wait for
        }
    }
    wait_.Until([&] { return GetForegroundWindow() == window; }, std::chrono::milliseconds(500));
}

bool X11Desktop::SetMaximized(Window window, bool maximized) {
    return Exists(window) &&
           SendToWindowManager(
               window, "_NET_WM_STATE", maximized ? kNetWmStateAdd : kNetWmStateRemove,
               static_cast<long>(connection_.atom("_NET_WM_STATE_MAXIMIZED_VERT")),
               static_cast<long>(connection_.atom("_NET_WM_STATE_MAXIMIZED_HORZ")), kSourcePager);
}

bool X11Desktop::SendKey(Window window, const KeyChoice& key, bool press, bool release) {
    if (key.keycode == 0) {
        return false;
    }
    XEvent event{};
    XKeyEvent& keyEvent = event.xkey;
    keyEvent.display = connection_.display();
    keyEvent.window = window;
    keyEvent.root = connection_.root();
    keyEvent.subwindow = None;
    keyEvent.time = CurrentTime;
    keyEvent.x = keyEvent.y = keyEvent.x_root = keyEvent.y_root = 1;
    keyEvent.state = key.mods;
    keyEvent.keycode = key.keycode;
    keyEvent.same_screen = True;
    X11ErrorTrap trap(connection_.display());
    if (press) {
        keyEvent.type = KeyPress;
        XSendEvent(connection_.display(), window, False, KeyPressMask, &event);
    }
    if (release) {
        keyEvent.type = KeyRelease;
        XSendEvent(connection_.display(), window, False, KeyReleaseMask, &event);
    }
    return trap.Sync();
}

bool X11Desktop::PostMessage(WindowHandle window, std::uint32_t message, std::uint32_t wParam,
                             std::uint32_t lParam) {
    if (!Exists(window)) {
        return false;
    }
    X11ErrorTrap trap(connection_.display());
    // The low four bits of a system command are the system's own.
    const std::uint32_t command = wParam & 0xFFF0;
    if (message == WM_CLOSE || (message == WM_SYSCOMMAND && command == SC_CLOSE)) {
        return SendToWindowManager(window, "_NET_CLOSE_WINDOW", CurrentTime, kSourcePager);
    }
    if (message == WM_SYSCOMMAND && command == SC_MINIMIZE) {
        return XIconifyWindow(connection_.display(), window,
                              DefaultScreen(connection_.display())) != 0 &&
               trap.Sync();
    }
    if (message == WM_SYSCOMMAND && command == SC_MAXIMIZE) {
        return SetMaximized(window, true);
    }
    if (message == WM_SYSCOMMAND && command == SC_RESTORE) {
        return IsIconic(window) ? Restore(window) : SetMaximized(window, false);
    }
    if (message == WM_KEYDOWN || message == WM_KEYUP) {
        const KeyChoice key = keymap_.ForVirtualKey(static_cast<std::uint8_t>(wParam & 0xFF));
        return SendKey(window, key, message == WM_KEYDOWN, message == WM_KEYUP);
    }
    if (message == WM_CHAR) {
        KeysymValue alternative = 0;
        const KeysymValue keysym =
            Cp1252ToKeysym(static_cast<unsigned char>(wParam & 0xFF), &alternative);
        return SendKey(window, keymap_.Find(keysym, alternative, false), true, true);
    }
    // Cooperating programs can listen for these.
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = connection_.atom("_TAVREL_MESSAGE");
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(message);
    event.xclient.data.l[1] = static_cast<long>(wParam);
    event.xclient.data.l[2] = static_cast<long>(lParam);
    XSendEvent(connection_.display(), window, False, NoEventMask, &event);
    return trap.Sync();
}

}  // namespace tavrel
