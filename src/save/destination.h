// Writing under the destination folder without ever leaving it.
//
// Every folder and file is reached from the destination's own descriptor
// with openat and O_NOFOLLOW, one name at a time, so a symbolic link planted
// in the destination (or a name that escaped the mending) cannot redirect a
// write. New files are created with O_EXCL; an existing file is replaced
// only when the caller says so, and the disk being recovered (when it is an
// image file) is never replaced.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <sys/types.h>

#include "save/copy_time.h"

namespace datrevo {

// A file descriptor closed on destruction.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes now; the errno of a failed close (a delayed write error), else 0.
    int reset();

private:
    int fd_ = -1;
};

// What a destination operation failed with: errno and the words for the user.
struct WriteFailure {
    int error = 0;
    std::string message;
};

enum class EntryType { Missing, File, Folder, Other };

class Destination {
public:
    // Opens the destination folder, creating it (and missing parents) first.
    // On failure `failure` holds the first call that failed: its errno, and a
    // message naming the folder it was for.
    static std::optional<Destination> Open(const std::string& path, WriteFailure& failure);

    // A file that must never be replaced (the image being recovered).
    void protect(dev_t device, ino_t inode) { protected_.push_back({device, inode}); }

    // The folder `parts[0] / ... / parts[count-1]` below the destination,
    // created where missing.
    UniqueFd openFolder(const std::vector<std::string>& parts, std::size_t count,
                        WriteFailure& failure) const;

    static EntryType typeOf(int folder, const std::string& name);
    bool isProtected(int folder, const std::string& name) const;
    // Creates a new file (never an existing one).
    static UniqueFd createFile(int folder, const std::string& name, WriteFailure& failure);
    static bool removeFile(int folder, const std::string& name);
    // Bytes an unprivileged writer may still use on the folder's file system.
    static std::optional<std::uint64_t> freeBytes(int folder);
    static bool writeAll(int fd, std::span<const std::uint8_t> bytes, WriteFailure& failure);
    static bool setTime(int fd, const CopyTime& time);

    int fd() const { return root_.get(); }
    const std::string& path() const { return path_; }

private:
    Destination(UniqueFd root, std::string path) : root_(std::move(root)), path_(std::move(path)) {}

    struct FileIdentity {
        dev_t device;
        ino_t inode;
    };
    UniqueFd root_;
    std::string path_;
    std::vector<FileIdentity> protected_;
};

// The words for an errno, with the fix where there is one.
std::string WriteFailureText(int error);

}  // namespace datrevo
