// The action runner. Every action that cannot be carried out is skipped
// silently and the command still advances, as a remote control has no place
// to show an error.
#include "actions/action_runner.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <utility>

#include "actions/action_string.h"
#include "actions/message_table.h"
#include "actions/named_keys.h"
#include "commands/command_variants.h"
#include "commands/hex_value.h"
#include "platform/trace.h"
#include "platform/windows.h"

namespace tavrel {

namespace {

// Titles are read into a 201-character buffer while searching and a
// 200-character one when the found window's title is fetched.
constexpr std::size_t kSearchTitleLength = 200;
constexpr std::size_t kFoundTitleLength = 199;

bool allDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Decimal value of a digit text, held at INT32_MAX instead of overflowing.
std::int32_t decimalValue(std::string_view digits) {
    std::int64_t value = 0;
    for (const char c : digits) {
        value = std::min<std::int64_t>(value * 10 + (c - '0'), INT32_MAX);
    }
    return static_cast<std::int32_t>(value);
}

// The plain key path's keys: digits go out as keypad keys, letters without Shift.
std::uint8_t plainPathKey(char c) {
    switch (c) {
        case ' ':
            return vk::SPACE;
        case '*':
            return vk::MULTIPLY;
        case '+':
            return vk::ADD;
        case '-':
            return vk::SUBTRACT;
        case '.':
            return vk::DECIMAL;
        case '/':
            return vk::DIVIDE;
        default:
            break;
    }
    if (c >= '0' && c <= '9') {
        return static_cast<std::uint8_t>(vk::NUMPAD0 + (c - '0'));
    }
    if (c >= 'A' && c <= 'Z') {
        return static_cast<std::uint8_t>(c);
    }
    if (c >= 'a' && c <= 'z') {
        return static_cast<std::uint8_t>(c - 'a' + 'A');
    }
    return 0;
}

}  // namespace

ActionRunner::ActionRunner(Input& input, Desktop& desktop, Processes& processes,
                           TSendKeys& sendKeys, CommandTable& table, const ProgramState& mode,
                           TimerFactory& timers)
    : input_(&input),
      desktop_(&desktop),
      processes_(&processes),
      sendKeys_(&sendKeys),
      table_(&table),
      mode_(&mode),
      timerDelay_(timers.createTimer()) {
    timerDelay_->setEnabled(false);
    timerDelay_->setTickHandler([this] { TimerDelayTimer(); });
}

ActionRunner::~ActionRunner() {
    timerDelay_->setTickHandler({});
}

void ActionRunner::CancelDelayedRun() {
    timerDelay_->setEnabled(false);
    delayed_ = nullptr;
    delayedSettings_ = nullptr;
}

void ActionRunner::RunCommandActions(TComando& command) {
    RunChosen(command, ChooseVariant(command));
}

CommandVariant* ActionRunner::ChooseVariant(TComando& command) {
    if (command.Variantes.empty()) {
        return nullptr;
    }
    if (const std::string refused = desktop_->applicationsUnavailable(); !refused.empty()) {
        TraceEvent(
            [&] { return "the variants of \"" + command.Nombre + "\" are not tried: " + refused; });
        return nullptr;
    }
    const std::optional<ApplicationWindow> active = desktop_->ActiveApplication();
    CommandVariant* chosen =
        active ? MatchingVariant(command, active->application, active->title) : nullptr;
    TraceEvent([&] {
        const std::string front =
            active ? "\"" + active->application + "\" (\"" + active->title + "\") is active"
                   : std::string("no window is active");
        return front + ": " +
               (chosen != nullptr ? "the variant for " + VariantName(*chosen) + " of \""
                                  : "the actions for all other applications of \"") +
               command.Nombre + "\" run";
    });
    return chosen;
}

void ActionRunner::RunChosen(TComando& owner, CommandVariant* variant) {
    ActionSettings& command = variant != nullptr ? static_cast<ActionSettings&>(*variant) : owner;
    if (command.DeVez) {
        command.LoopActual = 0;
        pendingNumber_ = 0;
    }
    if (!owner.Activado || !command.Acciones || command.Loop < 1) {
        return;
    }
    const std::int32_t loop = command.Loop;
    if (runStep(owner, command)) {
        return;
    }
    if (command.Retraso <= 0) {
        // Bounded by the list length even if a step started from the message
        // pump moves LoopActual under this loop.
        for (std::int32_t step = 1; step < loop; ++step) {
            if (runStep(owner, command)) {
                break;
            }
        }
        return;
    }
    delayed_ = &owner;
    delayedSettings_ = &command;
    const std::int64_t interval =
        std::min<std::int64_t>(std::int64_t{command.Retraso} * 1000, INT_MAX);
    timerDelay_->setInterval(static_cast<int>(interval));
    // A press during a delayed run starts it again: the next action follows
    // a whole delay after this one, not when the earlier run's tick falls.
    timerDelay_->setEnabled(false);
    timerDelay_->setEnabled(true);
}

void ActionRunner::TimerDelayTimer() {
    // The table empties current() when its record is deleted or the table is
    // cleared; any other current command is not the run that was started.
    // A variant removed meanwhile is no longer the command's.
    TComando* command = table_->current();
    if (command == nullptr || command != delayed_ || !HoldsSettings(*command, delayedSettings_) ||
        !delayedSettings_->Acciones) {
        CancelDelayedRun();
        return;
    }
    if (runStep(*command, *delayedSettings_)) {
        CancelDelayedRun();
    }
}

bool ActionRunner::RunNextAction(TComando& command) {
    return runStep(command, command);
}

bool ActionRunner::runStep(TComando& owner, ActionSettings& command) {
    if (!command.Acciones || command.Loop < 1) {
        return true;
    }
    // Pending events run while a window is activated and while keys are
    // sent, and may delete the command or the variant that runs: its record
    // is not touched after that.
    const bool listed = table_->positionOf(&owner) != kNoNode;
    const auto gone = [&] {
        return listed && (table_->positionOf(&owner) == kNoNode || !HoldsSettings(owner, &command));
    };
    const bool hasTarget = !command.TargetWindow.empty();
    // Only a destination window moves the foreground, so only then is the
    // window to give it back to asked for before the action (a round trip to
    // the X server that a plain key press does without).
    const WindowHandle prev = hasTarget ? desktop_->GetForegroundWindow() : kNoWindow;
    if (hasTarget) {
        const WindowHandle found = FindWindowByTitlePart(command.TargetWindow);
        if (found == kNoWindow) {
            TraceEvent([&] {
                std::string refused = desktop_->windowsUnavailable();
                if (!refused.empty() && refused.back() == '.') {
                    refused.pop_back();  // the line goes on
                }
                return "destination window \"" + command.TargetWindow + "\" " +
                       (refused.empty() ? std::string("not found") : "not looked for: " + refused) +
                       "; the action goes where the focus is";
            });
        } else {
            const std::string title = desktop_->GetWindowText(found).substr(0, kFoundTitleLength);
            if (!title.empty()) {
                // A title cut at the buffer's length names no window; the
                // window found is then the one meant.
                const WindowHandle exact = sendKeys_->FindWindowByTitle(title);
                ActivateWindow(exact != kNoWindow ? exact : found);
            }
        }
        if (gone()) {
            ActivateWindow(prev);
            return true;
        }
    }

    if (command.LoopActual < 0 || command.LoopActual >= command.Loop) {
        command.LoopActual = 0;  // only a hand-edited file gets here
    }
    std::int32_t index = 0;
    if (command.Loop < 2) {
        index = 0;
    } else if (pendingNumber_ != 0) {
        index = std::clamp(pendingNumber_, 0, command.Loop - 1);
        command.LoopActual = index;
        pendingNumber_ = 0;
    } else if (command.MultiKey) {
        index = 0;
    } else {
        index = command.LoopActual;
    }

    // A copy: the message pump of the keystroke sender may change the list.
    const std::string action = ReadAction(*command.Acciones, index);
    TraceEvent([&] {
        const std::string variant =
            &command == &owner ? std::string()
                               : " for " + VariantName(static_cast<const CommandVariant&>(command));
        return "action " + std::to_string(index) + " of \"" + owner.Nombre + "\"" + variant + ": " +
               action;
    });
    // The step advances before the action runs: a press that arrives while
    // its keys are sent (events run meanwhile) gets the next action.
    bool done = true;
    if (command.LoopActual == command.Loop - 1) {
        command.LoopActual = 0;
    } else {
        ++command.LoopActual;
        done = !command.DeVez;
    }
    // Activating a window that was just asked to minimise or close would
    // undo the request, since the window manager handles both in order.
    bool giveBack = hasTarget;
    switch (ClassifyAction(action)) {
        case ActionKind::PostMessage:
            giveBack =
                !performPostMessage(action, hasTarget ? prev : desktop_->GetForegroundWindow()) &&
                giveBack;
            break;
        case ActionKind::Mouse:
            performMouse(action);
            break;
        case ActionKind::RunProgram:
            if (const std::string commandLine = ReadRunProgram(action); !commandLine.empty()) {
                processes_->Start(commandLine);
            }
            break;
        case ActionKind::TapKey:
            performTapKey(command, action);
            break;
        case ActionKind::None:
            break;
    }

    if (giveBack) {
        ActivateWindow(prev);
    }
    return done || gone();
}

void ActionRunner::ActivateWindow(WindowHandle window) {
    if (window == kNoWindow) {
        return;
    }
    // A minimised window is only restored: restoring brings it to the front.
    if (desktop_->IsIconic(window)) {
        desktop_->RestoreWindow(window);
        return;
    }
    desktop_->RaiseAndActivate(window);
}

WindowHandle ActionRunner::FindWindowByTitlePart(std::string_view text) {
    for (const WindowHandle window : desktop_->TopLevelWindows()) {
        std::string title = desktop_->GetWindowText(window);
        if (title.size() > kSearchTitleLength) {
            title.resize(kSearchTitleLength);
        }
        if (!title.empty() && title.find(text) != std::string::npos) {
            return window;
        }
    }
    return kNoWindow;
}

bool ActionRunner::performPostMessage(std::string_view action, WindowHandle prev) {
    if (prev == kNoWindow) {
        // There is no window that had the foreground to receive it.
        TraceEvent([&] {
            const std::string refused = desktop_->windowsUnavailable();
            return "message not posted: " +
                   (refused.empty() ? std::string("no window has the focus") : refused);
        });
        return false;
    }
    const PostMessageFields f = ReadPostMessage(action);
    const std::uint32_t message = MessageNumber(f.message);
    const std::uint32_t wParam = HexToValue(f.wParam);
    desktop_->PostMessage(prev, message, wParam, HexToValue(f.lParam));
    // The low four bits of a system command are the system's own.
    const std::uint32_t command = wParam & 0xFFF0;
    return message == WM_CLOSE ||
           (message == WM_SYSCOMMAND && (command == SC_MINIMIZE || command == SC_CLOSE));
}

void ActionRunner::performMouse(std::string_view action) {
    const std::optional<MouseFields> f = ReadMouse(action);
    if (!f) {
        return;
    }
    auto click = [this](std::uint32_t down, std::uint32_t up) {
        input_->mouse_event(down, 0, 0);
        input_->mouse_event(up, 0, 0);
    };
    switch (f->click) {
        case 'L':
            click(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
            return;
        case 'M':
            click(MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP);
            return;
        case 'R':
            click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
            return;
        default:
            break;
    }
    const std::int32_t step = mouseStep_ ? mouseStep_() : 1;
    if (f->vertical == 'D') {
        input_->mouse_event(MOUSEEVENTF_MOVE, 0, step);
    } else if (f->vertical == 'U') {
        input_->mouse_event(MOUSEEVENTF_MOVE, 0, -step);
    }
    if (f->horizontal == 'L') {
        input_->mouse_event(MOUSEEVENTF_MOVE, -step, 0);
    } else if (f->horizontal == 'R') {
        input_->mouse_event(MOUSEEVENTF_MOVE, step, 0);
    }
}

void ActionRunner::performTapKey(const ActionSettings& command, std::string_view action) {
    const TapKeyFields f = ReadTapKey(action);
    if (f.keyText.empty()) {
        return;
    }
    // The digit test sees the stored text, so a named key's index counts too.
    if (allDigits(f.keyText) && command.MultiKey && command.Loop == 1) {
        const std::int32_t n = decimalValue(f.keyText);
        pendingNumber_ = n == pendingNumber_ ? 0 : n;
        return;
    }
    if (f.literal && f.keyText == kRestoreKeyword) {
        // A keyword, not text: typing it into whatever window has the focus
        // would only leave stray letters there.
        if (restore_) {
            restore_();
        }
        pendingNumber_ = 0;
        return;
    }
    pendingNumber_ = 0;
    std::optional<int> named;
    if (!f.literal) {
        named = NamedKeyIndex(f.keyText);
        if (!named) {
            return;
        }
    }

    input_->StartOfKeys();
    if (!mode_->AdvancedKeyPress()) {
        plainKeyPath(f, named);
        return;
    }
    // Presses and releases both in the order Alt, Ctrl, Shift.
    const std::pair<bool, unsigned char> presses[] = {
        {f.alt, keycode::PressAlt}, {f.ctrl, keycode::PressCtrl}, {f.shift, keycode::PressShift}};
    KeystrokeString keys;
    for (const auto& [on, press] : presses) {
        if (on) {
            keys.push_back({Keystroke::Kind::Code, press});
        }
    }
    if (named) {
        keys.push_back({Keystroke::Kind::Code, kNamedKeyCodes[static_cast<std::size_t>(*named)]});
    } else {
        AppendText(keys, f.keyText);
    }
    for (const auto& [on, press] : presses) {
        if (on) {
            keys.push_back({Keystroke::Kind::Code, static_cast<unsigned char>(press + 1)});
        }
    }
    sendKeys_->SendKeyString(keys);
}

void ActionRunner::plainKeyPath(const TapKeyFields& f, std::optional<int> named) {
    // Only the first modifier set is held: this path cannot combine them.
    const std::uint8_t modifier = f.alt ? vk::MENU : f.ctrl ? vk::CONTROL : f.shift ? vk::SHIFT : 0;
    auto tap = [this](std::uint8_t key) {
        input_->keybd_event(key, 0, 0);
        input_->keybd_event(key, 0, KEYEVENTF_KEYUP);
    };
    if (modifier != 0) {
        input_->keybd_event(modifier, 0, 0);
    }
    if (named) {
        tap(static_cast<std::uint8_t>(kNamedKeyVirtualKeys[static_cast<std::size_t>(*named)]));
    } else {
        for (const char c : f.keyText) {
            if (const std::uint8_t key = plainPathKey(c); key != 0) {
                tap(key);
            }
        }
    }
    if (modifier != 0) {
        input_->keybd_event(modifier, 0, KEYEVENTF_KEYUP);
    }
}

}  // namespace tavrel
