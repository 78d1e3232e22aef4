// The main window's modes: editing with the window shown, running in the
// tray (or minimised where there is none), and the steps between them.
#include <QGuiApplication>
#include <QTimer>

#include "commands/program_state.h"
#include "ui/action_editor.h"
#include "ui/ficha.h"
#include "ui/main_window_services.h"
#include "ui/message_boxes.h"
#include "ui/minimise_on_screen.h"
#include "ui/notification_icon.h"
#include "ui/text_edge.h"
#include "ui_Principal.h"

namespace tavrel {

namespace {

bool MinimiseUnreported() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

}  // namespace

void TFicha::AppMinimize() {
    running_ = true;
    leftSinceMinimise_ = false;
    tray_.SetShowIcon(true);
    if (tray_.Available()) {
        hide();
    } else {
        // Without a notification area a hidden window could never come back.
        minimiseOnScreen();
    }
}

void TFicha::AppRestore() {
    running_ = false;
    tray_.SetShowIcon(false);
    showNormal();
    raise();
    activateWindow();
    ui_->ActionEditor->FillTargetWindowList();
    ui_->ActionEditor->ShowActions();
}

// Running mode follows a notification area that comes or goes: into it when
// it comes, back to the minimised window (restored from the task bar) when it goes.
void TFicha::minimiseOnScreen() {
    MinimiseOnScreen(*this, [this] { return running_ && !tray_.Available(); });
}

void TFicha::trayAvailabilityChanged(bool available) {
    if (running_) {
        available ? hide() : minimiseOnScreen();
    }
}

void TFicha::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (MinimiseUnreported() && running_ && !tray_.Available()) {
        // The window's state says nothing here (a compositor may even ignore
        // the minimise): back to editing when the user comes back to it, not
        // when a window a command closed hands the focus on to it.
        if (event->type() == QEvent::ActivationChange && isVisible()) {
            if (!isActiveWindow()) {
                leftSinceMinimise_ = true;
            } else if (leftSinceMinimise_ && !services_.focusMovedByCommand()) {
                ConfigurarClick();
            }
        }
        return;
    }
    if (event->type() != QEvent::WindowStateChange) {
        return;
    }
    // Some window managers offer a minimise button despite the fixed frame:
    // that minimise in editing mode is the application's minimise.
    if (!running_ && isMinimized()) {
        QTimer::singleShot(0, this, [this] {
            if (!running_ && isMinimized()) {
                AppMinimize();
            }
        });
    } else if (running_ && !tray_.Available() && !isMinimized() && isVisible()) {
        // Restored from the task bar without a tray: back to editing, like
        // the icon's double click.
        ConfigurarClick();
    }
}

void TFicha::ConfigurarClick() {
    AppRestore();
    ui_->BotonAceptar->setFocus();
    state_.setEditMode(true);
}

// The files are written and the table reloaded first; only a Save/Run that
// worked leaves editing mode.
void TFicha::BotonAceptarClick() {
    enterRunningMode(saveRun());
}

std::optional<std::string> TFicha::saveRun() {
    ProgramSettings settings;
    settings.Settings = state_.commandsPath();
    settings.Language = state_.translationPath();
    settings.LogFile = state_.logPath();
    settings.Sonido = state_.Sonido();
    settings.AdvancedKeyPress = state_.AdvancedKeyPress();
    settings.Arranque = ui_->Startminimized->isChecked();
    settings.ShowCommands = state_.ShowCommands();
    return services_.SaveRun(settings);
}

void TFicha::enterRunningMode(const std::optional<std::string>& failure) {
    if (failure) {
        // Also at start-up with "Load minimized", which began in running mode.
        state_.setEditMode(true);
        boxes_.Error(QStringLiteral("Tavrel"), TrFileProblem(translate_, *failure));
        return;
    }
    AppMinimize();
    state_.setEditMode(false);
}

void TFicha::BotonCancelarClick() {
    state_.setEditMode(false);
    AppMinimize();
}

}  // namespace tavrel
