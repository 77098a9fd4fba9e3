#include "platform/msgbox.h"

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>

#include "platform/cp1250.h"
#endif

namespace zt {

int MsgBox(std::string_view text, std::string_view title, unsigned flags) {
#ifdef _WIN32
    const std::string t(text), c(title);
    return MessageBoxA(nullptr, t.c_str(), c.c_str(), flags);
#else
    (void)flags;
    const std::string line = toUtf8(title) + ": " + toUtf8(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    return 1;
#endif
}

}  // namespace zt
