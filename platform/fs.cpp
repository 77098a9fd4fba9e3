#include "platform/fs.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>
#endif

namespace zt {

std::string nativePath(std::string_view path) {
    std::string s(path);
#ifndef _WIN32
    for (char& c : s)
        if (c == '\\') c = '/';
#endif
    return s;
}

std::string withTrailingSeparator(std::string_view dir) {
    std::string s(dir);
    if (s.empty() || (s.back() != '\\' && s.back() != '/')) s += kPathSeparator;
    return s;
}

bool fileExists(const std::string& path) {
    const std::string p = nativePath(path);
#ifdef _WIN32
    DWORD a = GetFileAttributesA(p.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
#else
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
#endif
}

bool isLink(const std::string& path) {
    std::string p = nativePath(path);
    while (p.size() > 1 && (p.back() == '/' || p.back() == '\\')) p.pop_back();
    if (p.empty()) return false;
#ifdef _WIN32
    DWORD a = GetFileAttributesA(p.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
#else
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
#endif
}

bool dirExists(const std::string& path) {
    std::string p = nativePath(path);
    while (p.size() > 1 && (p.back() == '/' || p.back() == '\\')) p.pop_back();
    if (p.empty()) return false;
#ifdef _WIN32
    DWORD a = GetFileAttributesA(p.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
#else
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
#endif
}

bool createDirs(const std::string& path) {
    std::string p = nativePath(path);
    while (p.size() > 1 && (p.back() == '/' || p.back() == '\\')) p.pop_back();
    if (p.empty()) return false;
    if (dirExists(p)) return true;
    // Each prefix ending before a separator, from the root down.
    for (std::size_t i = 1; i <= p.size(); ++i) {
        if (i < p.size() && p[i] != '/' && p[i] != '\\') continue;
        const std::string part = p.substr(0, i);
        if (part.size() == 2 && part[1] == ':') continue;  // drive letter
        if (dirExists(part)) continue;
#ifdef _WIN32
        CreateDirectoryA(part.c_str(), nullptr);
#else
        ::mkdir(part.c_str(), 0777);
#endif
    }
    return dirExists(p);
}

bool deleteFile(const std::string& path) {
    const std::string p = nativePath(path);
#ifdef _WIN32
    return DeleteFileA(p.c_str()) != 0;
#else
    return ::unlink(p.c_str()) == 0;
#endif
}

bool renameFile(const std::string& from, const std::string& to) {
    const std::string f = nativePath(from), t = nativePath(to);
#ifdef _WIN32
    return MoveFileExA(f.c_str(), t.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
#else
    return ::rename(f.c_str(), t.c_str()) == 0;
#endif
}

bool copyFile(const std::string& from, const std::string& to, bool failIfExists) {
    const std::string f = nativePath(from), t = nativePath(to);
#ifdef _WIN32
    return CopyFileA(f.c_str(), t.c_str(), failIfExists ? TRUE : FALSE) != 0;
#else
    // Only a plain file is copied (a pipe would block the open), and never onto a link.
    int in = ::open(f.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0) return false;
    struct stat st {};
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        errno = EINVAL;
        return false;
    }
    ::fcntl(in, F_SETFL, ::fcntl(in, F_GETFL) & ~O_NONBLOCK);
    int out = ::open(t.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | (failIfExists ? O_EXCL : O_TRUNC), 0666);
    if (out < 0) {
        const int err = errno;
        ::close(in);
        errno = err;
        return false;
    }
    std::vector<char> buf(64 * 1024);
    int err = 0;  // errno of the first failed step, kept past the closes
    for (;;) {
        ssize_t n = ::read(in, buf.data(), buf.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n < 0) err = errno;
            break;
        }
        for (ssize_t done = 0; err == 0 && done < n;) {
            ssize_t w = ::write(out, buf.data() + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w < 0)
                err = errno;
            else if (w == 0)
                err = EIO;
            else
                done += w;
        }
        if (err != 0) break;
    }
    ::close(in);
    if (::close(out) != 0 && err == 0) err = errno;
    errno = err;
    return err == 0;
#endif
}

bool anyFileMatches(const std::string& pattern) {
    const std::string p = nativePath(pattern);
#ifdef _WIN32
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(p.c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool found = false;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) found = true;
    } while (!found && FindNextFileA(h, &fd));
    FindClose(h);
    return found;
#else
    glob_t g{};
    bool found = false;
    if (::glob(p.c_str(), GLOB_NOSORT, nullptr, &g) == 0) {
        for (std::size_t i = 0; i < g.gl_pathc && !found; ++i) found = fileExists(g.gl_pathv[i]);
    }
    ::globfree(&g);
    return found;
#endif
}

std::string shortPath(const std::string& path) {
#ifdef _WIN32
    char buf[MAX_PATH + 1] = {};
    DWORD n = GetShortPathNameA(path.c_str(), buf, MAX_PATH);
    if (n == 0 || n > MAX_PATH) return {};
    return std::string(buf, n);
#else
    (void)path;
    return {};
#endif
}

#ifdef _WIN32
int lastOsError() noexcept { return static_cast<int>(GetLastError()); }

std::string osErrorText(int code) {
    if (code == kNotARegularFile) return "not a regular file";
    char* msg = nullptr;
    DWORD n =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&msg), 0, nullptr);
    std::string s = n && msg ? std::string(msg, n) : "error " + std::to_string(code);
    if (msg) LocalFree(msg);
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ' || s.back() == '.')) s.pop_back();
    return s;
}
#else
int lastOsError() noexcept { return errno; }

std::string osErrorText(int code) {
    if (code == kNotARegularFile) return "not a regular file";
    return std::strerror(code);
}
#endif

}  // namespace zt
