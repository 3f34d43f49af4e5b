#include "cli/cli_session.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "cli/exit_codes.h"
#include "disk/file_source.h"

namespace datrevo::cli {
namespace {

bool IsSlotNumber(const std::string& text) {
    return !text.empty() && text.size() <= 2 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Why `path` cannot be read as a disk, before it is opened: a folder, or a
// file that cannot be read at random places (a pipe, a FIFO, which would
// also block the open until a writer comes, a character device, a socket).
// Empty when it is a regular file or a block device.
std::string PathProblem(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return OpenFailureMessage(path, errno);
    if (S_ISDIR(info.st_mode)) return path + " is a folder, not a disk or a disk-image file.";
    if (S_ISREG(info.st_mode) || S_ISBLK(info.st_mode)) return {};
    const char* what = S_ISFIFO(info.st_mode)   ? "a pipe or FIFO"
                       : S_ISCHR(info.st_mode)  ? "a character device"
                       : S_ISSOCK(info.st_mode) ? "a socket"
                                                : "not a regular file";
    return path + " is " + what +
           ", which cannot be read at random places: give an image file or a block device "
           "(copy a stream into a file first).";
}

}  // namespace

int CliSession::checkImages() const {
    for (const std::string& image : context_.inventoryOptions.images)
        if (const std::string problem = PathProblem(image); !problem.empty()) {
            std::cerr << "error: " << problem << '\n';
            return kExitUnreadableDisk;
        }
    return kExitOk;
}

CliSession::CliSession(const GlobalOptions& options)
    : options_(options), observer_(options.quiet), context_(observer_, prompter_) {
    context_.inventoryOptions.root = options_.inventoryRoot;
    context_.inventoryOptions.images = options_.images;
}

void CliSession::takeInventory() {
    context_.inventory = TakeDiskInventory(context_.inventoryOptions, context_.slots);
}

int CliSession::selectDisk(const std::string& disk, bool forReading) {
    int slot = -1;
    if (IsSlotNumber(disk)) {
        if (const int status = checkImages(); status != kExitOk) return status;
        takeInventory();
        slot = std::stoi(disk);
    } else {
        if (const std::string problem = PathProblem(disk); !problem.empty()) {
            std::cerr << "error: " << problem << '\n';
            return kExitUnreadableDisk;
        }
        if (const int status = checkImages(); status != kExitOk) return status;
        auto& images = context_.inventoryOptions.images;
        const auto found = std::find(images.begin(), images.end(), disk);
        if (found == images.end()) images.push_back(disk);
        takeInventory();
        for (const DiskDescription& described : context_.inventory.disks)
            if (described.deviceId == disk) slot = described.index;
    }
    if (slot < 0 || !context_.slots.occupied(slot)) {
        std::cerr << "error: there is no disk " << disk
                  << " (run 'datrevo-cli disks' to list the disks, or name an image file)\n";
        return kExitUsage;
    }
    context_.search.selectedDisk = slot;
    ShowDiskDetails(context_.inventory, slot, context_.details, context_.currentDisk);
    if (!forReading) return kExitOk;  // the details come from the inventory alone
    if (const DiskDescription* described = FindDisk(context_.inventory, slot))
        if (const auto message = UnsupportedSectorSizeMessage(*described)) {
            std::cerr << "error: " << *message << '\n';
            return kExitFailure;
        }
    const DiskReader reader = context_.selectedDisk();
    if (!reader.isOpen()) {
        const int error = reader.source() != nullptr ? reader.source()->openError() : ENOENT;
        std::cerr << "error: " << OpenFailureMessage(context_.slots.path(slot), error) << '\n';
        return kExitUnreadableDisk;
    }
    if (reader.source() != nullptr && reader.source()->sizeInBytes() < limits::kSectorSize) {
        const std::uint64_t bytes = reader.source()->sizeInBytes();
        std::cerr << "error: " << context_.slots.path(slot)
                  << (bytes == 0 ? " is empty (0 bytes): there is nothing to read on it.\n"
                                 : " holds " + std::to_string(bytes) +
                                       " bytes, less than one sector of 512 bytes: there is "
                                       "nothing to read on it.\n");
        return kExitUnreadableDisk;
    }
    return kExitOk;
}

}  // namespace datrevo::cli
