// Following KWin's window management events; a window counts once KWin has
// told its initial state.
#include "platform/plasma/plasma_windows.h"

#include <wayland-client.h>

#include <algorithm>

#include "plasma-window-management-client.h"
#include "platform/wayland/wayland_connection.h"

namespace tavrel {

// The window events this side follows, the rest ignored.
struct PlasmaWindowEvents {
    static PlasmaWindows::PlasmaWindow* Own(void* data, org_kde_plasma_window* handle) {
        return static_cast<PlasmaWindows*>(data)->Own(handle);
    }
    static void Title(void* data, org_kde_plasma_window* handle, const char* title) {
        if (auto* window = Own(data, handle)) {
            window->title = title;
        }
    }
    static void AppId(void* data, org_kde_plasma_window* handle, const char* appId) {
        if (auto* window = Own(data, handle)) {
            window->appId = appId;
        }
    }
    static void State(void* data, org_kde_plasma_window* handle, std::uint32_t flags) {
        if (auto* window = Own(data, handle)) {
            window->activated = (flags & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE) != 0;
            window->minimized = (flags & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_MINIMIZED) != 0;
            window->maximized = (flags & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_MAXIMIZED) != 0;
        }
    }
    static void Initial(void* data, org_kde_plasma_window* handle) {
        if (auto* window = Own(data, handle)) {
            window->complete = true;
        }
    }
    static void Unmapped(void* data, org_kde_plasma_window* handle) {
        auto& all = static_cast<PlasmaWindows*>(data)->windows_;
        const auto gone = std::find_if(all.begin(), all.end(), [handle](const auto& window) {
            return window->handle == handle;
        });
        if (gone != all.end()) {
            org_kde_plasma_window_destroy(handle);
            all.erase(gone);
        }
    }
};

namespace {

const org_kde_plasma_window_listener kWindowListener = {
    &PlasmaWindowEvents::Title,
    &PlasmaWindowEvents::AppId,
    &PlasmaWindowEvents::State,
    [](void*, org_kde_plasma_window*, std::int32_t) {},  // virtual_desktop_changed
    [](void*, org_kde_plasma_window*, const char*) {},   // themed_icon_name_changed
    &PlasmaWindowEvents::Unmapped,
    &PlasmaWindowEvents::Initial,
    [](void*, org_kde_plasma_window*, org_kde_plasma_window*) {},  // parent_window
    [](void*, org_kde_plasma_window*, std::int32_t, std::int32_t, std::uint32_t, std::uint32_t) {
    },                                                               // geometry
    [](void*, org_kde_plasma_window*) {},                            // icon_changed
    [](void*, org_kde_plasma_window*, std::uint32_t) {},             // pid_changed
    [](void*, org_kde_plasma_window*, const char*) {},               // virtual_desktop_entered
    [](void*, org_kde_plasma_window*, const char*) {},               // virtual_desktop_left
    [](void*, org_kde_plasma_window*, const char*, const char*) {},  // application_menu
    [](void*, org_kde_plasma_window*, const char*) {},               // activity_entered
    [](void*, org_kde_plasma_window*, const char*) {},               // activity_left
    [](void*, org_kde_plasma_window*, const char*) {},               // resource_name_changed
};

}  // namespace

PlasmaWindows::PlasmaWindows(WaylandConnection& connection,
                             org_kde_plasma_window_management* manager)
    : connection_(connection), manager_(manager) {
    static const org_kde_plasma_window_management_listener listener = {
        [](void*, org_kde_plasma_window_management*, std::uint32_t) {},  // show_desktop_changed
        [](void*, org_kde_plasma_window_management*, std::uint32_t) {},  // window: by uuid below
        [](void*, org_kde_plasma_window_management*, wl_array*) {},      // stacking by ids
        &PlasmaWindows::OnStacking,
        &PlasmaWindows::OnWindow,
    };
    org_kde_plasma_window_management_add_listener(manager_, &listener, this);
}

PlasmaWindows::~PlasmaWindows() {
    for (const auto& window : windows_) {
        org_kde_plasma_window_destroy(window->handle);
    }
    org_kde_plasma_window_management_destroy(manager_);
    connection_.Flush();
}

void PlasmaWindows::OnWindow(void* data, org_kde_plasma_window_management* manager,
                             std::uint32_t /*id*/, const char* uuid) {
    auto* self = static_cast<PlasmaWindows*>(data);
    auto window = std::make_unique<PlasmaWindow>();
    window->id = self->nextId_++;
    window->uuid = uuid;
    window->handle = org_kde_plasma_window_management_get_window_by_uuid(manager, uuid);
    org_kde_plasma_window_add_listener(window->handle, &kWindowListener, self);
    self->windows_.push_back(std::move(window));
}

void PlasmaWindows::OnStacking(void* data, org_kde_plasma_window_management* /*manager*/,
                               const char* uuids) {
    auto& stacking = static_cast<PlasmaWindows*>(data)->stacking_;
    stacking.clear();
    std::string all = uuids;
    for (std::size_t start = 0; start <= all.size();) {
        const std::size_t end = std::min(all.find(';', start), all.size());
        if (end > start) {
            stacking.push_back(all.substr(start, end - start));
        }
        start = end + 1;
    }
}

PlasmaWindows::PlasmaWindow* PlasmaWindows::Own(org_kde_plasma_window* handle) {
    for (const auto& window : windows_) {
        if (window->handle == handle) {
            return window.get();
        }
    }
    return nullptr;
}

PlasmaWindows::PlasmaWindow* PlasmaWindows::Writable(WindowHandle id) {
    for (const auto& window : windows_) {
        if (window->id == id && window->complete) {
            return window.get();
        }
    }
    return nullptr;
}

const WindowList::Window* PlasmaWindows::Find(WindowHandle id) const {
    return const_cast<PlasmaWindows*>(this)->Writable(id);
}

std::vector<const WindowList::Window*> PlasmaWindows::Stacking() const {
    // KWin's stacking order, the topmost first; a window it has not placed
    // in it yet comes after the rest.
    const auto place = [this](const PlasmaWindow& window) {
        const auto found = std::find(stacking_.rbegin(), stacking_.rend(), window.uuid);
        return found - stacking_.rbegin();
    };
    std::vector<const PlasmaWindow*> order;
    for (const auto& window : windows_) {
        if (window->complete) {
            order.push_back(window.get());
        }
    }
    std::stable_sort(order.begin(), order.end(), [&](const PlasmaWindow* a, const PlasmaWindow* b) {
        return place(*a) < place(*b);
    });
    return {order.begin(), order.end()};
}

void PlasmaWindows::SetState(WindowHandle id, std::uint32_t flag, bool on) {
    if (PlasmaWindow* window = Writable(id)) {
        org_kde_plasma_window_set_state(window->handle, flag, on ? flag : 0);
        connection_.Flush();
    }
}

void PlasmaWindows::Activate(WindowHandle id) {
    SetState(id, ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE, true);
}

void PlasmaWindows::SetMinimized(WindowHandle id, bool minimized) {
    SetState(id, ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_MINIMIZED, minimized);
}

void PlasmaWindows::SetMaximized(WindowHandle id, bool maximized) {
    SetState(id, ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_MAXIMIZED, maximized);
}

void PlasmaWindows::Close(WindowHandle id) {
    if (PlasmaWindow* window = Writable(id)) {
        org_kde_plasma_window_close(window->handle);
        connection_.Flush();
    }
}

}  // namespace tavrel
