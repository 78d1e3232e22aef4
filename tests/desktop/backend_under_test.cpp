// The two backends and their clients.
#include "backend_under_test.h"

#include <cstdlib>
#include <map>

#include "platform/text_encoding.h"
#include "platform/windows.h"
#include "test_window.h"
#include "wayland_test_window.h"
// clang-format off
#include "platform/gnome/gnome_backend.h"
#include "platform/plasma/plasma_backend.h"
#include "platform/wayland/wayland_backend.h"
#include "platform/x11/x11_backend.h"
// clang-format on

namespace tavrel::test {
namespace {

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

bool Required(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && std::string(value) == "1";
}

class X11UnderTest final : public BackendUnderTest {
public:
    explicit X11UnderTest(std::unique_ptr<X11Backend> backend) : backend_(std::move(backend)) {}
    DesktopBackend& backend() override { return *backend_; }
    std::unique_ptr<TestClient> NewClient(const std::string& title) override {
        return std::make_unique<TestWindow>(title);
    }
    std::unique_ptr<TestClient> NewClientOf(const std::string& application,
                                            const std::string& title) override {
        return std::make_unique<TestWindow>(title, TestWindow::TitleKind::Utf8,
                                            TestWindow::Focus::Accepts, application);
    }
    WindowHandle HandleOf(const TestClient& client) override {
        const WindowHandle id = static_cast<const TestWindow&>(client).id();
        for (WindowHandle listed : backend_->desktop().TopLevelWindows()) {
            if (listed == id) {
                return id;
            }
        }
        return kNoWindow;
    }
    void PointerInto(TestClient& client) override {
        Display* display = XOpenDisplay(nullptr);
        if (display != nullptr) {
            XWarpPointer(display, 0, static_cast<TestWindow&>(client).id(), 0, 0, 0, 0, 100, 100);
            XSync(display, False);
            XCloseDisplay(display);
        }
    }
    bool Minimises() const override { return true; }

private:
    std::unique_ptr<X11Backend> backend_;
};

class WaylandUnderTest final : public BackendUnderTest {
public:
    WaylandUnderTest(std::unique_ptr<DesktopBackend> backend, Target target)
        : backend_(std::move(backend)), target_(target) {}
    DesktopBackend& backend() override { return *backend_; }
    std::unique_ptr<TestClient> NewClient(const std::string& title) override {
        return NewClientOf("org.tavrel.TestWindow", title);
    }
    std::unique_ptr<TestClient> NewClientOf(const std::string& application,
                                            const std::string& title) override {
        auto client = std::make_unique<WaylandTestWindow>(title, application);
        titles_[client.get()] = Utf8ToCp1252(title);
        // A new window takes the focus once it is shown: it is waited for, so
        // that it takes none away from a window a test activates afterwards.
        client->WaitFor([](const WindowRecords& r) { return r.focused; });
        return client;
    }
    WindowHandle HandleOf(const TestClient& client) override {
        // Wayland names a client's window to nobody else: the title finds it.
        const auto title = titles_.find(&client);
        return title != titles_.end() ? backend_->desktop().FindWindow(title->second) : kNoWindow;
    }
    // Every window covers the output: a nudge brings the pointer into the
    // active one.
    void PointerInto(TestClient&) override {
        backend_->input().mouse_event(MOUSEEVENTF_MOVE, 1, 1);
    }
    bool Minimises() const override { return target_ == Target::Plasma; }
    bool ListsWindows() const override { return target_ != Target::Gnome; }
    bool TypesOnUserLayout() const override { return target_ != Target::Wayland; }

private:
    std::unique_ptr<DesktopBackend> backend_;
    Target target_;
    std::map<const TestClient*, std::string> titles_;
};

}  // namespace

std::string TargetName(Target target) {
    switch (target) {
        case Target::X11:
            return "X11";
        case Target::Wayland:
            return "Wayland";
        case Target::Gnome:
            return "Gnome";
        case Target::Plasma:
            return "Plasma";
    }
    return {};
}

namespace {

// The compositor of scripts/waystack each Wayland target needs.
const char* CompositorOf(Target target) {
    return target == Target::Gnome ? "mutter" : target == Target::Plasma ? "kwin" : "sway";
}

}  // namespace

std::string MissingDesktop(Target target) {
    if (target == Target::X11) {
        // Under a Wayland session the X display is XWayland's, whose windows
        // the compositor manages: the X11 backend's own desktop is Xvfb's.
        if (!Set("DISPLAY") || (Set("WAYLAND_DISPLAY") && !Required("TAVREL_REQUIRE_X"))) {
            return "no X desktop (run under scripts/xstack)";
        }
        return {};
    }
    const char* compositor = std::getenv("TAVREL_COMPOSITOR");
    const std::string needed = CompositorOf(target);
    if (!Set("WAYLAND_DISPLAY") || (compositor != nullptr && needed != compositor)) {
        return "no " + needed + " (run under scripts/waystack" +
               (target == Target::Wayland
                    ? ""
                    : " --" + std::string(needed == "kwin" ? "kwin" : "mutter")) +
               ")";
    }
    return {};
}

bool DesktopRequired(Target target) {
    return Required(target == Target::X11 ? "TAVREL_REQUIRE_X" : "TAVREL_REQUIRE_WAYLAND");
}

std::unique_ptr<BackendUnderTest> OpenBackendUnderTest(Target target) {
    if (target == Target::X11) {
        auto opened = X11Backend::Open();
        EXPECT_NE(opened.backend, nullptr) << opened.problem;
        return opened.backend ? std::make_unique<X11UnderTest>(std::move(opened.backend)) : nullptr;
    }
    DesktopBackendOpen opened = target == Target::Gnome    ? GnomeBackend::Open({})
                                : target == Target::Plasma ? PlasmaBackend::Open({})
                                                           : WaylandBackend::Open({});
    EXPECT_NE(opened.backend, nullptr) << opened.problem;
    EXPECT_EQ(opened.problem, "");
    return opened.backend ? std::make_unique<WaylandUnderTest>(std::move(opened.backend), target)
                          : nullptr;
}

}  // namespace tavrel::test
