// The compositor's list of top-level windows (the foreign-toplevel protocol
// of wlroots compositors): titles, app ids and states as the compositor last
// announced them, and the requests it offers on each.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/wayland/window_list.h"

struct zwlr_foreign_toplevel_manager_v1;
struct zwlr_foreign_toplevel_handle_v1;
struct wl_array;

namespace tavrel {

class WaylandConnection;

class ForeignToplevels final : public WindowList {
public:
    struct Toplevel : Window {
        zwlr_foreign_toplevel_handle_v1* handle = nullptr;
        // When it last became active (0: never seen so) and when it came.
        unsigned long activatedAt = 0;
        unsigned long createdAt = 0;
        // Announced but not yet confirmed by a done event.
        std::string pendingTitle, pendingAppId;
        bool pendingActivated = false, pendingMinimized = false, pendingMaximized = false;
        bool complete = false;
    };

    ForeignToplevels(WaylandConnection& connection, zwlr_foreign_toplevel_manager_v1* manager);
    ~ForeignToplevels() override;
    ForeignToplevels(const ForeignToplevels&) = delete;
    ForeignToplevels& operator=(const ForeignToplevels&) = delete;

    // The windows as far as the protocol tells their stacking: the active
    // one, then the others by when they were last active, the newest first.
    std::vector<const Window*> Stacking() const override;
    const Window* Find(WindowHandle id) const override;

    void Activate(WindowHandle id) override;
    void SetMinimized(WindowHandle id, bool minimized) override;
    void SetMaximized(WindowHandle id, bool maximized) override;
    void Close(WindowHandle id) override;

private:
    static void OnToplevel(void* data, zwlr_foreign_toplevel_manager_v1* manager,
                           zwlr_foreign_toplevel_handle_v1* handle);
    static void OnFinished(void* data, zwlr_foreign_toplevel_manager_v1* manager);
    static void OnTitle(void* data, zwlr_foreign_toplevel_handle_v1* handle, const char* title);
    static void OnAppId(void* data, zwlr_foreign_toplevel_handle_v1* handle, const char* appId);
    static void OnState(void* data, zwlr_foreign_toplevel_handle_v1* handle, wl_array* state);
    static void OnDone(void* data, zwlr_foreign_toplevel_handle_v1* handle);
    static void OnClosed(void* data, zwlr_foreign_toplevel_handle_v1* handle);
    Toplevel* Own(zwlr_foreign_toplevel_handle_v1* handle);
    Toplevel* Writable(WindowHandle id);

    WaylandConnection& connection_;
    zwlr_foreign_toplevel_manager_v1* manager_;
    std::vector<Toplevel> toplevels_;
    WindowHandle nextId_ = 1;
    unsigned long clock_ = 0;
};

}  // namespace tavrel
