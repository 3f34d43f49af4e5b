#include "disk/drive_slots.h"

#include "disk/file_source.h"

namespace datrevo {
namespace {
bool ValidSlot(int slot) { return slot >= 0 && slot < limits::kDriveSlots; }
}  // namespace

bool DriveSlots::assign(int slot, const std::string& path) {
    if (!ValidSlot(slot)) return false;
    paths_[static_cast<std::size_t>(slot)] = path;
    sources_[static_cast<std::size_t>(slot)] = std::make_shared<FileSource>(path);
    return true;
}

bool DriveSlots::assign(int slot, std::shared_ptr<const SectorSource> source) {
    if (!ValidSlot(slot) || !source) return false;
    paths_[static_cast<std::size_t>(slot)] = source->name();
    sources_[static_cast<std::size_t>(slot)] = std::move(source);
    return true;
}

void DriveSlots::clear() {
    paths_ = {};
    sources_ = {};
}

bool DriveSlots::occupied(int slot) const {
    return ValidSlot(slot) && sources_[static_cast<std::size_t>(slot)] != nullptr;
}

const std::string& DriveSlots::path(int slot) const {
    static const std::string kNone;
    return ValidSlot(slot) ? paths_[static_cast<std::size_t>(slot)] : kNone;
}

DiskReader DriveSlots::reader(int slot, RecoveryObserver* observer) const {
    if (!ValidSlot(slot)) return {};
    return DiskReader(sources_[static_cast<std::size_t>(slot)], observer);
}

int DriveSlots::ReadSectors(int drive, std::uint64_t firstSector, std::uint32_t count,
                            std::uint8_t* buffer, RecoveryObserver* observer) const {
    return reader(drive, observer).ReadSectors(firstSector, count, buffer);
}

}  // namespace datrevo
