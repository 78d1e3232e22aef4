// A desktop backend with the kind of client it drives: the X11 backend with X
// windows on the X display, the Wayland backend with Wayland windows on the
// compositor. The contract tests run the same against each.
#pragma once

// GoogleTest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "client_records.h"
#include "platform/desktop_backend.h"

namespace tavrel::test {

// The X11 backend; the Wayland backend on sway; the GNOME backend on mutter;
// the Plasma backend on KWin.
enum class Target { X11, Wayland, Gnome, Plasma };

std::string TargetName(Target target);

class BackendUnderTest {
public:
    virtual ~BackendUnderTest() = default;
    virtual DesktopBackend& backend() = 0;
    // A new client window titled title (UTF-8).
    virtual std::unique_ptr<TestClient> NewClient(const std::string& title) = 0;
    // One of the named application: its class on X11, its app id on Wayland.
    virtual std::unique_ptr<TestClient> NewClientOf(const std::string& application,
                                                    const std::string& title) = 0;
    // The client's window as the backend's Desktop names it; kNoWindow when
    // it is not listed (yet).
    virtual WindowHandle HandleOf(const TestClient& client) = 0;
    // Puts the pointer over the client's window, where it sees the pointer.
    virtual void PointerInto(TestClient& client) = 0;
    // Whether the desktop carries out a posted minimise (sway does not).
    virtual bool Minimises() const = 0;
    // Whether the backend lists windows (GNOME lets none be listed: a new
    // window there has the focus, and keys go to it).
    virtual bool ListsWindows() const { return true; }
    // Whether keys go as key codes of the user's own layout (GNOME, Plasma),
    // which leaves out what that layout cannot type, dead keys included;
    // else the backend places any character on a key of its own.
    virtual bool TypesOnUserLayout() const { return false; }
};

// Empty when the target's desktop is there; else why not. Under
// TAVREL_REQUIRE_X=1 or TAVREL_REQUIRE_WAYLAND=1 (as scripts/xstack and
// scripts/waystack set) a missing desktop is a failure, not a skip; the
// Wayland targets each need their own compositor (TAVREL_COMPOSITOR).
std::string MissingDesktop(Target target);
bool DesktopRequired(Target target);

// Null (after a failure of the calling test) when the backend cannot be opened.
std::unique_ptr<BackendUnderTest> OpenBackendUnderTest(Target target);

}  // namespace tavrel::test
