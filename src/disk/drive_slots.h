// The ten drive slots: slot n holds the n-th disk of the inventory, a block
// device or an image file the user added. Reads of a disk go through its slot.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "base/limits.h"
#include "disk/disk_reader.h"

namespace datrevo {

class DriveSlots {
public:
    // Puts `path` into slot `slot` and opens it read-only; false when the slot
    // number is outside 0..9.
    bool assign(int slot, const std::string& path);
    // Puts an already made source into a slot (memory disks in tests).
    bool assign(int slot, std::shared_ptr<const SectorSource> source);
    void clear();

    bool occupied(int slot) const;
    const std::string& path(int slot) const;
    // A reader for the slot's disk reporting to `observer`; a reader of an
    // empty slot fails every read.
    DiskReader reader(int slot, RecoveryObserver* observer) const;

    // ReadSectors addressed by drive number, as the engines' callers use it.
    int ReadSectors(int drive, std::uint64_t firstSector, std::uint32_t count, std::uint8_t* buffer,
                    RecoveryObserver* observer = nullptr) const;

private:
    std::array<std::string, limits::kDriveSlots> paths_;
    std::array<std::shared_ptr<const SectorSource>, limits::kDriveSlots> sources_;
};

}  // namespace datrevo
