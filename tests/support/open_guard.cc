// A wrapper around the C library's open calls, preloaded into a program under
// test (LD_PRELOAD): any open of the file named by DATREVO_GUARDED_PATH for
// writing (O_WRONLY, O_RDWR, O_CREAT, O_TRUNC, O_APPEND, or an fopen mode
// other than "r"/"rb"), and any truncate of it, aborts the program at once.
// Paths are compared after resolving them, so a relative or linked name of
// the guarded file is caught too. Not part of any test binary: it is built
// as a shared library of its own.
//
// With DATREVO_COUNT_READS set it also counts the reads (read, pread) of the
// guarded file and says at exit "open_guard: <n> reads of the guarded file",
// so a test can tell that a program refused its work before reading a disk.
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

constexpr int kWriteFlags = O_WRONLY | O_RDWR | O_CREAT | O_TRUNC | O_APPEND;

bool IsGuarded(int directory, const char* path) {
    const char* guarded = getenv("DATREVO_GUARDED_PATH");
    if (guarded == nullptr || path == nullptr) return false;
    char resolved[PATH_MAX];
    if (directory != AT_FDCWD && path[0] != '/') {
        // Relative to a directory descriptor: resolve through /proc.
        char base[PATH_MAX];
        char link[64];
        snprintf(link, sizeof link, "/proc/self/fd/%d", directory);
        const ssize_t length = readlink(link, base, sizeof base - 1);
        if (length <= 0) return false;
        base[length] = '\0';
        char joined[PATH_MAX * 2];
        snprintf(joined, sizeof joined, "%s/%s", base, path);
        if (realpath(joined, resolved) == nullptr) return false;
    } else if (realpath(path, resolved) == nullptr) {
        return false;  // a file that does not exist is not the guarded image
    }
    char guardedResolved[PATH_MAX];
    if (realpath(guarded, guardedResolved) == nullptr) return false;
    return strcmp(resolved, guardedResolved) == 0;
}

[[noreturn]] void Refuse(const char* call, const char* path) {
    fprintf(stderr, "open_guard: %s opened %s for writing\n", call, path);
    fflush(stderr);
    abort();
}

template <typename Function>
Function Next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

mode_t ModeArgument(int flags, va_list arguments) {
    return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}

// Descriptors of the guarded file open for reading, stored as fd + 1 (0: a
// free slot), and the reads made through them. No allocation: this runs
// inside the C library's calls.
constexpr int kTrackedSlots = 64;
int tracked[kTrackedSlots];
unsigned long guardedReads = 0;

bool Counting() { return getenv("DATREVO_COUNT_READS") != nullptr; }

void Track(int fd, int directory, const char* path) {
    if (fd < 0 || !Counting() || !IsGuarded(directory, path)) return;
    for (int& slot : tracked) {
        int expected = 0;
        if (__atomic_compare_exchange_n(&slot, &expected, fd + 1, false, __ATOMIC_SEQ_CST,
                                        __ATOMIC_SEQ_CST))
            return;
    }
}

bool Tracked(int fd) {
    for (int& slot : tracked)
        if (__atomic_load_n(&slot, __ATOMIC_SEQ_CST) == fd + 1) return true;
    return false;
}

void Untrack(int fd) {
    for (int& slot : tracked) {
        int expected = fd + 1;
        __atomic_compare_exchange_n(&slot, &expected, 0, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
    }
}

void CountRead(int fd) {
    if (fd >= 0 && Tracked(fd)) __atomic_add_fetch(&guardedReads, 1, __ATOMIC_SEQ_CST);
}

}  // namespace

__attribute__((destructor)) static void ReportReads() {
    if (Counting()) fprintf(stderr, "open_guard: %lu reads of the guarded file\n", guardedReads);
}

// With DATREVO_GUARD_ANNOUNCE set, says on stderr that it was loaded, so a
// test can tell that the program under test runs with the guard.
__attribute__((constructor)) static void Announce() {
    if (getenv("DATREVO_GUARD_ANNOUNCE") != nullptr) fputs("open_guard: loaded\n", stderr);
}

extern "C" {

int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    if ((flags & kWriteFlags) != 0 && IsGuarded(AT_FDCWD, path)) Refuse("open", path);
    const int fd = Next<int (*)(const char*, int, ...)>("open")(path, flags, mode);
    Track(fd, AT_FDCWD, path);
    return fd;
}

int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    if ((flags & kWriteFlags) != 0 && IsGuarded(AT_FDCWD, path)) Refuse("open64", path);
    const int fd = Next<int (*)(const char*, int, ...)>("open64")(path, flags, mode);
    Track(fd, AT_FDCWD, path);
    return fd;
}

int openat(int directory, const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    if ((flags & kWriteFlags) != 0 && IsGuarded(directory, path)) Refuse("openat", path);
    const int fd = Next<int (*)(int, const char*, int, ...)>("openat")(directory, path, flags, mode);
    Track(fd, directory, path);
    return fd;
}

int openat64(int directory, const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    if ((flags & kWriteFlags) != 0 && IsGuarded(directory, path)) Refuse("openat64", path);
    const int fd = Next<int (*)(int, const char*, int, ...)>("openat64")(directory, path, flags, mode);
    Track(fd, directory, path);
    return fd;
}

int creat(const char* path, mode_t mode) {
    if (IsGuarded(AT_FDCWD, path)) Refuse("creat", path);
    return Next<int (*)(const char*, mode_t)>("creat")(path, mode);
}

int creat64(const char* path, mode_t mode) {
    if (IsGuarded(AT_FDCWD, path)) Refuse("creat64", path);
    return Next<int (*)(const char*, mode_t)>("creat64")(path, mode);
}

FILE* fopen(const char* path, const char* mode) {
    if (mode != nullptr && mode[0] != 'r' && IsGuarded(AT_FDCWD, path)) Refuse("fopen", path);
    if (mode != nullptr && strchr(mode, '+') != nullptr && IsGuarded(AT_FDCWD, path))
        Refuse("fopen", path);
    return Next<FILE* (*)(const char*, const char*)>("fopen")(path, mode);
}

FILE* fopen64(const char* path, const char* mode) {
    if (mode != nullptr && (mode[0] != 'r' || strchr(mode, '+') != nullptr) &&
        IsGuarded(AT_FDCWD, path))
        Refuse("fopen64", path);
    return Next<FILE* (*)(const char*, const char*)>("fopen64")(path, mode);
}

int truncate(const char* path, off_t length) {
    if (IsGuarded(AT_FDCWD, path)) Refuse("truncate", path);
    return Next<int (*)(const char*, off_t)>("truncate")(path, length);
}

int close(int fd) {
    static const auto next = Next<int (*)(int)>("close");
    Untrack(fd);
    return next(fd);
}

ssize_t read(int fd, void* buffer, size_t count) {
    static const auto next = Next<ssize_t (*)(int, void*, size_t)>("read");
    CountRead(fd);
    return next(fd, buffer, count);
}

ssize_t pread(int fd, void* buffer, size_t count, off_t offset) {
    static const auto next = Next<ssize_t (*)(int, void*, size_t, off_t)>("pread");
    CountRead(fd);
    return next(fd, buffer, count, offset);
}

ssize_t pread64(int fd, void* buffer, size_t count, off64_t offset) {
    static const auto next = Next<ssize_t (*)(int, void*, size_t, off64_t)>("pread64");
    CountRead(fd);
    return next(fd, buffer, count, offset);
}

}  // extern "C"
