// Recording stand-ins for the action runner and the recognition host, and
// helpers that build sequences, shared by the capture tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "capture/recognizer.h"
#include "commands/command_runner.h"
#include "commands/secuencia.h"

namespace tavrel::testing {

class RecordingRunner : public CommandRunner {
public:
    void RunCommandActions(TComando& command) override { ran.push_back(command.Nombre); }
    std::vector<std::string> ran;
};

class RecordingRecognitionHost : public RecognitionHost {
public:
    bool Aprendiendo() const override { return learning; }
    void ShowActions(TComando& command) override { shown.push_back(command.Nombre); }
    void reportLogError(const std::string& text) override { errors.push_back(text); }
    bool learning = false;
    std::vector<std::string> shown;
    std::vector<std::string> errors;
};

inline TSecuencia Seq(const std::vector<std::int32_t>& values) {
    TSecuencia s;
    for (std::int32_t v : values) {
        s.Valores[static_cast<std::size_t>(s.NumValores++)] = v;
    }
    return s;
}

inline TSecuencia Seq(std::initializer_list<std::int32_t> values) {
    return Seq(std::vector<std::int32_t>(values));
}

inline std::vector<std::int32_t> ValuesOf(const TSecuencia& s) {
    return {s.Valores.begin(), s.Valores.begin() + s.NumValores};
}

}  // namespace tavrel::testing
