// The backend chooser.
#include "app/desktop_choice.h"

#include <algorithm>
#include <cstdlib>

#include "platform/trace.h"

namespace tavrel {
namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string Quoted(const std::string& name, const std::string& value) {
    return name + " is \"" + value + "\"";
}

std::string AbilityText(const char* what, const Ability& ability) {
    return std::string(what) + (ability.available ? " yes" : " no (" + ability.reason + ")");
}

}  // namespace

DesktopEnvironment DesktopEnvironment::FromProcess() {
    return {Variable("TAVREL_INPUT"), Variable("WAYLAND_DISPLAY"), Variable("DISPLAY")};
}

const char* BackendName(BackendKind kind) {
    switch (kind) {
        case BackendKind::X11:
            return "x11";
        case BackendKind::Wayland:
            return "wayland";
        case BackendKind::Uinput:
            return "uinput";
        case BackendKind::Gnome:
            return "gnome";
        case BackendKind::Plasma:
            return "plasma";
    }
    return "";
}

std::vector<BackendCandidate> BackendOrder(const DesktopEnvironment& environment,
                                           std::string* problem) {
    std::vector<BackendCandidate> order;
    const auto add = [&order](BackendKind kind, std::string why) {
        const bool listed =
            std::any_of(order.begin(), order.end(),
                        [kind](const BackendCandidate& c) { return c.kind == kind; });
        if (!listed) {
            order.push_back({kind, std::move(why)});
        }
    };
    if (!environment.input.empty()) {
        bool known = false;
        for (BackendKind kind : {BackendKind::X11, BackendKind::Wayland, BackendKind::Uinput,
                                 BackendKind::Gnome, BackendKind::Plasma}) {
            if (environment.input == BackendName(kind)) {
                add(kind, Quoted("TAVREL_INPUT", environment.input));
                known = true;
            }
        }
        if (!known && problem != nullptr) {
            *problem = Quoted("TAVREL_INPUT", environment.input) +
                       ", which names no way to reach the desktop (x11, wayland, uinput, gnome "
                       "or plasma); it is ignored.";
        }
    }
    if (!environment.waylandDisplay.empty()) {
        const std::string display = Quoted("WAYLAND_DISPLAY", environment.waylandDisplay);
        if (environment.compositor == Compositor::Gnome) {
            add(BackendKind::Gnome, display + ", GNOME's compositor");
        } else if (environment.compositor == Compositor::Plasma) {
            add(BackendKind::Plasma, display + ", Plasma's compositor");
        }
        add(BackendKind::Wayland, display);
    }
    if (!environment.display.empty()) {
        add(BackendKind::X11, Quoted("DISPLAY", environment.display));
    }
    return order;
}

DesktopChoice ChooseDesktop(const DesktopEnvironment& environment, const BackendOpener& open) {
    DesktopChoice choice;
    std::string wrongOverride;
    const std::vector<BackendCandidate> order = BackendOrder(environment, &wrongOverride);
    if (!wrongOverride.empty()) {
        choice.problems.push_back(wrongOverride);
        TraceEvent([&] { return "desktop: " + wrongOverride; });
    }
    for (const BackendCandidate& candidate : order) {
        DesktopBackendOpen opened = open(candidate.kind);
        if (!opened.backend) {
            TraceEvent([&] {
                return std::string("desktop: ") + BackendName(candidate.kind) + " (" +
                       candidate.why + ") cannot be used: " + opened.problem;
            });
            choice.problems.push_back(opened.problem);
            continue;
        }
        choice.backend = std::move(opened.backend);
        choice.kind = candidate.kind;
        const DesktopBackend& chosen = *choice.backend;
        TraceEvent([&] {
            return std::string("desktop: chose ") + BackendName(candidate.kind) + ", " +
                   chosen.description() + ", because " + candidate.why + "; " +
                   DescribeCapabilities(chosen.capabilities());
        });
        // A backend that failed before stays told: it is why this one acts.
        if (!opened.problem.empty()) {
            choice.problems.push_back(opened.problem);
        }
        return choice;
    }
    TraceEvent([&] {
        return std::string("desktop: none could be reached") +
               (order.empty() ? " (neither WAYLAND_DISPLAY nor DISPLAY is set)" : "") +
               "; keys, pointer and windows do nothing";
    });
    return choice;
}

std::string DescribeCapabilities(const DesktopCapabilities& can) {
    return AbilityText("keys", can.keys) + ", " + AbilityText("pointer", can.pointer) + ", " +
           AbilityText("windows", can.windows);
}

}  // namespace tavrel
