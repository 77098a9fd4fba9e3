// Preloaded into the bench by the kill tests: counts the plug-in's file steps
// in one folder (each write or positioned write, rename and delete of a file under
// ZT_KILL_DIR, the host's own results/ excepted) and at step ZT_KILL_STEP
// kills the process with SIGKILL, as a power cut or the task manager would:
// a write is cut after half its bytes, a rename or delete before it runs.
// ZT_KILL_COUNT names a file that receives the number of steps at exit.
// With ZT_FAIL_STEP instead, a rename or delete at that step fails once
// (EACCES, as Windows refuses a file another program holds open); a write
// there goes through.
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

long gSteps = 0;

const char* dirPrefix() {
    static const char* d = std::getenv("ZT_KILL_DIR");
    return d;
}

long killAt() {
    static const long n = std::getenv("ZT_KILL_STEP") ? std::atol(std::getenv("ZT_KILL_STEP")) : 0;
    return n;
}

bool watched(const std::string& path) {
    const char* d = dirPrefix();
    if (!d || path.compare(0, std::strlen(d), d) != 0) return false;
    return path.find("/results/") == std::string::npos;
}

std::string pathOf(int fd) {
    char link[64], buf[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(link, buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

std::string absolute(const char* path) {
    if (!path) return {};
    if (path[0] == '/') return path;
    char cwd[4096];
    return std::string(::getcwd(cwd, sizeof cwd) ? cwd : "") + "/" + path;
}

long failAt() {
    static const long n = std::getenv("ZT_FAIL_STEP") ? std::atol(std::getenv("ZT_FAIL_STEP")) : 0;
    return n;
}

bool gFailNow = false;

// True when this step is the one to die at; gFailNow when it is the one to fail.
bool step(const std::string& path) {
    gFailNow = false;
    if (!watched(path)) return false;
    gFailNow = ++gSteps == failAt();
    return gSteps == killAt();
}

[[noreturn]] void die() {
    ::kill(::getpid(), SIGKILL);
    for (;;) ::pause();
}

template <typename F>
F next(const char* name) {
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

struct CountAtExit {
    ~CountAtExit() {
        if (const char* f = std::getenv("ZT_KILL_COUNT"))
            if (FILE* out = std::fopen(f, "w")) {
                std::fprintf(out, "%ld\n", gSteps);
                std::fclose(out);
            }
    }
} gCountAtExit;

}  // namespace

extern "C" {

__attribute__((visibility("default"))) ssize_t write(int fd, const void* buf, size_t n) {
    static auto real = next<ssize_t (*)(int, const void*, size_t)>("write");
    struct stat st {};
    if (n > 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && step(pathOf(fd))) {
        real(fd, buf, n / 2);
        die();
    }
    return real(fd, buf, n);
}

// Positioned writes too: the platform's buffered file writes through them.
__attribute__((visibility("default"))) ssize_t pwrite(int fd, const void* buf, size_t n, off_t at) {
    static auto real = next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
    struct stat st {};
    if (n > 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && step(pathOf(fd))) {
        real(fd, buf, n / 2, at);
        die();
    }
    return real(fd, buf, n, at);
}

__attribute__((visibility("default"))) int rename(const char* from, const char* to) {
    static auto real = next<int (*)(const char*, const char*)>("rename");
    if (step(absolute(to))) die();
    if (gFailNow) return errno = EACCES, -1;
    return real(from, to);
}

__attribute__((visibility("default"))) int unlink(const char* path) {
    static auto real = next<int (*)(const char*)>("unlink");
    if (step(absolute(path))) die();
    if (gFailNow) return errno = EACCES, -1;
    return real(path);
}

}  // extern "C"
