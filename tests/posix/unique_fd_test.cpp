// Descriptor ownership: exactly one owner closes, and a failed close is told.
#include <fcntl.h>
#include <gtest/gtest.h>

#include "platform/posix/unique_fd.h"

namespace tavrel {
namespace {

bool IsOpenDescriptor(int fd) {
    return fcntl(fd, F_GETFD) != -1;
}

TEST(UniqueFd, OneOwnerClosesOnceAndReportsWhatCloseSaid) {
    UniqueFd first(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    const int fd = first.get();
    ASSERT_TRUE(IsOpenDescriptor(fd));
    UniqueFd second = std::move(first);
    EXPECT_FALSE(first);
    EXPECT_EQ(second.get(), fd);
    EXPECT_EQ(first.close(), 0);  // nothing to close
    EXPECT_TRUE(IsOpenDescriptor(fd));
    { UniqueFd scoped = std::move(second); }
    EXPECT_FALSE(IsOpenDescriptor(fd));

    // A descriptor someone else already closed: the error reaches the caller.
    UniqueFd stale(fd);
    EXPECT_EQ(stale.close(), EBADF);
    EXPECT_FALSE(stale);
}

}  // namespace
}  // namespace tavrel
