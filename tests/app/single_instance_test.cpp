// One Tavrel per user and display, over real local sockets: another user who
// gets to the socket's place first cannot pass for a running Tavrel.
#include "app/single_instance.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <string>

#include "run_as_nobody.h"
#include "temp_dir.h"

namespace tavrel {
namespace {

// Listens at path and answers whoever calls until stop becomes readable.
std::string ListenUntil(const std::string& path, int ready, int stop) {
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    if (::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(server, 4) != 0) {
        return "cannot listen at " + path;
    }
    (void)::write(ready, "r", 1);
    pollfd fds[2] = {{server, POLLIN, 0}, {stop, POLLIN, 0}};
    while (::poll(fds, 2, 10000) > 0 && (fds[1].revents & POLLIN) == 0) {
        const int caller = ::accept(server, nullptr, nullptr);
        char request[16];
        (void)::read(caller, request, sizeof request);
        ::close(caller);
    }
    return "ok";
}

// Without XDG_RUNTIME_DIR, with the shared temporary folder (sticky, open to
// all, like /tmp) in TMPDIR.
class SingleInstanceTest : public ::testing::Test {
protected:
    SingleInstanceTest() {
        ::mkdir(shared.c_str(), 0700);
        ::chmod(shared.c_str(), 01777);
        qputenv("TMPDIR", QByteArray::fromStdString(shared));
        name = InstanceServerName(::geteuid(), QStringLiteral(":5"), QString());
    }
    ~SingleInstanceTest() override {
        if (hadTmp) {
            qputenv("TMPDIR", oldTmp);
        } else {
            qunsetenv("TMPDIR");
        }
    }

    // The socket's path as QLocalSocket finds it.
    std::string socketPath() const {
        return (name.startsWith('/') ? name : QDir::tempPath() + '/' + name).toStdString();
    }

    const bool hadTmp = qEnvironmentVariableIsSet("TMPDIR");
    const QByteArray oldTmp = qgetenv("TMPDIR");
    const testing::TempDir dir;
    const std::string shared = dir.file("tmp");
    QString name;
};

TEST_F(SingleInstanceTest, AnotherUsersSocketIsNotARunningTavrel) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "two users are needed, and only root can act as both";
    }
    // The other user takes the place first: the folder the socket goes in
    // (made open to all), and the socket itself.
    int ready[2];
    int stop[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(stop), 0);
    testing::ChildBody squatter(
        [&] {
            const std::string path = socketPath();
            const std::string folder = path.substr(0, path.rfind('/'));
            if (folder != shared) {
                ::mkdir(folder.c_str(), 0777);
                ::chmod(folder.c_str(), 0777);
            }
            return ListenUntil(path, ready[1], stop[0]);
        },
        testing::kOtherUser);
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1) << squatter.result();

    SingleInstance instance(name);
    EXPECT_FALSE(instance.HandOver()) << "another user's socket passed for a running Tavrel";
    (void)::write(stop[1], "s", 1);
    EXPECT_EQ(squatter.result(), "ok");
    for (int fd : {ready[0], stop[0], stop[1]}) {
        ::close(fd);
    }
}

TEST_F(SingleInstanceTest, WithoutARuntimeFolderTheSocketIsInAFolderOnlyTheUserMayEnter) {
    SingleInstance running(name);
    ASSERT_TRUE(running.Listen([] {})) << running.error().toStdString();
    SingleInstance later(name);
    EXPECT_TRUE(later.HandOver());
    const std::string path = socketPath();
    const std::string folder = path.substr(0, path.rfind('/'));
    struct stat st {};
    ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
    EXPECT_NE(folder, shared);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_uid, ::geteuid());
    EXPECT_EQ(st.st_mode & 07777, 0700U);
}

}  // namespace
}  // namespace tavrel
