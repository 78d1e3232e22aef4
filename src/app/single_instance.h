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

    // True when a running instance of this user answered and was asked to
    // come forward.
    bool HandOver() const;
    // Becomes the running instance; onShow runs for every later start. False
    // (with the reason in error) when the socket cannot be made, or its
    // folder is not private; the program then runs without the check.
    bool Listen(std::function<void()> onShow);
    QString error() const { return error_; }

private:
    QString name_;
    QLocalServer* server_ = nullptr;
    QString error_;
};

// The socket of user uid on display (DISPLAY): in runtimeDirectory
// ($XDG_RUNTIME_DIR) when there is one, else in the folder tavrel-runtime-UID
// of the temporary directory. Either folder must be the user's own with no
// access for others: Listen makes it (mode 0700) when missing and checks it,
// and a socket in a folder that fails the check, or of another user, is
// never taken for a running Tavrel. ":0" and ":0.0" are one display.
QString InstanceServerName(unsigned uid, const QString& display, const QString& runtimeDirectory);

}  // namespace tavrel
