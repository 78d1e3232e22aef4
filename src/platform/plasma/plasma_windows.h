// KWin's window list (the Plasma window management protocol, offered only to
// programs its installed desktop file names): titles, app ids, states and
// the stacking order as KWin last told them, and the requests it takes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/wayland/window_list.h"

struct org_kde_plasma_window_management;
struct org_kde_plasma_window;

namespace tavrel {

class WaylandConnection;

class PlasmaWindows final : public WindowList {
public:
    // The highest version this side knows the events of.
    static constexpr unsigned kVersion = 13;

    PlasmaWindows(WaylandConnection& connection, org_kde_plasma_window_management* manager);
    ~PlasmaWindows() override;
    PlasmaWindows(const PlasmaWindows&) = delete;
    PlasmaWindows& operator=(const PlasmaWindows&) = delete;

    std::vector<const Window*> Stacking() const override;
    const Window* Find(WindowHandle id) const override;

    void Activate(WindowHandle id) override;
    void SetMinimized(WindowHandle id, bool minimized) override;
    void SetMaximized(WindowHandle id, bool maximized) override;
    void Close(WindowHandle id) override;

    struct PlasmaWindow : Window {
        org_kde_plasma_window* handle = nullptr;
        std::string uuid;
        bool complete = false;  // KWin has told its initial state
    };

private:
    static void OnWindow(void* data, org_kde_plasma_window_management* manager, std::uint32_t id,
                         const char* uuid);
    static void OnStacking(void* data, org_kde_plasma_window_management* manager,
                           const char* uuids);
    PlasmaWindow* Writable(WindowHandle id);
    PlasmaWindow* Own(org_kde_plasma_window* handle);
    void SetState(WindowHandle id, std::uint32_t flag, bool on);

    WaylandConnection& connection_;
    org_kde_plasma_window_management* manager_;
    // Each its own allocation: the protocol's events point at their window.
    std::vector<std::unique_ptr<PlasmaWindow>> windows_;
    std::vector<std::string> stacking_;  // uuids, the bottom first
    WindowHandle nextId_ = 1;

    friend struct PlasmaWindowEvents;
};

}  // namespace tavrel
