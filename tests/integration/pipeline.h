// The receiving side of the program put together as the program does, by the
// receiving road: a receiver, capture, recognition and the action runner on
// one clock and one platform.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "actions/action_runner.h"
#include "actions/send_keys.h"
#include "capture/code_capture.h"
#include "capture/recognizer.h"
#include "commands/command_table.h"
#include "commands/sequence_settings.h"
#include "platform/fake/fake_platform.h"
#include "platform/fake/virtual_clock.h"
#include "road/receiving_road.h"

namespace tavrel::testing {

struct Pipeline : RecognitionHost {
    VirtualClock clock;
    FakePlatform platform;
    CommandTable table;
    SequenceSettings settings;
    TSendKeys sendKeys{platform.input, platform.desktop};
    ProgramState mode;
    ActionRunner runner{platform.input, platform.desktop, platform.processes, sendKeys, table, mode,
                        clock};
    ReceivingRoad road{
        {clock, clock, table, settings, mode, platform.sound, runner, runner, *this}};
    CodeCapture& capture = road.capture();
    Recognizer& recognizer = road.recognizer();
    std::vector<std::string> errors;
    TComando* shown = nullptr;  // the command last shown in editing mode

    Pipeline() {
        mode.setEditMode(false);
        capture.PortActivated();  // as after the port opened: the next batch starts a press
    }

    bool Aprendiendo() const override { return capture.Aprendiendo; }
    void ShowActions(TComando& command) override { shown = &command; }
    void reportLogError(const std::string& text) override { errors.push_back(text); }

    // Adds a learned command under the last remote (creating "TV" first).
    TComando& addCommand(const std::string& name, const std::vector<std::int32_t>& code,
                         const std::vector<std::string>& actions) {
        int remote =
            table.count() == 0 ? table.appendRemote("TV") : table.parentRemote(table.count() - 1);
        const int pos = table.appendCommand(remote, name, table.count() + 1);
        TComando& c = table.record(pos);
        for (std::size_t i = 0; i < code.size(); ++i) {
            c.Codigo.Valores[i] = code[i];
        }
        c.Codigo.NumValores = static_cast<std::int32_t>(code.size());
        c.Loop = static_cast<std::int32_t>(actions.size());
        for (std::size_t i = 0; i < actions.size(); ++i) {
            c.Acciones->push_back(std::to_string(i) + "=" + actions[i]);
        }
        table.applyImageRule(pos);
        settings.ShortestCodeLength =
            std::min<std::int32_t>(settings.ShortestCodeLength, c.Codigo.NumValores);
        return c;
    }

    void receive(const std::vector<std::uint8_t>& batch) {
        capture.CommPortReceiveData(batch.data(), static_cast<std::int32_t>(batch.size()));
    }
};

}  // namespace tavrel::testing
