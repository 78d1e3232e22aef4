// The open failures every kind of receiver shares.
#include "receivers/system_failure.h"

#include <cerrno>

#include "platform/posix/device_access.h"

namespace tavrel {

OpenFailure FailureOfKind(OpenFailure::Kind kind, const std::string& path) {
    OpenFailure failure;
    failure.kind = kind;
    failure.path = path;
    return failure;
}

OpenFailure SystemOpenFailure(const std::string& path, int error) {
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return FailureOfKind(OpenFailure::NoDevice, path);
        case EACCES:
        case EPERM: {
            OpenFailure failure = FailureOfKind(OpenFailure::PermissionDenied, path);
            failure.group = GroupThatMayUse(path);
            failure.user = CurrentUserName();
            return failure;
        }
        default: {
            OpenFailure failure = FailureOfKind(OpenFailure::Other, path);
            failure.systemText = SystemErrorText(error);
            return failure;
        }
    }
}

}  // namespace tavrel
