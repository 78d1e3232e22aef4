// A recording stand-in for the action runner, and a helper that builds
// sequences, shared by the capture tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "commands/command_runner.h"
#include "commands/secuencia.h"

namespace tavrel::testing {

class RecordingRunner : public CommandRunner {
public:
    void RunCommandActions(TComando& command) override { ran.push_back(command.Nombre); }
    std::vector<std::string> ran;
};

inline TSecuencia Seq(std::initializer_list<std::int32_t> values) {
    TSecuencia s;
    for (std::int32_t v : values) {
        s.Valores[static_cast<std::size_t>(s.NumValores++)] = v;
    }
    return s;
}

inline std::vector<std::int32_t> ValuesOf(const TSecuencia& s) {
    return {s.Valores.begin(), s.Valores.begin() + s.NumValores};
}

}  // namespace tavrel::testing
