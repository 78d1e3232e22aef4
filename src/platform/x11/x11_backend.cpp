// Opening the X11 backend and detecting what the server lacks, once.
#include "platform/x11/x11_backend.h"

#include <X11/extensions/XTest.h>

#include "platform/event_loop_wait.h"
#include "platform/read_watch.h"
#include "platform/x11/x11_active_window.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_desktop.h"
#include "platform/x11/x11_input.h"
#include "platform/x11/x11_keymap.h"

namespace tavrel {

void X11Sound::Beep() {
    X11ErrorTrap trap(connection_.display());
    XBell(connection_.display(), 0);
}

namespace {

constexpr char kNoXTest[] =
    "The X server lacks the XTEST extension: keystrokes and pointer actions are not sent.";

}  // namespace

X11Backend::OpenResult X11Backend::Open(const char* displayName) {
    OpenResult result;
    Display* display = XOpenDisplay(displayName);
    if (display == nullptr) {
        // What follows from it depends on whether another way serves: the
        // chooser tells that.
        const char* name = displayName != nullptr ? displayName : XDisplayName(nullptr);
        result.problem = name == nullptr || *name == '\0'
                             ? std::string("DISPLAY is not set, so no X display can be reached.")
                             : std::string("Cannot connect to the X display \"") + name + "\".";
        return result;
    }
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    const bool haveXTest = XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor);
    if (!haveXTest) {
        result.problem = kNoXTest;
    }
    result.backend.reset(new X11Backend(std::make_unique<X11Connection>(display), haveXTest));
    return result;
}

X11Backend::X11Backend(std::unique_ptr<X11Connection> connection, bool haveXTest)
    : connection_(std::move(connection)),
      haveXTest_(haveXTest),
      keymap_(std::make_unique<X11Keymap>(connection_->display())),
      wait_(std::make_unique<EventLoopWait>()),
      input_(std::make_unique<X11Input>(*connection_, *keymap_, *wait_, haveXTest)),
      desktop_(std::make_unique<X11Desktop>(*connection_, *keymap_, *wait_)),
      sound_(std::make_unique<X11Sound>(*connection_)) {
    input_->setFocusCheck([desktop = desktop_.get()] { return desktop->KeyboardFocusSettled(); });
    desktop_->followActiveWindow(X11ActiveWindow::Open(XDisplayString(connection_->display())));
}

X11Backend::~X11Backend() = default;

void X11Backend::setMessagePump(std::function<void()> processMessages) {
    wait_->setMessagePump(std::move(processMessages));
}

void X11Backend::watchEvents(ReadWatchFactory& watches) {
    if (X11ActiveWindow* active = desktop_->activeWindow()) {
        watch_ = watches.watchReadable(active->fd(), [active] { active->Dispatch(); });
    }
}

DesktopCapabilities X11Backend::capabilities() const {
    DesktopCapabilities can;
    if (!haveXTest_) {
        can.keys = can.pointer = Ability::No(kNoXTest);
    }
    return can;
}

Input& X11Backend::input() {
    return *input_;
}
Desktop& X11Backend::desktop() {
    return *desktop_;
}
Sound& X11Backend::sound() {
    return *sound_;
}

}  // namespace tavrel
