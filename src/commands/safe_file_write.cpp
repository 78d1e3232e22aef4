// Replacing a whole file through a scratch file and one atomic rename.
#include "commands/safe_file_write.h"

namespace tavrel {

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty()) {
        return name;
    }
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

std::optional<WriteFailure> ReplaceFileContents(FileSystem& files, const std::string& path,
                                                std::string_view bytes) {
    // The scratch file sits beside the target because a rename cannot cross
    // file systems.
    const std::string scratch = JoinPath(DirectoryOf(path), kScratchFileName);
    if (files.exists(scratch)) {
        (void)files.removeFile(scratch);
    }
    FileStatus status = files.writeFileDurably(scratch, bytes);
    if (status.ok()) {
        status = files.replaceFile(scratch, path);
    }
    if (!status.ok()) {
        if (files.exists(scratch)) {
            (void)files.removeFile(scratch);
        }
        return WriteFailure{path, status.error};
    }
    return std::nullopt;
}

}  // namespace tavrel
