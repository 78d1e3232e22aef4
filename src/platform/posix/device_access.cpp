// Device groups and error texts for the reasons a device does not open.
#include "platform/posix/device_access.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <vector>

namespace tavrel {

namespace {

std::string GroupName(gid_t gid) {
    std::vector<char> scratch(4096);
    group entry{};
    group* found = nullptr;
    if (getgrgid_r(gid, &entry, scratch.data(), scratch.size(), &found) == 0 && found != nullptr) {
        return found->gr_name;
    }
    return std::to_string(gid);
}

}  // namespace

std::string GroupThatMayUse(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 ||
        (info.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP)) {
        return {};
    }
    return GroupName(info.st_gid);
}

std::string CurrentUserName() {
    std::vector<char> scratch(4096);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, scratch.data(), scratch.size(), &found) == 0 &&
        found != nullptr) {
        return found->pw_name;
    }
    return "$USER";
}

std::string SystemErrorText(int error) {
    std::string text = std::strerror(error);
    if (!text.empty()) {
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    }
    return text;
}

}  // namespace tavrel
