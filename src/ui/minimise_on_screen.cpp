// MinimiseOnScreen with a short retry timer.
#include "ui/minimise_on_screen.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace tavrel {
namespace {

constexpr int kRetryMs = 50;
constexpr int kTries = 40;

void Attempt(QPointer<QWidget> window, std::function<bool()> stillWanted, int triesLeft) {
    window->show();
    const QWindow* handle = window->windowHandle();
    if (triesLeft <= 0 || (handle != nullptr && handle->isExposed())) {
        window->showMinimized();
        return;
    }
    QTimer::singleShot(kRetryMs, window, [window, stillWanted, triesLeft] {
        if (window != nullptr && !window->isMinimized() && stillWanted()) {
            Attempt(window, stillWanted, triesLeft - 1);
        }
    });
}

}  // namespace

void MinimiseOnScreen(QWidget& window, std::function<bool()> stillWanted) {
    Attempt(QPointer<QWidget>(&window), std::move(stillWanted), kTries);
}

}  // namespace tavrel
