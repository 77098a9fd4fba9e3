#pragma once
// What the user sees of a run: the host's message list as prefixed lines and
// its status line, live on a terminal and as "[STAT] " lines otherwise. Texts
// come in Windows-1250 and are printed in UTF-8; the label/value separator
// byte 0x01 is printed as a TAB (as one space on the live status line).
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace zt {

class Console {
public:
    // live: redraw the status line in place (the output is a terminal).
    Console(std::FILE* out, bool live) : out_(out), live_(live) {}
    ~Console() { endStatus(); }
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    // One line of the message list (kind 0 information, 1 warning, 2 error).
    void message(std::int32_t kind, std::string_view cp1250);
    // The status line replaced by a new text; note (UTF-8) follows it on the
    // live line only, so the plain lines stay the plug-in's own words.
    void status(std::int32_t kind, std::string_view cp1250, std::string_view note = {});
    // A line of the bench itself (already UTF-8).
    void line(std::string_view utf8);
    // Ends a live status line so that the next output starts on a new line.
    void endStatus();

    // Message-list prefix of a kind.
    static std::string prefix(std::int32_t kind);
    // A plug-in text for printing: UTF-8, 0x01 replaced by sep, CR dropped.
    static std::string printable(std::string_view cp1250, std::string_view sep);

private:
    std::FILE* out_;
    bool live_;
    std::size_t shown_ = 0;  // characters of the live status line on screen, 0 = none
};

// True when the stream is an interactive terminal.
bool isTerminal(std::FILE* f);
// Prepares standard output for UTF-8 bytes (binary mode and UTF-8 console on Windows).
void prepareOutput();

}  // namespace zt
