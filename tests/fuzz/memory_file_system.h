// Files held in memory, so fuzz targets load and save without touching a disk.
#pragma once

#include <map>
#include <string>

#include "platform/file_system.h"

namespace tavrel::fuzzing {

class MemoryFileSystem : public FileSystem {
public:
    std::map<std::string, std::string> files;

    bool exists(const std::string& path) const override { return files.contains(path); }
    FileContents readFile(const std::string& path) const override {
        const auto found = files.find(path);
        if (found == files.end()) {
            return {{}, FileStatus::Failure("No such file or directory")};
        }
        return {found->second, FileStatus::Success()};
    }
    std::string linkTarget(const std::string& path) const override { return path; }
    FileStatus replaceable(const std::string&) const override { return FileStatus::Success(); }
    ScratchFile writeScratchFile(const std::string& directory, std::string_view bytes,
                                 const std::string&) override {
        const std::string name = "scratch-" + std::to_string(++scratchFiles_);
        const std::string path = directory.empty() ? name : directory + "/" + name;
        files[path] = std::string(bytes);
        return {path, FileStatus::Success()};
    }
    void removeStaleScratchFiles(const std::string&) override {}
    FileStatus replaceFile(const std::string& from, const std::string& to) override {
        auto node = files.extract(from);
        if (node.empty()) {
            return FileStatus::Failure("No such file or directory");
        }
        files[to] = std::move(node.mapped());
        return FileStatus::Success();
    }
    FileStatus renameToFreshName(const std::string& from, const std::string& to) override {
        if (files.count(to) != 0) {
            return FileStatus::Failure("File exists");
        }
        return replaceFile(from, to);
    }
    FileStatus removeFile(const std::string& path) override {
        return files.erase(path) == 1 ? FileStatus::Success()
                                      : FileStatus::Failure("No such file or directory");
    }
    FileStatus appendToFile(const std::string& path, std::string_view bytes) override {
        files[path] += bytes;
        return FileStatus::Success();
    }

private:
    int scratchFiles_ = 0;
};

// What a value written to an INI file reads back as: line breaks become
// blanks, and only the first 1023 characters are read.
inline std::string AsReadBack(std::string_view written) {
    std::string text(written.substr(0, 1023));
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return text;
}

}  // namespace tavrel::fuzzing
