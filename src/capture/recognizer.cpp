// Recognition of a received sequence against the command table.
#include "capture/recognizer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "capture/capture_trace.h"
#include "capture/comparar.h"
#include "platform/text_encoding.h"
#include "platform/trace.h"

namespace tavrel {

Recognizer::Recognizer(CommandTable& table, const SequenceSettings& settings,
                       const ProgramState& mode, Sound& sound, CommandRunner& runner,
                       RecognitionHost& host)
    : table_(table),
      settings_(settings),
      mode_(mode),
      sound_(sound),
      runner_(runner),
      host_(host) {}

void Recognizer::Reconocer(const TSecuencia& secuencia) {
    const int match = table_.findCommand(
        [&](const TComando& command) { return Comparar(secuencia, command.Codigo, settings_); });
    TraceEvent([&] { return DescribeRecognition(table_, secuencia, settings_, match); });
    // Every node passed over clears the selection, and the first node is
    // always passed over: it is a remote.
    if (match != 0) {
        table_.select(kNoNode);
    }
    if (match == kNoNode) {
        return;
    }

    TComando& command = table_.record(match);
    table_.setCurrent(&command);
    table_.select(match);
    if (mode_.Sonido()) {
        sound_.Beep();
    }
    if (mode_.EditMode() && !host_.Aprendiendo()) {
        host_.ShowActions(command);
        return;
    }
    if (!appendLogLine(match)) {
        return;
    }
    runner_.RunCommandActions(command);
}

bool Recognizer::Settled(const TSecuencia& soFar) const {
    // The first command that may still match decides: the outcome is settled
    // when it surely matches, and open while that depends on more values.
    Verdict verdict = Verdict::NoMatch;
    table_.findCommand([&](const TComando& command) {
        verdict = CompararSoFar(soFar, command.Codigo, settings_);
        return verdict != Verdict::NoMatch;
    });
    return verdict == Verdict::Match;
}

bool Recognizer::appendLogLine(int position) {
    const std::string& logFile = mode_.logPath();
    if (logFile.empty()) {
        return true;
    }
    const std::string line =
        table_.label(table_.parentRemote(position)) + "," + table_.label(position) + "\r\n";
    // Opened and closed for every line, so the user can read or remove the
    // file while the program runs.
    errno = 0;
    std::FILE* file = std::fopen(Cp1252ToUtf8(logFile).c_str(), "ab");
    int error = 0;
    if (file == nullptr) {
        error = errno != 0 ? errno : EIO;
    } else {
        if (std::fwrite(line.data(), 1, line.size(), file) != line.size()) {
            error = errno != 0 ? errno : EIO;
        }
        if (error == 0 && std::fflush(file) != 0) {
            error = errno != 0 ? errno : EIO;
        }
        if (std::fclose(file) != 0 && error == 0) {
            error = errno != 0 ? errno : EIO;
        }
    }
    if (error == 0) {
        return true;
    }
    host_.reportLogError(std::strerror(error));
    return false;
}

}  // namespace tavrel
