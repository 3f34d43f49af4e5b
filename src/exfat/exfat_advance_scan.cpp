#include "exfat/exfat_advance_scan.h"

#include <algorithm>

#include "base/byte_view.h"
#include "base/limits.h"

namespace datrevo {
namespace {

constexpr std::size_t kEntriesPerSector = limits::kSectorSize / exfat_entry::kSize;
// Sectors read in one request (256 KiB), and the sectors kept from one run
// for the next: a set that starts in a run's last sector may run on for up
// to 19 entries (608 bytes).
constexpr std::uint32_t kRunSectors = 512;
constexpr std::uint32_t kLookaheadSectors = 2;

// FAT entries 0 and 1: the media type F8 with FFFFFF, then FFFFFFFF.
constexpr std::uint32_t kFatMediaEntry = 0xFFFFFFF8;
constexpr std::uint32_t kFatSecondEntry = 0xFFFFFFFF;
// Up-case tables map the first characters to themselves: 0000 0001 ... 0007.
constexpr std::size_t kUpcaseIdentityUnits = 8;

// Entry types that may open a root directory: the Volume Label (in use, or
// never set), the Allocation Bitmap, the Up-case Table, the Volume GUID.
bool OpensRoot(std::uint8_t type) {
    return type == exfat_entry::kVolumeLabel || type == (exfat_entry::kVolumeLabel & 0x7F) ||
           type == exfat_entry::kAllocationBitmap || type == exfat_entry::kUpcaseTable ||
           type == 0xA0;
}

bool IsUpcaseStart(const ByteView& sector) {
    for (std::size_t i = 0; i < kUpcaseIdentityUnits; ++i)
        if (sector.le16(2 * i) != i) return false;
    return true;
}

// The root's critical entries among the sector's first entries, before its end mark.
bool ReadRootEntries(const ByteView& sector, ExfatFoundDirectory& out) {
    if (!OpensRoot(sector.u8(exfat_entry::kType))) return false;
    bool bitmap = false;
    bool upcase = false;
    for (std::size_t slot = 0; slot < kEntriesPerSector; ++slot) {
        const auto entry = sector.sub(slot * exfat_entry::kSize, exfat_entry::kSize).span();
        const std::uint8_t type = sector.u8(slot * exfat_entry::kSize);
        if (type == exfat_entry::kEndOfDirectory) break;
        ExfatAllocationBitmapEntry found;
        if (!bitmap && type == exfat_entry::kAllocationBitmap &&
            DecodeExfatClusterEntry(entry, type, found) == ExfatDecode::Decoded &&
            !found.secondFat && found.firstCluster >= 2 && found.dataLength > 0) {
            out.bitmap = found;
            bitmap = true;
        } else if (!upcase && type == exfat_entry::kUpcaseTable &&
                   DecodeExfatClusterEntry(entry, type, found) == ExfatDecode::Decoded &&
                   found.firstCluster >= 2 && found.dataLength > 0) {
            out.upcase = found;
            upcase = true;
        }
    }
    return bitmap && upcase;
}

}  // namespace

ExfatSectorFinds ClassifyExfatSector(std::span<const std::uint8_t> bytes) {
    ExfatSectorFinds finds;
    const ByteView all(bytes);
    if (!all.has(0, limits::kSectorSize)) return finds;
    const ByteView sector = all.sub(0, limits::kSectorSize);

    if (sector.matches(exfat_boot::kFileSystemName, exfat_boot::kName)) {
        const ExfatBootDecode boot = DecodeExfatBootSector(sector.span());
        if (boot.outcome == ExfatDecode::Decoded) {
            finds.bootSector = true;
            finds.boot = boot.boot;
        }
        return finds;
    }
    finds.fatStart = sector.le32(0) == kFatMediaEntry && sector.le32(4) == kFatSecondEntry;
    finds.upcaseStart = IsUpcaseStart(sector);
    if (finds.fatStart || finds.upcaseStart) return finds;

    for (std::size_t slot = 0; slot < kEntriesPerSector;) {
        const std::size_t at = slot * exfat_entry::kSize;
        const std::uint8_t type = all.u8(at);
        if (type == exfat_entry::kEndOfDirectory) break;
        if ((type | exfat_entry::kInUse) != exfat_entry::kFile) {
            ++slot;
            continue;
        }
        const ExfatSetDecode set = DecodeExfatEntrySet(bytes.subspan(at));
        if (set.outcome != ExfatDecode::Decoded) {
            ++slot;
            continue;
        }
        if (slot == 0) finds.directory = true;
        if (set.set.isDirectory() && set.set.firstCluster >= 2 && set.set.dataLength > 0)
            finds.links.push_back(set.set.firstCluster);
        slot += set.set.entryCount;
    }
    if (!finds.directory && ReadRootEntries(sector, finds.directoryFind)) {
        finds.directory = true;
        finds.directoryFind.root = true;
    }
    return finds;
}

namespace {

class ScanCollector {
public:
    ScanCollector(const DiskReader& disk, ExfatScanFindings& findings)
        : disk_(disk), findings_(findings) {}

    void add(std::uint64_t sectorNumber, std::span<const std::uint8_t> bytes) {
        ExfatSectorFinds finds = ClassifyExfatSector(bytes);
        if (finds.bootSector) addBoot(sectorNumber, finds.boot);
        if (finds.fatStart) keep(findings_.fatStarts, sectorNumber, kMaxExfatFoundTables);
        if (finds.upcaseStart) keep(findings_.upcaseStarts, sectorNumber, kMaxExfatFoundTables);
        if (finds.directory) {
            finds.directoryFind.sector = sectorNumber;
            keep(findings_.directories, finds.directoryFind, kMaxExfatFoundDirectories);
        }
        for (std::uint32_t cluster : finds.links)
            keep(findings_.links, ExfatFolderLink{sectorNumber, cluster}, kMaxExfatFoundLinks);
    }

private:
    template <typename T>
    void keep(std::vector<T>& list, const T& value, std::size_t bound) {
        if (list.size() < bound)
            list.push_back(value);
        else
            findings_.truncated = true;
    }

    // A boot sector's region is read again (12 of its sectors) for the checksum.
    void addBoot(std::uint64_t sectorNumber, const ExfatBootSector& boot) {
        ExfatFoundBoot found;
        found.sector = sectorNumber;
        found.boot = boot;
        const std::uint64_t regionSectors =
            (std::uint64_t{exfat_boot::kRegionSectors} << boot.bytesPerSectorShift) /
            limits::kSectorSize;
        const std::vector<std::uint8_t> region =
            disk_.readRun(sectorNumber, static_cast<std::uint32_t>(regionSectors));
        found.checksumValid = DecodeExfatBootRegion(region).outcome == ExfatDecode::Decoded;
        keep(findings_.boots, found, kMaxExfatFoundBoots);
    }

    const DiskReader& disk_;
    ExfatScanFindings& findings_;
};

}  // namespace

ExfatScanFindings ScanForExfatStructures(const DiskReader& disk, std::uint64_t start,
                                         std::uint64_t end, std::stop_token stop,
                                         const ExfatScanProgress& progress) {
    ExfatScanFindings findings;
    const std::uint64_t total = disk.totalSectors();
    if (total != 0) end = std::min(end, total);
    ScanCollector collector(disk, findings);
    // `buffer` holds the sectors from `first` not classified yet: the last
    // run's lookahead, then the new run.
    std::vector<std::uint8_t> buffer;
    std::uint64_t first = start;
    for (std::uint64_t at = start; at < end;) {
        if (stop.stop_requested()) {
            findings.stopped = true;
            return findings;
        }
        const auto count =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(kRunSectors, end - at));
        const std::size_t kept = buffer.size();
        buffer.resize(kept + std::size_t{count} * limits::kSectorSize, 0);
        disk.ReadSectors(at, count, buffer.data() + kept);
        at += count;
        if (at < end) disk.willRead(at, std::min<std::uint64_t>(kRunSectors, end - at));
        const std::size_t sectors = buffer.size() / limits::kSectorSize;
        // The last run classifies everything; the others leave their lookahead.
        const std::size_t ready = at >= end ? sectors : sectors - kLookaheadSectors;
        const std::span<const std::uint8_t> bytes(buffer);
        for (std::size_t i = 0; i < ready; ++i)
            collector.add(first + i, bytes.subspan(i * limits::kSectorSize));
        buffer.erase(buffer.begin(),
                     buffer.begin() + static_cast<std::ptrdiff_t>(ready * limits::kSectorSize));
        first += ready;
        if (progress) progress(at, findings);
    }
    return findings;
}

}  // namespace datrevo
