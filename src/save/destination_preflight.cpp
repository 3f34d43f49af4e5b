#include "save/destination_preflight.h"

#include <array>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include "save/destination.h"
#include "save/destination_check.h"

namespace datrevo {
namespace {

namespace fs = std::filesystem;

// File systems of the kernel's own that hold no user files (statfs f_type).
constexpr std::array<long, 12> kKernelFileSystems = {
    0x9fa0,      // proc
    0x62656572,  // sysfs
    0x1cd1,      // devpts
    0x27e0eb,    // cgroup
    0x63677270,  // cgroup2
    0x64626720,  // debugfs
    0x73636673,  // securityfs
    0x74726163,  // tracefs
    0xcafe4a11,  // bpf
    0x6165676c,  // pstore
    0xde5e81e4,  // efivarfs
    0x62656570,  // configfs
};

bool OnKernelFileSystem(const fs::path& folder) {
    struct statfs info {};
    if (::statfs(folder.c_str(), &info) != 0) return false;
    for (const long type : kKernelFileSystems)
        if (static_cast<long>(info.f_type) == type) return true;
    return false;
}

// The nearest existing entry at or above the path (the path itself first).
std::optional<fs::path> NearestExisting(const fs::path& path) {
    fs::path current = path;
    for (int guard = 0; guard < 4096 && !current.empty(); ++guard) {
        struct stat info {};
        if (::stat(current.c_str(), &info) == 0) return current;
        if (current == current.parent_path()) break;
        current = current.parent_path();
    }
    return std::nullopt;
}

// 0 when a file or folder can be made in `folder`, else the errno that
// refused it. An unnamed temporary file leaves no trace; where the file
// system has none, a folder is made and removed at once.
int CreationError(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        return 0;
    }
    const int tmpfileError = errno;
    if (tmpfileError != EOPNOTSUPP && tmpfileError != EISDIR && tmpfileError != EINVAL)
        return tmpfileError;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path probe = folder / (".datrevo-probe-" + std::to_string(::getpid()) + "-" +
                                         std::to_string(attempt));
        if (::mkdir(probe.c_str(), 0700) == 0) {
            ::rmdir(probe.c_str());
            return 0;
        }
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

}  // namespace

std::string SaveDestinationProblem(const std::string& destination, const std::string& diskPath,
                                   const std::string& sysRoot) {
    if (destination.empty()) return "No destination folder given.";
    if (std::string refusal = DestinationRefusal(destination, diskPath, sysRoot); !refusal.empty())
        return refusal;
    std::error_code code;
    const fs::path wanted = fs::absolute(destination, code);
    if (code) return destination + ": " + WriteFailureText(code.value());
    const std::optional<fs::path> existing = NearestExisting(wanted);
    if (!existing) return destination + ": " + WriteFailureText(ENOENT);

    struct stat info {};
    if (::stat(existing->c_str(), &info) != 0)
        return existing->string() + ": " + WriteFailureText(errno);
    const bool exists = *existing == wanted;
    if (!S_ISDIR(info.st_mode)) {
        if (exists)
            return destination + ": this is a file, not a folder: choose a folder to save into.";
        return "Cannot create the folder " + destination + ": " + existing->string() +
               " is a file, not a folder.";
    }
    if (OnKernelFileSystem(*existing))
        return existing->string() +
               ": a file system of the kernel (like /proc or /sys) holds no files: choose a folder "
               "on a disk.";
    if (const int error = CreationError(*existing); error != 0) {
        if (exists) return destination + ": " + WriteFailureText(error);
        return "Cannot create the folder " + destination + " in " + existing->string() + ": " +
               WriteFailureText(error);
    }
    return {};
}

}  // namespace datrevo
