#pragma once
// The host's translations as the bench keeps them: lines module|key|text
// (Windows-1250 or UTF-8), answered through the host's text lookup.
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace zt {

class TranslationFile {
public:
    static TranslationFile fromText(const std::string& contents);
    // Throws std::runtime_error when the file cannot be read.
    static TranslationFile load(const std::string& path);

    // The text of (module, key) in Windows-1250, when the file has one.
    std::optional<std::string> find(const std::string& module, const std::string& key) const;
    std::size_t size() const { return texts_.size(); }

private:
    std::map<std::pair<std::string, std::string>, std::string> texts_;
};

}  // namespace zt
