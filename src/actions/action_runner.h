// The action runner: performs a recognised command's actions on the desktop,
// one per press or all at once, and keeps the runner's shared state.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "actions/action_string.h"
#include "actions/send_keys.h"
#include "commands/command_runner.h"
#include "commands/command_table.h"
#include "commands/program_state.h"
#include "platform/desktop.h"
#include "platform/input.h"
#include "platform/processes.h"
#include "platform/timer.h"

namespace tavrel {

class ActionRunner : public CommandRunner {
public:
    // The timer TimerDelay is created from timers, disabled. Delayed runs
    // read table.current() on every tick. mode chooses the keystroke path
    // (AdvancedKeyPress) at every key action.
    ActionRunner(Input& input, Desktop& desktop, Processes& processes, TSendKeys& sendKeys,
                 CommandTable& table, const ProgramState& mode, TimerFactory& timers);
    ~ActionRunner() override;
    ActionRunner(const ActionRunner&) = delete;
    ActionRunner& operator=(const ActionRunner&) = delete;

    // Code capture owns MouseStep; without a provider the step is 1.
    void setMouseStepProvider(std::function<std::int32_t()> mouseStep) {
        mouseStep_ = std::move(mouseStep);
    }
    // Brings the program's own main window back; called for "RestoreTavrel".
    void setRestoreApplication(std::function<void()> restore) { restore_ = std::move(restore); }

    std::int32_t PendingNumber() const { return pendingNumber_; }
    void setPendingNumber(std::int32_t n) { pendingNumber_ = n; }

    Timer& TimerDelay() { return *timerDelay_; }
    // Stops a delayed run at once (for a reload of the table, for example).
    void CancelDelayedRun();

    // Runs the variant of the command that matches the active window, or
    // the command's own actions.
    void RunCommandActions(TComando& command) override;
    // The command's variant for the active window as the desktop last told
    // of it; null when the command has none for it (or the desktop cannot
    // tell): its own actions run then. Asks the desktop only when the
    // command has variants.
    CommandVariant* ChooseVariant(TComando& command);
    // Runs variant (one of the command's) or, when null, the command's own actions.
    void RunChosen(TComando& command, CommandVariant* variant);
    // Performs the command's current action and advances LoopActual; true
    // when nothing more is to be run now.
    bool RunNextAction(TComando& command);
    void TimerDelayTimer();

    void ActivateWindow(WindowHandle window);
    WindowHandle FindWindowByTitlePart(std::string_view text);

private:
    // RunNextAction on settings, the command's own or one of its variants.
    bool runStep(TComando& owner, ActionSettings& settings);
    // Returns true when the message asks prev to minimise or close.
    bool performPostMessage(std::string_view action, WindowHandle prev);
    void performMouse(std::string_view action);
    void performTapKey(const ActionSettings& command, std::string_view action);
    void plainKeyPath(const TapKeyFields& fields, std::optional<int> named);

    Input* input_;
    Desktop* desktop_;
    Processes* processes_;
    TSendKeys* sendKeys_;
    CommandTable* table_;
    const ProgramState* mode_;
    std::unique_ptr<Timer> timerDelay_;
    std::function<std::int32_t()> mouseStep_;
    std::function<void()> restore_;
    std::int32_t pendingNumber_ = 0;
    const TComando* delayed_ = nullptr;          // the record a delayed run belongs to
    ActionSettings* delayedSettings_ = nullptr;  // what of it runs: its own or a variant
};

}  // namespace tavrel
