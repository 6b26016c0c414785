// A test double for a dead network share, preloaded into the program under test (no FUSE here):
// the first read() of the file named by VELLORIA_TEST_HANG_NAME creates the file named by
// VELLORIA_TEST_HANG_FLAG and then blocks in the kernel for good, on a pipe nobody writes to.
#include <atomic>
#include <cstdarg>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace {
std::atomic<int> HangFd{-1};

bool IsTheHangingFile(const char* path) {
    const char* name = ::getenv("VELLORIA_TEST_HANG_NAME");
    if (!path || !name)
        return false;
    const size_t length = std::strlen(path);
    const size_t nameLength = std::strlen(name);
    return length >= nameLength && std::strcmp(path + length - nameLength, name) == 0;
}

template <typename Function> Function Next(const char* symbol) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, symbol));
}

int Opened(int fd, const char* path) {
    if (fd >= 0 && IsTheHangingFile(path))
        HangFd = fd;
    return fd;
}

[[noreturn]] void Hang() {
    if (const char* flag = ::getenv("VELLORIA_TEST_HANG_FLAG"))
        ::close(Next<int (*)(const char*, int, ...)>("open")(flag, O_CREAT | O_WRONLY, 0600));
    int ends[2];
    ::pipe(ends);
    char byte;
    for (;;)
        Next<ssize_t (*)(int, void*, size_t)>("read")(ends[0], &byte, 1);
}

// open and open64 alike: the next library's, noting the hanging file's descriptor.
int OpenThrough(const char* symbol, const char* path, int flags, va_list rest) {
    const mode_t mode = (flags & O_CREAT) ? mode_t(va_arg(rest, int)) : 0;
    return Opened(Next<int (*)(const char*, int, ...)>(symbol)(path, flags, mode), path);
}
} // namespace

extern "C" {
int open(const char* path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    const int fd = OpenThrough("open", path, flags, rest);
    va_end(rest);
    return fd;
}

int open64(const char* path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    const int fd = OpenThrough("open64", path, flags, rest);
    va_end(rest);
    return fd;
}

ssize_t read(int fd, void* buffer, size_t size) {
    if (fd >= 0 && fd == HangFd)
        Hang();
    return Next<ssize_t (*)(int, void*, size_t)>("read")(fd, buffer, size);
}
}
