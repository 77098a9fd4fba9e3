#pragma once
// The register's state as a plain text file (format in sim/README.md): sections
// in brackets, "key=value" lines and ';'-separated record lines, '#' comments.
// Texts are Windows-1250 bytes stored as they are; '\' escapes ';', '\' and line
// ends inside values. Malformed input raises zt::Exception naming the line.
#include <string>
#include <string_view>

#include "sim/register_state.h"

namespace zt::sim {

RegisterState parseState(std::string_view text);
std::string formatState(const RegisterState& state);

RegisterState loadStateFile(const std::string& path);
void saveStateFile(const RegisterState& state, const std::string& path);

}  // namespace zt::sim
