// One Tavrel per user and X display: a later start asks the running one to
// bring its window forward and ends, so two never share a port and files.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;

namespace tavrel {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString serverName, QObject* parent = nullptr);

    // True when a running instance answered and was asked to come forward.
    bool HandOver() const;
    // Becomes the running instance; onShow runs for every later start. False
    // (with the reason in error) when the socket cannot be made; the program
    // then runs without the check.
    bool Listen(std::function<void()> onShow);
    QString error() const { return error_; }

private:
    QString name_;
    QLocalServer* server_ = nullptr;
    QString error_;
};

// The socket of user uid on display (DISPLAY): in runtimeDirectory
// ($XDG_RUNTIME_DIR, private to the user) when there is one, else a name in
// the temporary directory that holds the user id. ":0" and ":0.0" are one display.
QString InstanceServerName(unsigned uid, const QString& display, const QString& runtimeDirectory);

}  // namespace tavrel
