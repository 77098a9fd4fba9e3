#pragma once
// The register's configuration as the bench keeps it: a text file of key=value
// lines. Values are handed to the plug-in in Windows-1250; a file written in
// UTF-8 is converted on reading and written back in UTF-8. Values are taken
// literally (directory values hold backslashes); a value holding line breaks,
// as some the plug-in writes, is kept on a line "key:=value" with the escapes
// \r, \n and \\.
#include <optional>
#include <string>
#include <vector>

namespace zt {

class ParamsFile {
public:
    ParamsFile() = default;
    // Parses file contents (no file behind them until a path is set).
    static ParamsFile fromText(const std::string& contents);
    // Reads a file; throws std::runtime_error when it cannot be read.
    static ParamsFile load(const std::string& path);

    // Value of a key (Windows-1250); keys compare without regard to ASCII case.
    std::optional<std::string> get(const std::string& key) const;
    // Sets a key: the first line of the key gets the value, a new key is appended.
    void set(const std::string& key, const std::string& value);
    // The file contents in the file's own encoding and line ends.
    std::string text() const;
    // Writes text() to the file it was loaded from (through a temporary file);
    // false when it cannot be written or there is no file.
    bool save() const;

    bool utf8() const { return utf8_; }

    // The file line of a key and value (Windows-1250, before any UTF-8 conversion).
    static std::string formatLine(const std::string& key, const std::string& value);

private:
    struct Line {
        std::string raw;    // the line as read, without its line end (file encoding)
        std::string key;    // empty for a line that sets nothing
        std::string value;  // Windows-1250
    };
    std::vector<Line> lines_;
    std::string path_;
    bool utf8_ = false;
    bool crlf_ = false;
};

}  // namespace zt
