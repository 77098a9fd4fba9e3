#include "host/import_file.h"

namespace zt {

std::vector<ImportSection> ImportFileSections(std::string_view text) {
    std::vector<ImportSection> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        start = end + 1;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            out.push_back({std::string(line.substr(1, line.size() - 2)), {}});
        } else if (!out.empty() && !line.empty()) {
            out.back().lines.emplace_back(line);
        }
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> ImportFileParameters(std::string_view text) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const ImportSection& s : ImportFileSections(text)) {
        if (s.name != "OPERACJE") continue;
        for (const std::string& l : s.lines) {
            if (l.rfind("KASPAR;", 0) != 0) continue;
            const std::string rest = l.substr(7);
            const std::size_t sep = rest.find(';');
            if (sep == 0 || sep == std::string::npos) continue;
            std::string value = rest.substr(sep + 1);
            for (char& c : value)
                if (c == ';') c = '=';
            out.emplace_back(rest.substr(0, sep), value);
        }
    }
    return out;
}

}  // namespace zt
