// TComando: the record of one node of the command table.
#pragma once

#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <vector>

#include "commands/secuencia.h"

namespace tavrel {

// Lines "index=action string" in Windows-1252, in the order they were added.
using ActionList = std::vector<std::string>;

// What a command does and how its actions run. A command holds one set for
// every application, and may hold variants of it for named applications.
struct ActionSettings {
    std::int32_t Loop = 1;               // number of actions
    std::int32_t LoopActual = 0;         // 0-based index of the action to run next
    bool DeVez = false;                  // run all actions on one press
    bool MultiKey = false;               // key multiplying
    std::string TargetWindow;            // part of the destination window's title
    std::optional<ActionList> Acciones;  // owned; a remote's record has none
    std::int32_t Retraso = 0;            // seconds between actions of one run
};

// The actions a command runs while a named application's window is active.
// The code, Activado and Typematic belong to the button and stay the command's.
struct CommandVariant : ActionSettings {
    // The application as the desktop names it: the class of WM_CLASS on X11,
    // the app id on Wayland; letter case ignored. Empty: any application.
    std::string Application;
    // Part of the active window's title (letter case counts); empty: any title.
    std::string Title;
};

struct TComando : ActionSettings {
    std::string Nombre;             // always equal to the node's label
    TComando* Siguiente = nullptr;  // next record in load order; never walked
    TSecuencia Codigo;              // learned code; Codigo.NumValores 0 = none;
                                    // a change in place: noteCodeChanged
    std::int32_t Numero = 0;        // entry number it was loaded from
    bool Activado = true;           // a disabled command is recognised but not run
    bool Typematic = true;          // repeat while the button is held
    // Tried in this order when the command runs; the first that matches the
    // active window runs instead of the command's own actions. A list, so a
    // variant stays where it is while others come, go or move.
    std::list<CommandVariant> Variantes;
};

}  // namespace tavrel
