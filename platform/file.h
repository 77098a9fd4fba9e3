#pragma once
// File component: one open file with a logical position, buffered line reading
// and buffered writing. Paths may use '\\' (the host's form); they are converted
// for the operating system. Every failure raises zt::EMException whose text
// names the path and the operating system's own error words.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

// How Open treats the path of a writable file.
enum class FileCreation {
    Always,    // opens what is there (a link is followed), creates a missing file
    New,       // creates a new file only: a name taken by anything, a link too, fails
    NoFollow,  // opens a plain file or creates a missing one, never through a link
};

class TMFile {
public:
    TMFile() = default;
    explicit TMFile(std::string path, bool readOnly = false) : path_(std::move(path)), readOnly_(readOnly) {}
    TMFile(std::string path, FileCreation creation) : path_(std::move(path)), creation_(creation) {}
    ~TMFile();
    TMFile(const TMFile&) = delete;
    TMFile& operator=(const TMFile&) = delete;

    const std::string& Path() const noexcept { return path_; }
    void SetPath(std::string path);  // only while closed
    bool ReadOnly() const noexcept { return readOnly_; }
    void SetReadOnly(bool readOnly);  // only while closed
    bool Active() const noexcept;

    // Opens at position 0; creates a missing file unless read-only, as the
    // creation rule says.
    void Open();
    // Open, but false (and still closed) when a new file's name is already taken.
    bool TryOpen();
    // Writes out buffered data and closes; a closed file is left alone.
    void Close();

    std::int64_t Size();
    std::int64_t Position() const noexcept { return pos_; }
    void SetPosition(std::int64_t pos);
    void SeekEnd() { SetPosition(Size()); }
    // Cuts the file at the current position.
    void Truncate();

    void Write(const void* data, std::size_t len);
    void Write(std::string_view text) { Write(text.data(), text.size()); }
    // The text followed by the caller's line end (CR LF or LF).
    void WriteLine(std::string_view text, std::string_view lineEnd = "\r\n");
    // Buffered data goes to the operating system and from there to the disk.
    void Flush();

    // Next line without its end (LF or CR LF); a last line without an end is
    // still a line. False at the end of the file.
    bool ReadLine(std::string& out);

    // The whole text file as lines (CR LF or LF ends).
    static void ReadStringsFromFile(const std::string& path, std::vector<std::string>& lines);

private:
    void requireOpen() const;
    void flushWrite();
    bool fillRead();
    [[noreturn]] void fail(int code) const;

    void open(bool nameTakenThrows, bool& nameTaken);

    std::string path_;
    bool readOnly_ = false;
    FileCreation creation_ = FileCreation::Always;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
    std::int64_t pos_ = 0;
    // Read buffer: bytes of the file from offset rstart_.
    std::vector<char> rbuf_;
    std::int64_t rstart_ = 0;
    std::size_t rlen_ = 0;
    // Write buffer: bytes to go to the file at offset wstart_.
    std::string wbuf_;
    std::int64_t wstart_ = 0;
};

}  // namespace zt
