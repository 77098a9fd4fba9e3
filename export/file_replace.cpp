#include "export/file_replace.h"

#include "platform/exception.h"
#include "platform/fs.h"

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace zt {
namespace {

[[noreturn]] void fail(const std::string& path, int err) { throw EMException(err, path, osErrorText(err)); }

#ifdef _WIN32
// 0 or the system's error code.
int writeNew(const std::string& native, std::string_view text) {
    HANDLE h = CreateFileA(native.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
    int err = 0;
    for (std::size_t done = 0; err == 0 && done < text.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1u << 20));
        DWORD w = 0;
        if (!WriteFile(h, text.data() + done, chunk, &w, nullptr)) err = static_cast<int>(GetLastError());
        else done += w;
    }
    if (err == 0 && !FlushFileBuffers(h)) err = static_cast<int>(GetLastError());
    if (!CloseHandle(h) && err == 0) err = static_cast<int>(GetLastError());
    return err;
}
#else
int writeNew(const std::string& native, std::string_view text) {
    // O_EXCL fails on any existing name, a symbolic link included.
    const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    int err = 0;
    for (std::size_t done = 0; err == 0 && done < text.size();) {
        const ssize_t w = ::write(fd, text.data() + done, text.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w < 0) err = errno;
        else if (w == 0) err = EIO;
        else done += static_cast<std::size_t>(w);
    }
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    return err;
}
#endif

}  // namespace

void ZapiszCalyPlik(const std::string& path, std::string_view text) {
    const std::string tmp = path + ".tmp";
    // A temporary file left by a failed run (or a link planted under its name)
    // is removed, not written through.
    deleteFile(tmp);
    const int err = writeNew(nativePath(tmp), text);
    if (err != 0) {
        deleteFile(tmp);
        fail(tmp, err);
    }
    if (!renameFile(tmp, path)) {
        const int e = lastOsError();
        deleteFile(tmp);
        fail(path, e);
    }
}

}  // namespace zt
