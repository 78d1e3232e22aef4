// TrayHost: trayer with its output dropped.
#include "tray_host.h"

#include <fcntl.h>
#include <signal.h>

#include "platform/posix/unique_fd.h"

namespace tavrel::testing {

TrayHost::TrayHost() {
    const UniqueFd nothing(::open("/dev/null", O_WRONLY | O_CLOEXEC));
    if (nothing) {
        child_.start({"/usr/bin/trayer", "--edge", "top", "--align", "right", "--widthtype",
                      "request", "--height", "24", "--transparent", "false"},
                     ChildStreams{.output = nothing.get(), .error = nothing.get()});
    }
}

void TrayHost::stop() {
    child_.stop(SIGTERM, 5000);
}

}  // namespace tavrel::testing
