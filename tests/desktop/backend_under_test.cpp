// The two backends and their clients.
#include "backend_under_test.h"

#include <cstdlib>
#include <map>

#include "platform/text_encoding.h"
#include "platform/windows.h"
#include "test_window.h"
#include "wayland_test_window.h"
// clang-format off
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
    explicit WaylandUnderTest(std::unique_ptr<DesktopBackend> backend)
        : backend_(std::move(backend)) {}
    DesktopBackend& backend() override { return *backend_; }
    std::unique_ptr<TestClient> NewClient(const std::string& title) override {
        return NewClientOf("org.tavrel.TestWindow", title);
    }
    std::unique_ptr<TestClient> NewClientOf(const std::string& application,
                                            const std::string& title) override {
        auto client = std::make_unique<WaylandTestWindow>(title, application);
        titles_[client.get()] = Utf8ToCp1252(title);
        return client;
    }
    WindowHandle HandleOf(const TestClient& client) override {
        // Wayland names a client's window to nobody else: the title finds it.
        const auto title = titles_.find(&client);
        return title != titles_.end() ? backend_->desktop().FindWindow(title->second) : kNoWindow;
    }
    // Every window covers the output (scripts/waystack): a nudge brings the
    // pointer into the active one.
    void PointerInto(TestClient&) override {
        backend_->input().mouse_event(MOUSEEVENTF_MOVE, 1, 1);
    }
    bool Minimises() const override { return false; }

private:
    std::unique_ptr<DesktopBackend> backend_;
    std::map<const TestClient*, std::string> titles_;
};

}  // namespace

std::string TargetName(Target target) {
    return target == Target::X11 ? "X11" : "Wayland";
}

std::string MissingDesktop(Target target) {
    if (target == Target::X11) {
        // Under a Wayland session the X display is XWayland's, whose windows
        // the compositor manages: the X11 backend's own desktop is Xvfb's.
        if (!Set("DISPLAY") || (Set("WAYLAND_DISPLAY") && !Required("TAVREL_REQUIRE_X"))) {
            return "no X desktop (run under scripts/xstack)";
        }
        return {};
    }
    return Set("WAYLAND_DISPLAY") ? "" : "no Wayland display (run under scripts/waystack)";
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
    DesktopBackendOpen opened = WaylandBackend::Open({});
    EXPECT_NE(opened.backend, nullptr) << opened.problem;
    EXPECT_EQ(opened.problem, "");
    return opened.backend ? std::make_unique<WaylandUnderTest>(std::move(opened.backend)) : nullptr;
}

}  // namespace tavrel::test
