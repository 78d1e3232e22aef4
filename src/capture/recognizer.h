// Reconocer: finds the command that a received sequence belongs to and sets
// it going: selection, beep, log line, and the hand-over to the action runner.
#pragma once

#include <cassert>
#include <string>

#include "capture/code_index.h"
#include "commands/command_runner.h"
#include "commands/command_table.h"
#include "commands/program_state.h"
#include "commands/secuencia.h"
#include "commands/sequence_settings.h"
#include "platform/file_system.h"
#include "platform/sound.h"

namespace tavrel {

// What recognition asks of the program around it.
class RecognitionHost {
public:
    virtual ~RecognitionHost() = default;
    // Code capture is collecting learning samples.
    virtual bool Aprendiendo() const = 0;
    // Editing: the action editor shows the command just recognised.
    virtual void ShowActions(TComando& command) = 0;
    // The log file could not be written: why, in the system's words. Said
    // after the press's commands ran, and once until a line is written again.
    virtual void reportLogError(const std::string& systemErrorText) = 0;
};

class Recognizer {
public:
    // All are referenced, not copied, and must outlive the recognizer.
    // mode: EditMode, Sonido and the log file path as the main window sets them.
    // files: where the log lines go.
    Recognizer(CommandTable& table, const SequenceSettings& settings, const ProgramState& mode,
               Sound& sound, FileSystem& files, CommandRunner& runner, RecognitionHost& host);

    // Walks the table in display order; the first command whose code matches
    // wins, whether enabled or not. On a match the command becomes current and
    // selected, and then it is shown (editing), or logged and run; a log
    // that cannot be written never keeps the commands from running. Without a
    // match the selection is cleared and nothing else happens; the current
    // command is left as it was, so a delayed run of the previous command
    // goes on and no record the user never chose becomes current.
    void Reconocer(const TSecuencia& secuencia);

    // Does Reconocer find a command for this sequence, and the same one for
    // every longer sequence that begins with it? Then a batch still being
    // received may go to recognition at once: what is still to come cannot
    // change the outcome.
    bool Settled(const TSecuencia& soFar) const;

    // A batch that holds more values than the code of the command it is
    // recognised as, when the values after that code begin the code of
    // another command: two presses read as one, as a program late by more
    // than a burst's silence reads them. Where the second begins (a count of
    // values), or 0. The receiver's own repeats of a press begin no other
    // command's code and stay part of it.
    std::int32_t JoinedPressAt(const TSecuencia& batch) const;

private:
    // Why the line could not be written, when that is news to the user.
    std::string appendLogLine(int position);
    // The command found for sequence: the one Settled found for the same
    // sequence just before, or else the first match of a walk.
    int findMatch(const TSecuencia& secuencia);
    // The first command accept says yes to, in display order, found through
    // the index, which asks accept only of commands whose code it cannot rule
    // out for sequence. A build with assertions repeats the search as a plain
    // walk: a code changed in place without noteCodeChanged shows there.
    template <typename Accept>
    int search(Accept&& accept, const TSecuencia& sequence) const {
        const int found = index_.findCommand(sequence, settings_, accept);
        assert(found == table_.findCommand(accept));
        return found;
    }

    CommandTable& table_;
    const SequenceSettings& settings_;
    const ProgramState& mode_;
    Sound& sound_;
    FileSystem& files_;
    CommandRunner& runner_;
    RecognitionHost& host_;
    // The log file whose failure was last reported; empty while lines go in.
    std::string failingLog_;
    // What the last Settled found, kept for the Reconocer of the same
    // sequence that follows it at once: a press walks the table only once.
    struct SettledMatch {
        TSecuencia sequence;
        int position = kNoNode;
        const TComando* record = nullptr;
    };
    mutable SettledMatch settled_;
    // Both searches go through it; it follows the table by itself.
    mutable CodeIndex index_;
};

}  // namespace tavrel
