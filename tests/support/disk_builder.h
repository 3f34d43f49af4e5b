// Crafting disks byte by byte: partition tables, boot sectors and the like,
// for the corner cases that no formatting tool makes.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "disk/disk_reader.h"
#include "disk/memory_source.h"

namespace datrevo::test {

class DiskBuilder {
public:
    explicit DiskBuilder(std::uint64_t sectors) : bytes_(sectors * 512, 0) {}

    std::vector<std::uint8_t>& bytes() { return bytes_; }
    std::uint64_t sectors() const { return bytes_.size() / 512; }

    std::uint8_t* sector(std::uint64_t n) { return bytes_.data() + n * 512; }
    void put8(std::uint64_t sectorNumber, std::size_t offset, std::uint8_t value) {
        sector(sectorNumber)[offset] = value;
    }
    void put16(std::uint64_t sectorNumber, std::size_t offset, std::uint16_t value) {
        put8(sectorNumber, offset, static_cast<std::uint8_t>(value));
        put8(sectorNumber, offset + 1, static_cast<std::uint8_t>(value >> 8));
    }
    void put32(std::uint64_t sectorNumber, std::size_t offset, std::uint32_t value) {
        put16(sectorNumber, offset, static_cast<std::uint16_t>(value));
        put16(sectorNumber, offset + 2, static_cast<std::uint16_t>(value >> 16));
    }
    void putText(std::uint64_t sectorNumber, std::size_t offset, std::string_view text) {
        std::memcpy(sector(sectorNumber) + offset, text.data(), text.size());
    }
    // 0x55 0xAA at 510.
    void sign(std::uint64_t sectorNumber) {
        put8(sectorNumber, 510, 0x55);
        put8(sectorNumber, 511, 0xAA);
    }
    // Partition table entry `index` of the table in `tableSector`.
    void entry(std::uint64_t tableSector, int index, std::uint8_t type, std::uint32_t first,
               std::uint32_t count) {
        const std::size_t at = 0x1BE + static_cast<std::size_t>(index) * 16;
        put8(tableSector, at + 4, type);
        put32(tableSector, at + 8, first);
        put32(tableSector, at + 12, count);
        sign(tableSector);
    }
    // A boot sector with only the signature text that decides its kind.
    void bootSector(std::uint64_t sectorNumber, std::string_view kind) {
        if (kind == "FAT32") putText(sectorNumber, 82, "FAT32   ");
        if (kind == "FAT16") putText(sectorNumber, 54, "FAT16   ");
        if (kind == "NTFS") putText(sectorNumber, 3, "NTFS    ");
        sign(sectorNumber);
    }

    std::shared_ptr<MemorySource> source() const {
        return std::make_shared<MemorySource>(bytes_, "crafted");
    }
    DiskReader reader(RecoveryObserver* observer = nullptr) const {
        return DiskReader(source(), observer);
    }

private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace datrevo::test
