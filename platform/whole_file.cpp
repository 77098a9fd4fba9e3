#include "platform/whole_file.h"

#include <cerrno>

#include "platform/exception.h"
#include "platform/fs.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zt {
namespace {

[[noreturn]] void fail(const std::string& path, int code) { throw EMException(code, path, osErrorText(code)); }

#ifdef _WIN32
struct Handle {
    HANDLE h = INVALID_HANDLE_VALUE;
    ~Handle() { close(); }
    bool close() {
        if (h == INVALID_HANDLE_VALUE) return true;
        const bool ok = CloseHandle(h) != 0;
        h = INVALID_HANDLE_VALUE;
        return ok;
    }
};

void writeAll(Handle& f, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > 0x10000000u ? 0x10000000u : static_cast<DWORD>(bytes.size());
        DWORD done = 0;
        if (!WriteFile(f.h, bytes.data(), chunk, &done, nullptr) || done == 0) fail(path, lastOsError());
        bytes.remove_prefix(done);
    }
}
#else
struct Handle {
    int fd = -1;
    ~Handle() { close(); }
    bool close() {
        if (fd < 0) return true;
        const bool ok = ::close(fd) == 0;
        fd = -1;
        return ok;
    }
};

void writeAll(Handle& f, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(f.fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) fail(path, n < 0 ? errno : EIO);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}
#endif

void writeNew(const std::string& tempPath, std::string_view bytes) {
    const std::string native = nativePath(tempPath);
    Handle f;
#ifdef _WIN32
    f.h = CreateFileA(native.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (f.h == INVALID_HANDLE_VALUE) fail(tempPath, lastOsError());
    writeAll(f, bytes, tempPath);
    if (!FlushFileBuffers(f.h)) fail(tempPath, lastOsError());
    if (!f.close()) fail(tempPath, lastOsError());
#else
    f.fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (f.fd < 0) fail(tempPath, errno);
    writeAll(f, bytes, tempPath);
    if (::fsync(f.fd) != 0) fail(tempPath, errno);
    if (!f.close()) fail(tempPath, errno);
#endif
}

}  // namespace

void writeFileWhole(const std::string& path, std::string_view bytes, const std::string& tempPath) {
    // A leftover of a killed writer, or anything planted under the name, goes
    // first: removing a link removes the link, not its target.
    deleteFile(tempPath);
    try {
        writeNew(tempPath, bytes);
    } catch (...) {
        deleteFile(tempPath);
        throw;
    }
    if (!renameFile(tempPath, path)) {
        const int err = lastOsError();
        deleteFile(tempPath);
        fail(path, err);
    }
}

void appendFileNoFollow(const std::string& path, std::string_view bytes) {
    const std::string native = nativePath(path);
    Handle f;
#ifdef _WIN32
    f.h = CreateFileA(native.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (f.h == INVALID_HANDLE_VALUE) fail(path, lastOsError());
    writeAll(f, bytes, path);
    if (!f.close()) fail(path, lastOsError());
#else
    f.fd = ::open(native.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (f.fd < 0) fail(path, errno);
    writeAll(f, bytes, path);
    if (!f.close()) fail(path, errno);
#endif
}

std::string readFileWhole(const std::string& path) {
    const std::string native = nativePath(path);
    std::string out;
    Handle f;
    char buf[64 * 1024];
#ifdef _WIN32
    f.h = CreateFileA(native.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f.h == INVALID_HANDLE_VALUE) fail(path, lastOsError());
    if (GetFileType(f.h) != FILE_TYPE_DISK) fail(path, kNotARegularFile);
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(f.h, buf, sizeof buf, &n, nullptr)) fail(path, lastOsError());
        if (n == 0) break;
        out.append(buf, n);
    }
#else
    // Opened without waiting (a pipe would block the open), then only a plain file is read.
    f.fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (f.fd < 0) fail(path, errno);
    struct stat st {};
    if (::fstat(f.fd, &st) != 0) fail(path, errno);
    if (!S_ISREG(st.st_mode)) fail(path, S_ISDIR(st.st_mode) ? EISDIR : kNotARegularFile);
    ::fcntl(f.fd, F_SETFL, ::fcntl(f.fd, F_GETFL) & ~O_NONBLOCK);
    for (;;) {
        const ssize_t n = ::read(f.fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail(path, errno);
        if (n == 0) break;
        out.append(buf, static_cast<std::size_t>(n));
    }
#endif
    return out;
}

}  // namespace zt
