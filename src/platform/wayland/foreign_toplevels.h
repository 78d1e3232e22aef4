// The compositor's list of top-level windows (the foreign-toplevel protocol
// of wlroots compositors): titles, app ids and states as the compositor last
// announced them, and the requests it offers on each.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/windows.h"

struct zwlr_foreign_toplevel_manager_v1;
struct zwlr_foreign_toplevel_handle_v1;
struct wl_array;

namespace tavrel {

class WaylandConnection;

class ForeignToplevels {
public:
    struct Toplevel {
        WindowHandle id = kNoWindow;
        zwlr_foreign_toplevel_handle_v1* handle = nullptr;
        std::string title;  // UTF-8
        std::string appId;
        bool activated = false;
        bool minimized = false;
        bool maximized = false;
        // When it last became active (0: never seen so) and when it came.
        unsigned long activatedAt = 0;
        unsigned long createdAt = 0;
        // Announced but not yet confirmed by a done event.
        std::string pendingTitle, pendingAppId;
        bool pendingActivated = false, pendingMinimized = false, pendingMaximized = false;
        bool complete = false;
    };

    ForeignToplevels(WaylandConnection& connection, zwlr_foreign_toplevel_manager_v1* manager);
    ~ForeignToplevels();
    ForeignToplevels(const ForeignToplevels&) = delete;
    ForeignToplevels& operator=(const ForeignToplevels&) = delete;

    // The windows as far as the protocol tells their stacking: the active
    // one, then the others by when they were last active, the newest first.
    std::vector<const Toplevel*> Stacking() const;
    const Toplevel* Find(WindowHandle id) const;

    void Activate(WindowHandle id);
    void SetMinimized(WindowHandle id, bool minimized);
    void SetMaximized(WindowHandle id, bool maximized);
    void Close(WindowHandle id);

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
