#include "save/destination.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace datrevo {
namespace {

WriteFailure Failure(int error) { return WriteFailure{error, WriteFailureText(error)}; }

}  // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        reset();
        fd_ = other.release();
    }
    return *this;
}

int UniqueFd::reset() {
    if (fd_ < 0) return 0;
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
}

std::string WriteFailureText(int error) {
    switch (error) {
        case ENOSPC: return "There is not enough free space on the destination.";
        case EDQUOT: return "The disk quota on the destination is used up.";
        case EACCES:
        case EPERM: return "Permission denied: choose a destination folder you may write to.";
        case EROFS: return "The destination is read-only.";
        case ELOOP: return "A symbolic link stands in the way; nothing is written through links.";
        case ENOTDIR: return "A file stands where a folder is to be created.";
        case EISDIR: return "A folder of this name exists.";
        case ENAMETOOLONG: return "The name or path is too long for the destination.";
        case EEXIST: return "A file of this name exists.";
        default: return std::strerror(error);
    }
}

std::optional<Destination> Destination::Open(const std::string& path, WriteFailure& failure) {
    // Missing folders are made one level at a time, so that the call that
    // fails, and its reason, is the one reported (with the folder it was for).
    std::error_code code;
    const std::filesystem::path wanted = std::filesystem::absolute(path, code);
    if (code) {
        failure = {code.value(), path + ": " + WriteFailureText(code.value())};
        return std::nullopt;
    }
    std::filesystem::path prefix;
    for (const auto& part : wanted) {
        prefix /= part;
        if (::mkdir(prefix.c_str(), 0755) == 0 || errno == EEXIST) continue;
        const int error = errno;
        struct stat info {};
        if (::stat(prefix.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            continue;  // e.g. EACCES on "/"
        failure = {error,
                   "cannot create the folder " + prefix.string() + ": " + WriteFailureText(error)};
        return std::nullopt;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        failure = {error, "cannot open the folder " + path + ": " + WriteFailureText(error)};
        return std::nullopt;
    }
    return Destination(UniqueFd(fd), path);
}

UniqueFd Destination::openFolder(const std::vector<std::string>& parts, std::size_t count,
                                 WriteFailure& failure) const {
    UniqueFd current(::dup(root_.get()));
    if (!current.valid()) {
        failure = Failure(errno);
        return {};
    }
    for (std::size_t i = 0; i < count && i < parts.size(); ++i) {
        const char* name = parts[i].c_str();
        if (::mkdirat(current.get(), name, 0755) != 0 && errno != EEXIST) {
            failure = Failure(errno);
            return {};
        }
        const int next =
            ::openat(current.get(), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            failure = Failure(errno);
            return {};
        }
        current = UniqueFd(next);
    }
    return current;
}

EntryType Destination::typeOf(int folder, const std::string& name) {
    struct stat info {};
    if (::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? EntryType::Missing : EntryType::Other;
    if (S_ISREG(info.st_mode)) return EntryType::File;
    if (S_ISDIR(info.st_mode)) return EntryType::Folder;
    return EntryType::Other;
}

bool Destination::isProtected(int folder, const std::string& name) const {
    struct stat info {};
    if (::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return false;
    for (const FileIdentity& identity : protected_)
        if (identity.device == info.st_dev && identity.inode == info.st_ino) return true;
    return false;
}

UniqueFd Destination::createFile(int folder, const std::string& name, WriteFailure& failure) {
    const int fd =
        ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) failure = Failure(errno);
    return UniqueFd(fd);
}

bool Destination::removeFile(int folder, const std::string& name) {
    return ::unlinkat(folder, name.c_str(), 0) == 0;
}

std::optional<std::uint64_t> Destination::freeBytes(int folder) {
    struct statvfs info {};
    if (::fstatvfs(folder, &info) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

bool Destination::writeAll(int fd, std::span<const std::uint8_t> bytes, WriteFailure& failure) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            failure = Failure(errno);
            return false;
        }
        if (written == 0) {
            failure = Failure(ENOSPC);
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
}

bool Destination::setTime(int fd, const CopyTime& time) {
    struct timespec times[2];
    times[0].tv_sec = static_cast<time_t>(time.seconds);
    times[0].tv_nsec = static_cast<long>(time.nanoseconds);
    times[1] = times[0];
    return ::futimens(fd, times) == 0;
}

}  // namespace datrevo
