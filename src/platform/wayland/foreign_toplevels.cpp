// Following the foreign-toplevel events; a window's state counts once its
// done event confirms it.
#include "platform/wayland/foreign_toplevels.h"

#include <wayland-client.h>

#include <algorithm>

#include "platform/wayland/wayland_connection.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client.h"

namespace tavrel {

ForeignToplevels::ForeignToplevels(WaylandConnection& connection,
                                   zwlr_foreign_toplevel_manager_v1* manager)
    : connection_(connection), manager_(manager) {
    static const zwlr_foreign_toplevel_manager_v1_listener listener = {
        &ForeignToplevels::OnToplevel, &ForeignToplevels::OnFinished};
    zwlr_foreign_toplevel_manager_v1_add_listener(manager_, &listener, this);
}

ForeignToplevels::~ForeignToplevels() {
    // Windows announced before the compositor read the stop still arrive,
    // each a new object: they are taken in, then all let go.
    if (manager_ != nullptr) {
        zwlr_foreign_toplevel_manager_v1_stop(manager_);
        connection_.Roundtrip();
    }
    for (const Toplevel& toplevel : toplevels_) {
        zwlr_foreign_toplevel_handle_v1_destroy(toplevel.handle);
    }
    if (manager_ != nullptr) {
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(manager_));
    }
    connection_.Flush();
}

void ForeignToplevels::OnToplevel(void* data, zwlr_foreign_toplevel_manager_v1* /*manager*/,
                                  zwlr_foreign_toplevel_handle_v1* handle) {
    static const zwlr_foreign_toplevel_handle_v1_listener listener = {
        &ForeignToplevels::OnTitle,
        &ForeignToplevels::OnAppId,
        [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},  // output_enter
        [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},  // output_leave
        &ForeignToplevels::OnState,
        &ForeignToplevels::OnDone,
        &ForeignToplevels::OnClosed,
        [](void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {},  // parent
    };
    auto* self = static_cast<ForeignToplevels*>(data);
    Toplevel toplevel;
    toplevel.id = self->nextId_++;
    toplevel.handle = handle;
    toplevel.createdAt = ++self->clock_;
    self->toplevels_.push_back(toplevel);
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &listener, self);
}

void ForeignToplevels::OnFinished(void* data, zwlr_foreign_toplevel_manager_v1* manager) {
    auto* self = static_cast<ForeignToplevels*>(data);
    wl_proxy_destroy(reinterpret_cast<wl_proxy*>(manager));
    self->manager_ = nullptr;
}

ForeignToplevels::Toplevel* ForeignToplevels::Own(zwlr_foreign_toplevel_handle_v1* handle) {
    for (Toplevel& toplevel : toplevels_) {
        if (toplevel.handle == handle) {
            return &toplevel;
        }
    }
    return nullptr;
}

void ForeignToplevels::OnTitle(void* data, zwlr_foreign_toplevel_handle_v1* handle,
                               const char* title) {
    if (Toplevel* toplevel = static_cast<ForeignToplevels*>(data)->Own(handle)) {
        toplevel->pendingTitle = title;
    }
}

void ForeignToplevels::OnAppId(void* data, zwlr_foreign_toplevel_handle_v1* handle,
                               const char* appId) {
    if (Toplevel* toplevel = static_cast<ForeignToplevels*>(data)->Own(handle)) {
        toplevel->pendingAppId = appId;
    }
}

void ForeignToplevels::OnState(void* data, zwlr_foreign_toplevel_handle_v1* handle,
                               wl_array* state) {
    Toplevel* toplevel = static_cast<ForeignToplevels*>(data)->Own(handle);
    if (toplevel == nullptr) {
        return;
    }
    toplevel->pendingActivated = toplevel->pendingMinimized = toplevel->pendingMaximized = false;
    const auto* values = static_cast<const std::uint32_t*>(state->data);
    for (std::size_t i = 0; i < state->size / sizeof(std::uint32_t); ++i) {
        switch (values[i]) {
            case ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED:
                toplevel->pendingActivated = true;
                break;
            case ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_MINIMIZED:
                toplevel->pendingMinimized = true;
                break;
            case ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_MAXIMIZED:
                toplevel->pendingMaximized = true;
                break;
            default:
                break;
        }
    }
}

void ForeignToplevels::OnDone(void* data, zwlr_foreign_toplevel_handle_v1* handle) {
    auto* self = static_cast<ForeignToplevels*>(data);
    Toplevel* toplevel = self->Own(handle);
    if (toplevel == nullptr) {
        return;
    }
    if (toplevel->pendingActivated && !toplevel->activated) {
        toplevel->activatedAt = ++self->clock_;
    }
    toplevel->title = toplevel->pendingTitle;
    toplevel->appId = toplevel->pendingAppId;
    toplevel->activated = toplevel->pendingActivated;
    toplevel->minimized = toplevel->pendingMinimized;
    toplevel->maximized = toplevel->pendingMaximized;
    toplevel->complete = true;
}

void ForeignToplevels::OnClosed(void* data, zwlr_foreign_toplevel_handle_v1* handle) {
    auto* self = static_cast<ForeignToplevels*>(data);
    auto& all = self->toplevels_;
    const auto gone = std::find_if(all.begin(), all.end(),
                                   [handle](const Toplevel& t) { return t.handle == handle; });
    if (gone != all.end()) {
        zwlr_foreign_toplevel_handle_v1_destroy(handle);
        all.erase(gone);
    }
}

std::vector<const WindowList::Window*> ForeignToplevels::Stacking() const {
    std::vector<const Toplevel*> order;
    for (const Toplevel& toplevel : toplevels_) {
        if (toplevel.complete) {
            order.push_back(&toplevel);
        }
    }
    std::stable_sort(order.begin(), order.end(), [](const Toplevel* a, const Toplevel* b) {
        if (a->activated != b->activated) {
            return a->activated;
        }
        if (a->activatedAt != b->activatedAt) {
            return a->activatedAt > b->activatedAt;
        }
        return a->createdAt > b->createdAt;
    });
    return {order.begin(), order.end()};
}

const WindowList::Window* ForeignToplevels::Find(WindowHandle id) const {
    return const_cast<ForeignToplevels*>(this)->Writable(id);
}

ForeignToplevels::Toplevel* ForeignToplevels::Writable(WindowHandle id) {
    for (Toplevel& toplevel : toplevels_) {
        if (toplevel.id == id && toplevel.complete) {
            return &toplevel;
        }
    }
    return nullptr;
}

void ForeignToplevels::Activate(WindowHandle id) {
    if (Toplevel* toplevel = Writable(id); toplevel != nullptr && connection_.seat() != nullptr) {
        zwlr_foreign_toplevel_handle_v1_activate(toplevel->handle, connection_.seat());
        connection_.Flush();
    }
}

void ForeignToplevels::SetMinimized(WindowHandle id, bool minimized) {
    if (Toplevel* toplevel = Writable(id)) {
        if (minimized) {
            zwlr_foreign_toplevel_handle_v1_set_minimized(toplevel->handle);
        } else {
            zwlr_foreign_toplevel_handle_v1_unset_minimized(toplevel->handle);
        }
        connection_.Flush();
    }
}

void ForeignToplevels::SetMaximized(WindowHandle id, bool maximized) {
    if (Toplevel* toplevel = Writable(id)) {
        if (maximized) {
            zwlr_foreign_toplevel_handle_v1_set_maximized(toplevel->handle);
        } else {
            zwlr_foreign_toplevel_handle_v1_unset_maximized(toplevel->handle);
        }
        connection_.Flush();
    }
}

void ForeignToplevels::Close(WindowHandle id) {
    if (Toplevel* toplevel = Writable(id)) {
        zwlr_foreign_toplevel_handle_v1_close(toplevel->handle);
        connection_.Flush();
    }
}

}  // namespace tavrel
