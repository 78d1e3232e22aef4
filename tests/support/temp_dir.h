// A scratch directory for one test or benchmark, removed with everything in it.
#pragma once

#include <string>
#include <vector>

namespace tavrel::testing {

class TempDir {
public:
    // A new directory below the system's temporary directory, readable by
    // everyone so that a test that drops its privileges can still reach it.
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

    // Whole files by name, byte for byte.
    void put(const std::string& name, const std::string& bytes) const;
    std::string get(const std::string& name) const;
    bool has(const std::string& name) const;

    // The scratch files a save left in the directory (or in its subdirectory sub).
    std::vector<std::string> scratchFiles(const std::string& sub = "") const;

private:
    std::string path_;
};

}  // namespace tavrel::testing
