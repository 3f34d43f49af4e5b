#include "disk/file_source.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace datrevo {

FileSource::FileSource(std::string path) : path_(std::move(path)) {
    fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        openError_ = errno;
        return;
    }
    measure();
}

FileSource::FileSource(std::string path, int fd) : path_(std::move(path)) {
    const int flags = fd >= 0 ? ::fcntl(fd, F_GETFL) : -1;
    if (flags < 0 || (flags & O_ACCMODE) != O_RDONLY) {
        if (fd >= 0) ::close(fd);
        openError_ = EBADF;
        return;
    }
    fd_ = fd;
    ::fcntl(fd_, F_SETFD, FD_CLOEXEC);
    measure();
}

void FileSource::measure() {
    struct stat info {};
    if (::fstat(fd_, &info) == 0) {
        if (S_ISBLK(info.st_mode)) {
            std::uint64_t bytes = 0;
            if (::ioctl(fd_, BLKGETSIZE64, &bytes) == 0) size_ = bytes;
        } else {
            size_ = static_cast<std::uint64_t>(info.st_size);
        }
    }
}

FileSource::~FileSource() {
    if (fd_ >= 0) ::close(fd_);
}

SourceRead FileSource::readAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
    SourceRead result;
    if (fd_ < 0) {
        result.error = openError_ ? openError_ : EBADF;
        return result;
    }
    while (result.bytesRead < out.size()) {
        const std::uint64_t at = offset + result.bytesRead;
        if (at > static_cast<std::uint64_t>(INT64_MAX)) {
            result.error = EINVAL;
            break;
        }
        const ssize_t n = ::pread(fd_, out.data() + result.bytesRead, out.size() - result.bytesRead,
                                  static_cast<off_t>(at));
        if (n < 0) {
            if (errno == EINTR) continue;
            result.error = errno;
            break;
        }
        if (n == 0) break;  // end of the medium
        result.bytesRead += static_cast<std::size_t>(n);
    }
    return result;
}

void FileSource::willRead(std::uint64_t offset, std::uint64_t length) const {
    // The kernel starts reading ahead in the background; a failure here
    // only means no head start, so it is not reported.
    if (fd_ < 0 || offset > static_cast<std::uint64_t>(INT64_MAX) ||
        length > static_cast<std::uint64_t>(INT64_MAX))
        return;
    ::posix_fadvise(fd_, static_cast<off_t>(offset), static_cast<off_t>(length),
                    POSIX_FADV_WILLNEED);
}

std::string OpenFailureMessage(const std::string& path, int error) {
    std::string message = "Cannot open " + path + " for reading: " + std::strerror(error) + ".";
    if (error == EACCES || error == EPERM)
        message +=
            " Reading a disk needs the right to read its device: run as root (sudo), or add "
            "your user to the 'disk' group and log in again.";
    else if (error == ENOENT)
        message += " Check that the disk is attached or that the image path is right.";
    else if (error == ENOMEDIUM)
        message += " Insert the card or medium and try again.";
    return message;
}

}  // namespace datrevo
