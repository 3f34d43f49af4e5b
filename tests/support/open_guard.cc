// A wrapper around the C library's open calls, preloaded into a program under
// test (LD_PRELOAD): any open of the file named by DATREVO_GUARDED_PATH for
// writing (O_WRONLY, O_RDWR, O_CREAT, O_TRUNC, O_APPEND, or an fopen mode
// other than "r"/"rb"), and any truncate of it, aborts the program at once.
// Paths are compared after resolving them, so a relative or linked name of
// the guarded file is caught too. Not part of any test binary: it is built
// as a shared library of its own.
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

}  // namespace

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
    return Next<int (*)(const char*, int, ...)>("open")(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    if ((flags & kWriteFlags) != 0 && IsGuarded(AT_FDCWD, path)) Refuse("open64", path);
    return Next<int (*)(const char*, int, ...)>("open64")(path, flags, mode);
}

int openat(int directory, const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    if ((flags & kWriteFlags) != 0 && IsGuarded(directory, path)) Refuse("openat", path);
    return Next<int (*)(int, const char*, int, ...)>("openat")(directory, path, flags, mode);
}

int openat64(int directory, const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    if ((flags & kWriteFlags) != 0 && IsGuarded(directory, path)) Refuse("openat64", path);
    return Next<int (*)(int, const char*, int, ...)>("openat64")(directory, path, flags, mode);
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

}  // extern "C"
