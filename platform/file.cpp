#include "platform/file.h"

#include <cerrno>
#include <cstring>
#include <exception>

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

constexpr std::size_t kBufSize = 64 * 1024;

}  // namespace

void TMFile::fail(int code) const { throw EMException(code, path_, osErrorText(code)); }

void TMFile::requireOpen() const {
    if (!Active()) throw EMException(0, path_, "file is not open");
}

TMFile::~TMFile() {
    try {
        Close();
    } catch (...) {
        // A destructor cannot report; callers who care call Close themselves.
    }
}

void TMFile::SetPath(std::string path) {
    if (Active()) throw EMException(0, path_, "file is open");
    path_ = std::move(path);
}

void TMFile::SetReadOnly(bool readOnly) {
    if (Active()) throw EMException(0, path_, "file is open");
    readOnly_ = readOnly;
}

bool TMFile::Active() const noexcept {
#ifdef _WIN32
    return handle_ != nullptr;
#else
    return fd_ >= 0;
#endif
}

void TMFile::Open() {
    bool nameTaken = false;
    open(true, nameTaken);
}

bool TMFile::TryOpen() {
    bool nameTaken = false;
    open(false, nameTaken);
    return !nameTaken;
}

void TMFile::open(bool nameTakenThrows, bool& nameTaken) {
    nameTaken = false;
    if (Active()) return;
    const std::string native = nativePath(path_);
    const FileCreation creation = readOnly_ ? FileCreation::Always : creation_;
#ifdef _WIN32
    DWORD disposition = readOnly_ ? OPEN_EXISTING : (creation == FileCreation::New ? CREATE_NEW : OPEN_ALWAYS);
    // A reparse point (a link) is opened itself rather than followed, and then refused.
    DWORD flags = FILE_ATTRIBUTE_NORMAL | (creation == FileCreation::NoFollow ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    HANDLE h = CreateFileA(native.c_str(), readOnly_ ? GENERIC_READ : (GENERIC_READ | GENERIC_WRITE),
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const int err = lastOsError();
        nameTaken = creation == FileCreation::New && (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS);
        if (nameTaken && !nameTakenThrows) return;
        fail(err);
    }
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        fail(kNotARegularFile);
    }
    if (creation != FileCreation::Always) {
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(h, &info) ||
            (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
            CloseHandle(h);
            fail(ERROR_CANT_ACCESS_FILE);
        }
    }
    handle_ = h;
#else
    // A reader never waits in the open: a pipe planted under the name is refused below.
    int mode = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
    if (!readOnly_) {
        mode = O_RDWR | O_CREAT | O_CLOEXEC;
        // O_EXCL with O_CREAT fails on any existing name, a dangling link too.
        if (creation == FileCreation::New) mode |= O_EXCL;
        if (creation == FileCreation::NoFollow) mode |= O_NOFOLLOW | O_NONBLOCK;
    }
    int fd = ::open(native.c_str(), mode, 0666);
    if (fd < 0) {
        const int err = lastOsError();
        nameTaken = creation == FileCreation::New && err == EEXIST;
        if (nameTaken && !nameTakenThrows) return;
        fail(err);
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        fail(EISDIR);
    }
    if (readOnly_) {
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            fail(kNotARegularFile);
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    }
    if (creation != FileCreation::Always) {
        // Only a plain file: a planted pipe or device is not written to either.
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            fail(EINVAL);
        }
        if (creation == FileCreation::NoFollow) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    }
    fd_ = fd;
#endif
    pos_ = 0;
    rstart_ = 0;
    rlen_ = 0;
    wbuf_.clear();
}

void TMFile::Close() {
    if (!Active()) return;
    std::exception_ptr pending;
    try {
        flushWrite();
    } catch (...) {
        pending = std::current_exception();
    }
    int err = 0;
#ifdef _WIN32
    CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
#else
    if (::close(fd_) != 0) err = lastOsError();
    fd_ = -1;
#endif
    rlen_ = 0;
    wbuf_.clear();
    if (pending) std::rethrow_exception(pending);
    if (err != 0) fail(err);
}

std::int64_t TMFile::Size() {
    requireOpen();
    flushWrite();
#ifdef _WIN32
    LARGE_INTEGER li;
    if (!GetFileSizeEx(static_cast<HANDLE>(handle_), &li)) fail(lastOsError());
    return li.QuadPart;
#else
    struct stat st {};
    if (::fstat(fd_, &st) != 0) fail(lastOsError());
    return st.st_size;
#endif
}

void TMFile::SetPosition(std::int64_t pos) {
    requireOpen();
    if (pos < 0) pos = 0;
    if (!wbuf_.empty() && pos != wstart_ + static_cast<std::int64_t>(wbuf_.size())) flushWrite();
    pos_ = pos;
}

void TMFile::Truncate() {
    requireOpen();
    flushWrite();
    rlen_ = 0;
#ifdef _WIN32
    LARGE_INTEGER li;
    li.QuadPart = pos_;
    if (!SetFilePointerEx(static_cast<HANDLE>(handle_), li, nullptr, FILE_BEGIN) ||
        !SetEndOfFile(static_cast<HANDLE>(handle_)))
        fail(lastOsError());
#else
    if (::ftruncate(fd_, pos_) != 0) fail(lastOsError());
#endif
}

void TMFile::Write(const void* data, std::size_t len) {
    requireOpen();
    if (readOnly_)
        fail(
#ifdef _WIN32
            ERROR_ACCESS_DENIED
#else
            EBADF
#endif
        );
    if (len == 0) return;
    rlen_ = 0;  // the read buffer may now be stale
    if (wbuf_.empty()) wstart_ = pos_;
    wbuf_.append(static_cast<const char*>(data), len);
    pos_ += static_cast<std::int64_t>(len);
    if (wbuf_.size() >= kBufSize) flushWrite();
}

void TMFile::WriteLine(std::string_view text, std::string_view lineEnd) {
    Write(text.data(), text.size());
    Write(lineEnd.data(), lineEnd.size());
}

void TMFile::flushWrite() {
    if (wbuf_.empty()) return;
    std::string data;
    data.swap(wbuf_);  // dropped also when writing fails: the error is reported once
    const char* p = data.data();
    std::size_t left = data.size();
    std::int64_t off = wstart_;
#ifdef _WIN32
    LARGE_INTEGER li;
    li.QuadPart = off;
    if (!SetFilePointerEx(static_cast<HANDLE>(handle_), li, nullptr, FILE_BEGIN)) fail(lastOsError());
    while (left > 0) {
        DWORD done = 0;
        DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
        if (!WriteFile(static_cast<HANDLE>(handle_), p, chunk, &done, nullptr)) fail(lastOsError());
        if (done == 0) fail(ERROR_WRITE_FAULT);
        p += done;
        left -= done;
    }
#else
    while (left > 0) {
        ssize_t n = ::pwrite(fd_, p, left, off);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(lastOsError());
        }
        if (n == 0) fail(EIO);
        p += n;
        left -= static_cast<std::size_t>(n);
        off += n;
    }
#endif
}

void TMFile::Flush() {
    requireOpen();
    flushWrite();
    if (readOnly_) return;
#ifdef _WIN32
    if (!FlushFileBuffers(static_cast<HANDLE>(handle_))) fail(lastOsError());
#else
    if (::fsync(fd_) != 0) fail(lastOsError());
#endif
}

// Loads the buffer with the bytes from pos_ on; false at the end of the file.
bool TMFile::fillRead() {
    flushWrite();
    if (rbuf_.size() != kBufSize) rbuf_.resize(kBufSize);
    rstart_ = pos_;
    rlen_ = 0;
#ifdef _WIN32
    LARGE_INTEGER li;
    li.QuadPart = pos_;
    if (!SetFilePointerEx(static_cast<HANDLE>(handle_), li, nullptr, FILE_BEGIN)) fail(lastOsError());
    DWORD done = 0;
    if (!ReadFile(static_cast<HANDLE>(handle_), rbuf_.data(), static_cast<DWORD>(kBufSize), &done, nullptr))
        fail(lastOsError());
    rlen_ = done;
#else
    for (;;) {
        ssize_t n = ::pread(fd_, rbuf_.data(), kBufSize, pos_);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(lastOsError());
        }
        rlen_ = static_cast<std::size_t>(n);
        break;
    }
#endif
    return rlen_ > 0;
}

bool TMFile::ReadLine(std::string& out) {
    requireOpen();
    out.clear();
    bool any = false;
    for (;;) {
        if (pos_ < rstart_ || pos_ >= rstart_ + static_cast<std::int64_t>(rlen_)) {
            if (!fillRead()) break;
        }
        const char* begin = rbuf_.data() + (pos_ - rstart_);
        const char* end = rbuf_.data() + rlen_;
        any = true;
        const void* nl = std::memchr(begin, '\n', static_cast<std::size_t>(end - begin));
        if (nl) {
            const char* e = static_cast<const char*>(nl);
            out.append(begin, e);
            pos_ += (e - begin) + 1;
            if (!out.empty() && out.back() == '\r') out.pop_back();
            return true;
        }
        out.append(begin, end);
        pos_ += end - begin;
    }
    if (!out.empty() && out.back() == '\r') out.pop_back();
    return any;
}

void TMFile::ReadStringsFromFile(const std::string& path, std::vector<std::string>& lines) {
    TMFile f(path, true);
    f.Open();
    lines.clear();
    std::string line;
    while (f.ReadLine(line)) lines.push_back(line);
    f.Close();
}

}  // namespace zt
