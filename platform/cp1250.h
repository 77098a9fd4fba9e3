#pragma once
// Text inside the plug-in is Windows-1250 bytes; sources are UTF-8. Every Polish
// literal passes through pl() once, here, on its way in.
#include <string>
#include <string_view>

namespace zt {

// UTF-8 to Windows-1250; a character without a 1250 form becomes '?'.
std::string pl(std::string_view utf8);

// Windows-1250 to UTF-8, for terminals and logs read by people.
std::string toUtf8(std::string_view cp1250);

}  // namespace zt
