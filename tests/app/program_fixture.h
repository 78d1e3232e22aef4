// The wired program on the offscreen platform, for the tests of tests/app:
// real files in a scratch directory, a real pseudo-terminal as the serial
// port, the recording desktop.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "platform/fake/fake_platform.h"
#include "ui/ficha.h"
#include "ui_fakes.h"

namespace tavrel::testing {

// A pseudo-terminal whose slave stands in for the receiver's serial line.
class Pty {
public:
    Pty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
            path_ = ::ptsname(master_);
            // Kept open so the master never reads end-of-file between opens.
            slave_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        }
    }
    ~Pty() {
        for (int fd : {slave_, master_}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    bool ok() const { return slave_ >= 0; }
    const std::string& path() const { return path_; }
    // Another program holds the line.
    bool lockSlave() { return ::flock(slave_, LOCK_EX | LOCK_NB) == 0; }

    // The receiver goes away: the line hangs up.
    void hangUp() {
        ::close(master_);
        master_ = -1;
    }

    void write(const std::vector<std::uint8_t>& bytes) {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // What the program sent the receiver so far, the event loop running meanwhile.
    const std::string& received() {
        char buffer[256];
        ssize_t got = 0;
        while ((got = ::read(master_, buffer, sizeof buffer)) > 0) {
            received_.append(buffer, static_cast<std::size_t>(got));
        }
        return received_;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
    std::string received_;
};

inline std::string ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

class ProgramTest : public ::testing::Test {
protected:
    ProgramTest() : boxes(boxLog) {}

    QString file(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    void write(const char* name, const std::string& bytes) {
        QFile out(file(name));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    // tavrel.ini with COM2 on the pseudo-terminal and the lines given.
    void writeSettings(const std::string& extra = "") {
        write("tavrel.ini", extra + "[Ports]\r\nCOM2=" + pty.path() + "\r\n");
    }

    void start() {
        program = std::make_unique<Program>(
            dir.path().toStdString(),
            DesktopParts{platform.input, platform.desktop, platform.sound}, boxes, help);
        program->Notice().SetUseNotificationService(false);
        ficha().FormActivate();
    }

    // What the on-screen notice shows, where running mode's reports go; empty
    // before the first.
    QString noticeText() {
        const QLabel* popup = program->Notice().popup();
        return popup != nullptr ? popup->text() : QString();
    }

    TFicha& ficha() { return program->Ficha(); }
    QAction* action(const char* name) {
        return ficha().findChild<QAction*>(QString::fromLatin1(name));
    }
    QTreeWidget* tree() { return ficha().findChild<QTreeWidget*>(QStringLiteral("TreeView")); }
    // Key events the runner sent to the desktop.
    std::size_t keyEvents() const {
        const auto& events = platform.log.events();
        return static_cast<std::size_t>(std::count_if(
            events.begin(), events.end(), [](auto& e) { return e.rfind("keybd_event", 0) == 0; }));
    }

    // A press of the learned code, as the receiver sends it.
    void press() { pty.write({0x0A, 0x1F, 0x3C, 0x0A, 0x1F, 0x3C}); }
    // A press of any code, once the burst before it has ended: that burst may
    // still be on its way to capture when its press is already recognised.
    void pressAfterSilence(const std::vector<std::uint8_t>& burst) {
        QTest::qWait(200);
        ASSERT_TRUE(
            QTest::qWaitFor([this] { return !program->Capture().temporizador().enabled(); }, 5000));
        pty.write(burst);
    }

    QTemporaryDir dir;
    Pty pty;
    FakePlatform platform;
    Log boxLog;
    RecordingBoxes boxes;
    RecordingHelp help;
    std::unique_ptr<Program> program;
};

inline const std::string kOneCommand =
    "[Config]\r\nPuerto=2\r\nNumComandos=2\r\n"
    "[Comandos]\r\n1=TV\r\n2=Power\r\n"
    "[1]\r\nLevel=0\r\n"
    "[2]\r\nLevel=1\r\nCodigo=0A1F3C0A1F3C\r\n0=\xA1SendKeys\xA1NNNNok\r\n";

}  // namespace tavrel::testing
