// Stamping the moves of the focus that commands make.
#include "app/focus_moves.h"

namespace tavrel {

bool FocusMovesWatch::movedJustNow() const {
    return moved_ != std::chrono::steady_clock::time_point{} &&
           std::chrono::steady_clock::now() - moved_ < kHandOver;
}

void FocusMovesWatch::RestoreWindow(WindowHandle window) {
    desktop_.RestoreWindow(window);
    moved_ = std::chrono::steady_clock::now();
}

void FocusMovesWatch::RaiseAndActivate(WindowHandle window) {
    desktop_.RaiseAndActivate(window);
    moved_ = std::chrono::steady_clock::now();
}

bool FocusMovesWatch::PostMessage(WindowHandle window, std::uint32_t message, std::uint32_t wParam,
                                  std::uint32_t lParam) {
    const bool posted = desktop_.PostMessage(window, message, wParam, lParam);
    moved_ = std::chrono::steady_clock::now();
    return posted;
}

}  // namespace tavrel
