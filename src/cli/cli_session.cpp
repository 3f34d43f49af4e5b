#include "cli/cli_session.h"

#include <algorithm>
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

}  // namespace

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
        takeInventory();
        slot = std::stoi(disk);
    } else {
        std::error_code error;
        if (!std::filesystem::exists(disk, error)) {
            std::cerr << "error: " << OpenFailureMessage(disk, ENOENT) << '\n';
            return kExitUnreadableDisk;
        }
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
    return kExitOk;
}

}  // namespace datrevo::cli
