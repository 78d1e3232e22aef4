// TComando: the record of one node of the command table.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "commands/secuencia.h"

namespace tavrel {

// Lines "index=action string" in Windows-1252, in the order they were added.
using ActionList = std::vector<std::string>;

struct TComando {
    std::string Nombre;                  // always equal to the node's label
    TComando* Siguiente = nullptr;       // next record in load order; never walked
    TSecuencia Codigo;                   // learned code; Codigo.NumValores 0 = none;
                                         // a change in place: noteCodeChanged
    std::int32_t Numero = 0;             // entry number it was loaded from
    std::int32_t Loop = 1;               // number of actions
    std::int32_t LoopActual = 0;         // 0-based index of the action to run next
    bool DeVez = false;                  // run all actions on one press
    bool MultiKey = false;               // key multiplying
    std::string TargetWindow;            // part of the destination window's title
    bool Activado = true;                // a disabled command is recognised but not run
    bool Typematic = true;               // repeat while the button is held
    std::optional<ActionList> Acciones;  // owned; a remote's record has none
    std::int32_t Retraso = 0;            // seconds between actions of one run
};

}  // namespace tavrel
