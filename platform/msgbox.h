#pragma once
// Last-resort modal message box. Off Windows it writes "title: text" (UTF-8)
// to the standard error stream and returns 1 (OK).
#include <string_view>

namespace zt {

// Texts are Windows-1250; flags are those of MessageBoxA.
int MsgBox(std::string_view text, std::string_view title, unsigned flags = 0);

}  // namespace zt
