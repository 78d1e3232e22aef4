// Replacing a whole file through a scratch file and one atomic rename.
#include "commands/safe_file_write.h"

namespace tavrel {

std::string UnableToRead(const std::string& fileName, const std::string& reason) {
    return "Unable to read " + fileName + "\n" + reason;
}

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

namespace {

// What a check of the file about to be replaced found: why it must not be,
// or else whether it already holds the new bytes.
struct TargetCheck {
    std::optional<WriteFailure> failure;
    bool holds = false;
};

// target: the file path finally names; bytes: what it is to hold, or nothing
// when only whether it may be replaced is asked.
TargetCheck CheckTarget(const FileSystem& files, const std::string& path, const std::string& target,
                        ReadCheck readCheck, std::optional<std::string_view> bytes = std::nullopt) {
    if (FileStatus status = files.replaceable(target); !status.ok()) {
        return {WriteFailure{path, std::move(status.error)}};
    }
    if ((readCheck == ReadCheck::Needed || bytes) && files.exists(target)) {
        FileContents old = files.readFile(target);
        // A file that cannot be read may hold what the user wrote: it is
        // never replaced by what the program believes it holds.
        if (!old.status.ok() && readCheck == ReadCheck::Needed) {
            return {WriteFailure{path, std::move(old.status.error)}};
        }
        return {std::nullopt, old.status.ok() && bytes && old.bytes == *bytes};
    }
    return {};
}

}  // namespace

std::optional<WriteFailure> CheckReplaceable(const FileSystem& files, const std::string& path,
                                             ReadCheck readCheck) {
    return CheckTarget(files, path, files.linkTarget(path), readCheck).failure;
}

namespace {

// Writes bytes to a fresh scratch file beside destination, with the mode and
// owner of model, and renames it onto destination; path names it for the user.
std::optional<WriteFailure> WriteThroughScratch(FileSystem& files, const std::string& path,
                                                const std::string& destination,
                                                std::string_view bytes, const std::string& model) {
    // Beside the destination, because a rename cannot cross file systems.
    const std::string directory = DirectoryOf(destination);
    files.removeStaleScratchFiles(directory);
    ScratchFile scratch = files.writeScratchFile(directory, bytes, model);
    if (!scratch.status.ok()) {
        return WriteFailure{path, std::move(scratch.status.error)};
    }
    if (FileStatus status = files.replaceFile(scratch.path, destination); !status.ok()) {
        (void)files.removeFile(scratch.path);
        return WriteFailure{path, std::move(status.error)};
    }
    return std::nullopt;
}

}  // namespace

std::optional<WriteFailure> ReplaceFileContents(FileSystem& files, const std::string& path,
                                                std::string_view bytes, ReadCheck readCheck) {
    const std::string target = files.linkTarget(path);
    TargetCheck check = CheckTarget(files, path, target, readCheck, bytes);
    if (check.failure) {
        return check.failure;
    }
    // A file that already holds the bytes is left as it is: no scratch file,
    // no rename, not even a new modification time (a start at every login
    // would otherwise rewrite a large commands file for nothing).
    if (check.holds) {
        files.removeStaleScratchFiles(DirectoryOf(target));
        return std::nullopt;
    }
    // A link stays a link: its target is replaced.
    return WriteThroughScratch(files, path, target, bytes, target);
}

void ClearStaleScratchFiles(FileSystem& files, const std::string& path) {
    files.removeStaleScratchFiles(DirectoryOf(files.linkTarget(path)));
}

std::optional<WriteFailure> KeepCopy(FileSystem& files, const std::string& path,
                                     std::string_view bytes, const std::string& original) {
    return WriteThroughScratch(files, path, path, bytes, files.linkTarget(original));
}

std::optional<std::string> KeepCopyUnderFreshName(FileSystem& files, const std::string& path,
                                                  std::string_view bytes,
                                                  const std::string& original) {
    constexpr int kNamesTried = 100;
    ScratchFile scratch =
        files.writeScratchFile(DirectoryOf(path), bytes, files.linkTarget(original));
    if (!scratch.status.ok()) {
        return std::nullopt;
    }
    for (int n = 1; n <= kNamesTried; ++n) {
        const std::string fresh = path + "." + std::to_string(n);
        if (files.renameToFreshName(scratch.path, fresh).ok()) {
            return fresh;
        }
    }
    (void)files.removeFile(scratch.path);
    return std::nullopt;
}

}  // namespace tavrel
