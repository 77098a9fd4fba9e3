#pragma once
// A fresh directory per test, removed afterwards.
#include <filesystem>
#include <string>

#include <unistd.h>

namespace zt::test {

class TempDir {
public:
    TempDir() {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("ztplat-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    std::string dir() const { return path_.string() + "/"; }

private:
    std::filesystem::path path_;
};

}  // namespace zt::test
