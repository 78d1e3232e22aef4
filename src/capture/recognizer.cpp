// Recognition of a received sequence against the command table.
#include "capture/recognizer.h"

#include <algorithm>
#include <utility>

#include "capture/capture_trace.h"
#include "capture/comparar.h"
#include "platform/trace.h"

namespace tavrel {

Recognizer::Recognizer(CommandTable& table, const SequenceSettings& settings,
                       const ProgramState& mode, Sound& sound, FileSystem& files,
                       CommandRunner& runner, RecognitionHost& host)
    : table_(table),
      settings_(settings),
      mode_(mode),
      sound_(sound),
      files_(files),
      runner_(runner),
      host_(host),
      index_(table) {}

namespace {

bool SameSequence(const TSecuencia& a, const TSecuencia& b) {
    if (a.NumValores != b.NumValores) {
        return false;
    }
    for (std::int32_t i = 0; i < std::min(a.NumValores, kMaxValores); ++i) {
        if (a.Valores[static_cast<std::size_t>(i)] != b.Valores[static_cast<std::size_t>(i)]) {
            return false;
        }
    }
    return true;
}

}  // namespace

int Recognizer::findMatch(const TSecuencia& secuencia) {
    const SettledMatch settled = std::exchange(settled_, {});
    // Settled proved that no command above this one can match and that this
    // one does; the record is checked to be the same one in the same place.
    if (settled.position != kNoNode && settled.position < table_.count() &&
        &table_.record(settled.position) == settled.record &&
        SameSequence(settled.sequence, secuencia) &&
        Comparar(secuencia, settled.record->Codigo, settings_)) {
        return settled.position;
    }
    return search(
        [&](const TComando& command) { return Comparar(secuencia, command.Codigo, settings_); },
        secuencia);
}

void Recognizer::Reconocer(const TSecuencia& secuencia) {
    const int match = findMatch(secuencia);
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
    const std::string logFailure = appendLogLine(match);
    runner_.RunCommandActions(command);
    // After the run, so that a message box waiting for the user holds up
    // nothing the press does.
    if (!logFailure.empty()) {
        host_.reportLogError(logFailure);
    }
}

std::int32_t Recognizer::JoinedPressAt(const TSecuencia& batch) const {
    // A batch no longer than every code holds no second press: the common
    // case pays nothing.
    if (batch.NumValores <= settings_.ShortestCodeLength) {
        return 0;
    }
    const int pressed = search(
        [&](const TComando& command) { return Comparar(batch, command.Codigo, settings_); }, batch);
    if (pressed == kNoNode) {
        return 0;
    }
    const std::int32_t length = table_.record(pressed).Codigo.NumValores;
    if (length <= 0 || batch.NumValores <= length) {
        return 0;
    }
    TSecuencia rest;
    for (std::int32_t i = length; i < batch.NumValores; ++i) {
        rest.Valores[static_cast<std::size_t>(i - length)] =
            batch.Valores[static_cast<std::size_t>(i)];
    }
    rest.NumValores = batch.NumValores - length;
    const int next = search(
        [&](const TComando& command) {
            return CompararSoFar(rest, command.Codigo, settings_) != Verdict::NoMatch;
        },
        rest);
    return next != kNoNode && next != pressed ? length : 0;
}

bool Recognizer::Settled(const TSecuencia& soFar) const {
    // The first command that may still match decides: the outcome is settled
    // when it surely matches, and open while that depends on more values.
    Verdict verdict = Verdict::NoMatch;
    const int first = search(
        [&](const TComando& command) {
            verdict = CompararSoFar(soFar, command.Codigo, settings_);
            return verdict != Verdict::NoMatch;
        },
        soFar);
    settled_ = {};
    if (verdict != Verdict::Match) {
        return false;
    }
    settled_ = {soFar, first, &table_.record(first)};
    return true;
}

std::string Recognizer::appendLogLine(int position) {
    const std::string& logFile = mode_.logPath();
    if (logFile.empty()) {
        return {};
    }
    const std::string line =
        table_.label(table_.parentRemote(position)) + "," + table_.label(position) + "\r\n";
    // Opened and closed for every line, so the user can read or remove the
    // file while the program runs.
    FileStatus status = files_.appendToFile(logFile, line);
    if (status.ok()) {
        failingLog_.clear();
        return {};
    }
    if (failingLog_ == logFile) {
        return {};  // said already
    }
    failingLog_ = logFile;
    return std::move(status.error);
}

}  // namespace tavrel
