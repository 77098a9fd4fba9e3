#include "host/translation_file.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "host/options.h"

namespace zt {

TranslationFile TranslationFile::fromText(const std::string& contents) {
    TranslationFile t;
    std::string text = toCp1250IfUtf8(contents);
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::size_t a = line.find('|');
        std::size_t b = a == std::string::npos ? a : line.find('|', a + 1);
        if (b == std::string::npos || line[0] == '#') continue;
        // The first text for a (module, key) wins, as in the host's own table.
        t.texts_.emplace(std::make_pair(line.substr(0, a), line.substr(a + 1, b - a - 1)), line.substr(b + 1));
    }
    return t;
}

TranslationFile TranslationFile::load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read the translation file '" + path + "'");
    std::ostringstream ss;
    ss << in.rdbuf();
    return fromText(ss.str());
}

std::optional<std::string> TranslationFile::find(const std::string& module, const std::string& key) const {
    auto it = texts_.find({module, key});
    if (it == texts_.end()) return std::nullopt;
    return it->second;
}

}  // namespace zt
