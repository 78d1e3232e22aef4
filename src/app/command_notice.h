// A short confirmation of a recognised command in running mode: the remote
// and the command's name for about a second, through the desktop's
// notification service when one answers, else in a small frameless window of
// our own that never takes the focus from the window the command acts on.
#pragma once

#include <QObject>
#include <QString>

#include "commands/command_runner.h"

class QLabel;
class QTimer;

namespace tavrel {

class CommandNotice : public QObject {
    Q_OBJECT
public:
    static constexpr int kShowMs = 1000;
    // A message in running mode stays long enough to be read.
    static constexpr int kMessageMs = 8000;

    explicit CommandNotice(QObject* parent = nullptr);
    ~CommandNotice() override;

    void Show(const QString& remote, const QString& command);
    // What the program has to say while the user works elsewhere: the same
    // way, for kMessageMs.
    void ShowMessage(const QString& title, const QString& text);

    // False: always the window of our own (tests; a bus that failed once).
    void SetUseNotificationService(bool use) { useBus_ = use; }
    // The service's number of our latest notice; 0 before it answered.
    unsigned notificationId() const { return lastId_; }
    // Our own window, created on first use; null before.
    QLabel* popup() const { return popup_; }

private:
    void Show(const QString& title, const QString& text, int milliseconds);
    bool SendToNotificationService(const QString& title, const QString& text, int milliseconds);
    void ShowPopup(const QString& title, const QString& text, int milliseconds);

    bool useBus_ = true;
    unsigned lastId_ = 0;  // the service replaces our previous notice
    QLabel* popup_ = nullptr;
    QTimer* hide_;
};

class ActionRunner;
class CommandTable;
class ProgramState;

// Between recognition and the action runner: announces the command just
// recognised (the table's selection) when the state asks for it, with the
// application whose variant of it runs, then runs it.
class AnnouncingRunner : public CommandRunner {
public:
    AnnouncingRunner(ActionRunner& runner, const CommandTable& table, const ProgramState& state,
                     CommandNotice& notice)
        : runner_(runner), table_(table), state_(state), notice_(notice) {}
    void RunCommandActions(TComando& command) override;

private:
    ActionRunner& runner_;
    const CommandTable& table_;
    const ProgramState& state_;
    CommandNotice& notice_;
};

}  // namespace tavrel
