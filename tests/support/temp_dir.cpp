// Scratch directories made with mkdtemp.
#include "temp_dir.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace tavrel::testing {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavrel-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) {
        path_ = pattern;
        ::chmod(path_.c_str(), 0755);
    }
}

TempDir::~TempDir() {
    if (!path_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
}

void TempDir::put(const std::string& name, const std::string& bytes) const {
    std::ofstream(file(name), std::ios::binary) << bytes;
}

std::string TempDir::get(const std::string& name) const {
    std::ifstream in(file(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool TempDir::has(const std::string& name) const {
    return std::filesystem::exists(file(name));
}

std::vector<std::string> TempDir::scratchFiles(const std::string& sub) const {
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator(sub.empty() ? path_ : file(sub), error)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("temporal") && name.ends_with(".tmp")) {
            found.push_back(name);
        }
    }
    return found;
}

}  // namespace tavrel::testing
