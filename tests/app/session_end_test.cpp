// SIGTERM and the session's log-off notice end the program through the message loop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QSessionManager>
#include <csignal>

#include "app/session_end.h"

namespace tavrel {
namespace {

TEST(SessionEndTest, SigtermEndsFromTheMessageLoop) {
    int ends = 0;
    InstallSessionEnd(*qApp, [&] { ++ends; });
    ASSERT_EQ(std::raise(SIGTERM), 0);
    EXPECT_EQ(ends, 0);  // nothing runs inside the signal handler
    QDeadlineTimer guard(5000);
    while (ends == 0 && !guard.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    EXPECT_EQ(ends, 1);
}

}  // namespace
}  // namespace tavrel
