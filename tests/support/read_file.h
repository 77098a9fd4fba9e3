#pragma once
// A file's bytes as they stand on disk (empty when it cannot be read), for
// tests that compare files byte for byte.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace ztest {

inline std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace ztest
