#pragma once
// Shared pieces of the fuzz targets: a silent host for the link, the input cut
// into parts, and a scratch folder of the process for the targets that read
// files. Not a target itself (fuzz/run.sh builds *_fuzz.cpp only).
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "link/host_services.h"
#include "tests/support/quiet_host.h"

namespace zt::fuzz {

using QuietHost = ztest::QuietHost;

// The input cut at every occurrence of the separator.
inline std::vector<std::string_view> splitAt(std::string_view input, std::string_view separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = input.find(separator);
        if (at == std::string_view::npos) break;
        parts.push_back(input.substr(0, at));
        input.remove_prefix(at + separator.size());
    }
    parts.push_back(input);
    return parts;
}

// A folder of this process, made on first use and removed at exit; ends in a separator.
inline const std::string& scratchDir() {
    struct Dir {
        std::filesystem::path path;
        Dir() {
            const std::filesystem::path base =
                std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
            path = base / ("ztfuzz-" + std::to_string(::getpid()));
            std::filesystem::create_directories(path);
        }
        ~Dir() {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    };
    static const Dir dir;
    static const std::string text = dir.path.string() + "/";
    return text;
}

// Empties the scratch folder between inputs.
inline void clearScratch() {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(scratchDir(), ec))
        std::filesystem::remove_all(e.path(), ec);
}

}  // namespace zt::fuzz
