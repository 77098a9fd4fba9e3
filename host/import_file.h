#pragma once
// The sales import file ("kasa.imp") as the host reads it: its sections and
// the plug-in parameters its [OPERACJE] section asks the host to store.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zt {

struct ImportSection {
    std::string name;                // without the brackets
    std::vector<std::string> lines;  // without line ends; blank lines left out
};

// Lines before the first section header are left out.
std::vector<ImportSection> ImportFileSections(std::string_view text);

// "KASPAR;name;value" lines of [OPERACJE]: the name and the rest of the line,
// every ';' in it standing for the '=' it replaced.
std::vector<std::pair<std::string, std::string>> ImportFileParameters(std::string_view text);

}  // namespace zt
