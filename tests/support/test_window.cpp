// The recording test window and the X display fixture.
#include "test_window.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <cstdlib>
#include <stdexcept>

namespace tavrel::test {

namespace {

// The keysym of a key event from the server's mapping at the time the event is
// read. Xlib's cached XKB keymap sometimes misses a change of a single keycode,
// which would make a correctly sent remapped key look wrong.
unsigned long LookUpKeysym(Display* display, unsigned keycode, unsigned state) {
    int perKeycode = 0;
    KeySym* symbols = XGetKeyboardMapping(display, static_cast<KeyCode>(keycode), 1, &perKeycode);
    if (symbols == nullptr) {
        return NoSymbol;
    }
    const KeySym base = perKeycode > 0 ? symbols[0] : NoSymbol;
    const KeySym second = perKeycode > 1 ? symbols[1] : NoSymbol;
    XFree(symbols);
    KeySym lower = NoSymbol;
    KeySym upper = NoSymbol;
    XConvertCase(base, &lower, &upper);
    const bool shifted = (state & ShiftMask) != 0;
    if (second == NoSymbol || (second == base && lower != upper)) {
        return shifted ? upper : base;  // one symbol: Shift gives its capital
    }
    return shifted ? second : base;
}

// The keysym a client reads for a key event, from a fresh copy of the
// server's keymap for the same reason as above.
unsigned long TypedKeysym(Display* display, unsigned keycode, unsigned state) {
    XkbDescPtr xkb = XkbGetMap(display, XkbAllClientInfoMask, XkbUseCoreKbd);
    if (xkb == nullptr) {
        return NoSymbol;
    }
    unsigned consumed = 0;
    KeySym keysym = NoSymbol;
    XkbTranslateKeyCode(xkb, static_cast<KeyCode>(keycode), state, &consumed, &keysym);
    XkbFreeKeyboard(xkb, 0, True);
    return keysym;
}

// _NET_WM_NAME (unless Latin1Only) and WM_NAME.
void WriteTitle(Display* display, Window window, const std::string& title,
                TestWindow::TitleKind kind) {
    if (kind == TestWindow::TitleKind::Utf8) {
        const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), utf8, 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(title.data()),
                        static_cast<int>(title.size()));
    }
    // WM_NAME as STRING, which is Latin-1; characters beyond it become '?'.
    std::string latin1;
    for (std::size_t i = 0; i < title.size(); ++i) {
        const auto c = static_cast<unsigned char>(title[i]);
        if (c < 0x80) {
            latin1 += static_cast<char>(c);
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < title.size()) {
            latin1 += static_cast<char>(((c & 0x03) << 6) | (title[++i] & 0x3F));
        } else if (c >= 0xC0) {
            latin1 += '?';
        }
    }
    XChangeProperty(display, window, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(latin1.data()),
                    static_cast<int>(latin1.size()));
}

}  // namespace

TestWindow::TestWindow(const std::string& title, TitleKind kind, Focus focus,
                       const std::string& application)
    : display_(XOpenDisplay(nullptr)) {
    if (display_ == nullptr) {
        throw std::runtime_error("TestWindow: no X display");
    }
    const int screen = DefaultScreen(display_);
    window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), 100, 100, 320, 200, 0,
                                  BlackPixel(display_, screen), WhitePixel(display_, screen));
    WriteTitle(display_, window_, title, kind);
    if (!application.empty()) {
        std::string instance = application;
        XClassHint hint{instance.data(), instance.data()};
        XSetClassHint(display_, window_, &hint);
    }
    protocols_ = XInternAtom(display_, "WM_PROTOCOLS", False);
    deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display_, window_, &deleteWindow_, 1);
    XWMHints hints{};
    hints.flags = InputHint | StateHint;
    hints.input = focus == Focus::Accepts ? True : False;
    hints.initial_state = NormalState;
    XSetWMHints(display_, window_, &hints);
    XSelectInput(display_, window_,
                 KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                     PointerMotionMask | StructureNotifyMask | FocusChangeMask);
    XMapWindow(display_, window_);
    XFlush(display_);
    pump_ = std::thread(&TestWindow::Pump, this);
}

TestWindow::~TestWindow() {
    stop_ = true;
    pump_.join();
    if (!records_.destroyed) {
        XDestroyWindow(display_, window_);
    }
    XCloseDisplay(display_);
}

void TestWindow::Pump() {
    pollfd fd{ConnectionNumber(display_), POLLIN, 0};
    while (!stop_) {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            Handle(event);
        }
        poll(&fd, 1, 10);
    }
}

void TestWindow::Handle(XEvent& event) {
    std::lock_guard lock(mutex_);
    switch (event.type) {
        case KeyPress:
        case KeyRelease: {
            KeyRecord key;
            key.at = std::chrono::steady_clock::now();
            key.press = event.type == KeyPress;
            key.keysym = LookUpKeysym(display_, event.xkey.keycode, event.xkey.state);
            key.typed = TypedKeysym(display_, event.xkey.keycode, event.xkey.state);
            key.keycode = event.xkey.keycode;
            key.state = event.xkey.state;
            key.synthetic = event.xkey.send_event != 0;
            records_.keys.push_back(key);
            break;
        }
        case ButtonPress:
        case ButtonRelease:
            records_.buttons.push_back({event.type == ButtonPress, event.xbutton.button});
            break;
        case MotionNotify:
            records_.motionX.push_back(event.xmotion.x_root);
            break;
        case MappingNotify:
            // Keymap changes (a remapped spare keycode) must be seen at once.
            XRefreshKeyboardMapping(&event.xmapping);
            break;
        case FocusIn:
        case FocusOut:
            if (event.xfocus.detail != NotifyPointer) {
                records_.focused = event.type == FocusIn;
            }
            break;
        case MapNotify:
            records_.mapped = true;
            break;
        case DestroyNotify:
            records_.destroyed = event.xdestroywindow.window == window_ || records_.destroyed;
            break;
        case ClientMessage:
            if (event.xclient.message_type == protocols_ &&
                static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_) {
                records_.closeRequested = true;
                XDestroyWindow(display_, window_);
            } else {
                ClientMessageRecord message;
                char* name = XGetAtomName(display_, event.xclient.message_type);
                message.type = name != nullptr ? name : "";
                XFree(name);
                for (int i = 0; i < 5; ++i) {
                    message.data[i] = event.xclient.data.l[i];
                }
                records_.messages.push_back(message);
            }
            break;
        default:
            break;
    }
    changed_.notify_all();
}

bool TestWindow::WaitFor(const std::function<bool(const WindowRecords&)>& ready,
                         std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return ready(records_); });
}

WindowRecords TestWindow::records() const {
    std::lock_guard lock(mutex_);
    return records_;
}

void TestWindow::ClearRecords() {
    std::lock_guard lock(mutex_);
    records_.keys.clear();
    records_.buttons.clear();
    records_.motionX.clear();
    records_.messages.clear();
}

void TestWindow::SetShown(bool shown) {
    // A connection of its own: the pump thread owns display_.
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return;
    }
    if (shown) {
        XMapWindow(display, window_);
    } else {
        XUnmapWindow(display, window_);
    }
    XSync(display, False);
    XCloseDisplay(display);
}

void TestWindow::SetTitle(const std::string& title) {
    // A connection of its own: the pump thread owns display_.
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return;
    }
    WriteTitle(display, window_, title, TitleKind::Utf8);
    XSync(display, False);
    XCloseDisplay(display);
}

void X11Test::SetUp() {
    const char* display = std::getenv("DISPLAY");
    if (display != nullptr && *display != '\0') {
        return;
    }
    const char* require = std::getenv("TAVREL_REQUIRE_X");
    if (require != nullptr && std::string(require) == "1") {
        FAIL() << "TAVREL_REQUIRE_X=1 but DISPLAY is not set";
    }
    GTEST_SKIP() << "no X display (run under scripts/xstack)";
}

}  // namespace tavrel::test
