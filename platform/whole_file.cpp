#include "platform/whole_file.h"

#include "platform/exception.h"
#include "platform/fs.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace zt {
namespace {

[[noreturn]] void fail(const std::string& path, int code) { throw EMException(code, path, osErrorText(code)); }

}  // namespace

void writeNewFile(const std::string& path, std::string_view bytes) {
    const std::string native = nativePath(path);
    int err = 0;
#ifdef _WIN32
    // CREATE_NEW fails on any existing name, a link included.
    HANDLE h = CreateFileA(native.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) fail(path, lastOsError());
    for (std::size_t done = 0; err == 0 && done < bytes.size();) {
        const std::size_t chunk = bytes.size() - done > 0x10000000 ? 0x10000000 : bytes.size() - done;
        DWORD written = 0;
        if (!WriteFile(h, bytes.data() + done, static_cast<DWORD>(chunk), &written, nullptr)) err = lastOsError();
        else if (written == 0) err = ERROR_WRITE_FAULT;
        else done += written;
    }
    if (!CloseHandle(h) && err == 0) err = lastOsError();
#else
    // O_EXCL with O_CREAT never follows a link in the last part of the name.
    const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) fail(path, errno);
    for (std::size_t done = 0; err == 0 && done < bytes.size();) {
        const ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w < 0) err = errno;
        else if (w == 0) err = EIO;
        else done += static_cast<std::size_t>(w);
    }
    if (::close(fd) != 0 && err == 0) err = errno;
#endif
    if (err != 0) {
        deleteFile(path);
        fail(path, err);
    }
}

void replaceFileWhole(const std::string& path, const std::string& tempPath, std::string_view bytes) {
    deleteFile(tempPath);  // removes a link itself, never its target
    writeNewFile(tempPath, bytes);
    if (!renameFile(tempPath, path)) {
        const int err = lastOsError();
        deleteFile(tempPath);
        fail(path, err);
    }
}

}  // namespace zt
