// Trace texts of capture and recognition; built only while tracing.
#include "capture/capture_trace.h"

#include <cstdio>

#include "capture/comparar.h"

namespace tavrel {
namespace {

std::string Hex(std::int32_t value) {
    char text[12];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(value));
    return text;
}

std::string CommandName(const CommandTable& table, int position) {
    return "\"" + table.label(table.parentRemote(position)) + "/" + table.label(position) + "\"";
}

}  // namespace

std::string TraceValues(const TSecuencia& secuencia) {
    std::string text;
    for (std::int32_t i = 0; i < secuencia.NumValores && i < kMaxValores; ++i) {
        if (i > 0) {
            text += ' ';
        }
        text += Hex(secuencia.Valores[static_cast<std::size_t>(i)]);
    }
    return text;
}

std::string DescribeRecognition(const CommandTable& table, const TSecuencia& secuencia,
                                const SequenceSettings& settings, int match) {
    if (match != kNoNode) {
        return "recognised " + CommandName(table, match);
    }
    // The command that held out longest against the received values.
    const TComando* closest = nullptr;
    std::int32_t closestAt = 0;
    table.findCommand([&](const TComando& command) {
        const std::int32_t at = FirstMismatch(secuencia, command.Codigo, settings);
        if (at > closestAt) {
            closest = &command;
            closestAt = at;
        }
        return false;
    });
    if (closest == nullptr) {
        return "not recognised; no command to compare with";
    }
    const TSecuencia& code = closest->Codigo;
    std::string text = "not recognised; closest " + CommandName(table, table.positionOf(closest)) +
                       " differs at value " + std::to_string(closestAt);
    const auto index = static_cast<std::size_t>(closestAt - 1);
    if (closestAt <= secuencia.NumValores && closestAt <= code.NumValores) {
        text += " (" + Hex(secuencia.Valores[index]) + " received, " + Hex(code.Valores[index]) +
                " learned)";
    }
    return text;
}

}  // namespace tavrel
