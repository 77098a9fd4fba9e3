#include "host/console.h"

#include "platform/cp1250.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace zt {
namespace {

// Characters (not bytes) of a UTF-8 text, for padding the live status line.
std::size_t utf8Length(std::string_view s) {
    std::size_t n = 0;
    for (char c : s)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

}  // namespace

std::string Console::prefix(std::int32_t kind) {
    switch (kind) {
        case 0: return "[INFO] ";
        case 1: return "[WARN] ";
        case 2: return "[ERR ] ";
        default: return "[MSG" + std::to_string(kind) + "] ";
    }
}

std::string Console::printable(std::string_view cp1250, std::string_view sep) {
    std::string s;
    s.reserve(cp1250.size());
    for (char c : cp1250) {
        if (c == '\x01')
            s += sep;
        else if (c != '\r')
            s += c;
    }
    // toUtf8 leaves ASCII alone, so the separator passes unchanged.
    return toUtf8(s);
}

void Console::message(std::int32_t kind, std::string_view cp1250) { line(prefix(kind) + printable(cp1250, "\t")); }

void Console::status(std::int32_t kind, std::string_view cp1250, std::string_view note) {
    if (!live_) {
        line("[STAT] " + printable(cp1250, "\t"));
        return;
    }
    std::string text = printable(cp1250, " ");
    text += note;
    for (char& c : text)
        if (c == '\n' || c == '\t') c = ' ';
    std::size_t n = utf8Length(text);
    std::string padding(shown_ > n ? shown_ - n : 0, ' ');
    std::fprintf(out_, "\r%s%s", text.c_str(), padding.c_str());
    if (!padding.empty()) std::fprintf(out_, "\r%s", text.c_str());
    std::fflush(out_);
    shown_ = n > 0 ? n : 1;
}

void Console::line(std::string_view utf8) {
    endStatus();
    std::fwrite(utf8.data(), 1, utf8.size(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

void Console::endStatus() {
    if (shown_ == 0) return;
    std::fputc('\n', out_);
    std::fflush(out_);
    shown_ = 0;
}

bool isTerminal(std::FILE* f) {
#if defined(_WIN32)
    return _isatty(_fileno(f)) != 0;
#else
    return isatty(fileno(f)) != 0;
#endif
}

void prepareOutput() {
#if defined(_WIN32)
    // The same bytes as on Linux: no LF to CR LF translation, UTF-8 on a console.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    if (isTerminal(stdout)) SetConsoleOutputCP(CP_UTF8);
#endif
}

}  // namespace zt
