// Window stacking and activation as a window manager would apply them.
#include "platform/fake/fake_desktop.h"

#include <algorithm>

namespace tavrel {

WindowHandle FakeDesktop::addWindow(std::string title, bool iconic) {
    windows_.push_back({nextHandle_, std::move(title), iconic, {}});
    return nextHandle_++;
}

FakeDesktop::Window* FakeDesktop::find(WindowHandle window) {
    auto it = std::find_if(windows_.begin(), windows_.end(),
                           [window](const Window& w) { return w.handle == window; });
    return it == windows_.end() ? nullptr : &*it;
}

void FakeDesktop::setIconic(WindowHandle window, bool iconic) {
    if (Window* w = find(window)) {
        w->iconic = iconic;
    }
}

void FakeDesktop::setApplication(WindowHandle window, std::string application) {
    if (Window* w = find(window)) {
        w->application = std::move(application);
    }
}

std::optional<ApplicationWindow> FakeDesktop::ActiveApplication() {
    ++activeApplicationQueries;
    const Window* w = applicationsRefused.empty() ? find(foreground_) : nullptr;
    if (w == nullptr) {
        return std::nullopt;
    }
    return ApplicationWindow{w->handle, w->application, w->title};
}

std::vector<ApplicationWindow> FakeDesktop::ApplicationWindows() {
    std::vector<ApplicationWindow> result;
    if (!applicationsRefused.empty()) {
        return result;
    }
    for (const Window& w : windows_) {
        result.push_back({w.handle, w.application, w.title});
    }
    return result;
}

std::vector<WindowHandle> FakeDesktop::TopLevelWindows() {
    std::vector<WindowHandle> result;
    if (!windowsRefused.empty()) {
        return result;
    }
    for (const Window& w : windows_) {
        result.push_back(w.handle);
    }
    return result;
}

std::string FakeDesktop::GetWindowText(WindowHandle window) {
    const Window* w = find(window);
    return w != nullptr ? w->title : std::string();
}

WindowHandle FakeDesktop::FindWindow(const std::string& title) {
    for (const Window& w : windows_) {
        if (w.title == title) {
            return w.handle;
        }
    }
    return kNoWindow;
}

bool FakeDesktop::IsIconic(WindowHandle window) {
    const Window* w = find(window);
    return w != nullptr && w->iconic;
}

void FakeDesktop::RestoreWindow(WindowHandle window) {
    log_->add("RestoreWindow(" + std::to_string(window) + ")");
    setIconic(window, false);
}

void FakeDesktop::RaiseAndActivate(WindowHandle window) {
    log_->add("RaiseAndActivate(" + std::to_string(window) + ")");
    auto it = std::find_if(windows_.begin(), windows_.end(),
                           [window](const Window& w) { return w.handle == window; });
    if (it != windows_.end()) {
        std::rotate(windows_.begin(), it, it + 1);
        foreground_ = window;
    }
    if (whileActivating) {
        whileActivating();
    }
}

bool FakeDesktop::PostMessage(WindowHandle window, std::uint32_t message, std::uint32_t wParam,
                              std::uint32_t lParam) {
    log_->add("PostMessage(" + std::to_string(window) + ", " + std::to_string(message) + ", " +
              std::to_string(wParam) + ", " + std::to_string(lParam) + ")");
    return postMessageResult && find(window) != nullptr;
}

}  // namespace tavrel
