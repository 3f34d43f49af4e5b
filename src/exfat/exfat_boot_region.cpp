#include "exfat/exfat_boot_region.h"

#include <algorithm>
#include <vector>

#include "base/byte_view.h"

namespace datrevo {
namespace {

// exFAT's bounds on the boot sector's fields.
constexpr std::uint8_t kMinBytesPerSectorShift = 9;     // 512-byte sectors
constexpr std::uint8_t kMaxBytesPerSectorShift = 12;    // 4096-byte sectors
constexpr std::uint8_t kMaxClusterShift = 25;           // clusters of at most 32 MiB
constexpr std::uint32_t kMinFatOffset = 24;             // after the main and backup boot regions
constexpr std::uint32_t kMaxClusterCount = 0xFFFFFFF5;  // 2^32 - 11
constexpr std::uint64_t kMinVolumeBytes = std::uint64_t{1} << 20;
constexpr std::uint32_t kFirstCluster = 2;

ExfatBootDecode Damaged(std::string reason) {
    ExfatBootDecode out;
    out.outcome = ExfatDecode::Damaged;
    out.reason = std::move(reason);
    return out;
}

std::string Field(const char* name, std::uint64_t value) {
    return std::string(name) + " " + std::to_string(value);
}

}  // namespace

ExfatBootDecode DecodeExfatBootSector(std::span<const std::uint8_t> sector) {
    const ByteView view(sector);
    if (!view.matches(exfat_boot::kFileSystemName, exfat_boot::kName)) return {};
    if (!view.has(0, exfat_boot::kSize)) return Damaged("boot sector shorter than 512 bytes");
    if (view.le16(exfat_boot::kBootSignature) != 0xAA55) return Damaged("boot signature missing");
    for (std::size_t i = 0; i < exfat_boot::kMustBeZeroLength; ++i)
        if (view.u8(exfat_boot::kMustBeZero + i) != 0)
            return Damaged(Field("non-zero byte at offset", exfat_boot::kMustBeZero + i));

    ExfatBootSector b;
    b.partitionOffset = view.le64(exfat_boot::kPartitionOffset);
    b.volumeLength = view.le64(exfat_boot::kVolumeLength);
    b.fatOffset = view.le32(exfat_boot::kFatOffset);
    b.fatLength = view.le32(exfat_boot::kFatLength);
    b.clusterHeapOffset = view.le32(exfat_boot::kClusterHeapOffset);
    b.clusterCount = view.le32(exfat_boot::kClusterCount);
    b.rootCluster = view.le32(exfat_boot::kFirstClusterOfRootDirectory);
    b.volumeSerial = view.le32(exfat_boot::kVolumeSerialNumber);
    b.revision = view.le16(exfat_boot::kFileSystemRevision);
    b.volumeFlags = view.le16(exfat_boot::kVolumeFlags);
    b.bytesPerSectorShift = view.u8(exfat_boot::kBytesPerSectorShift);
    b.sectorsPerClusterShift = view.u8(exfat_boot::kSectorsPerClusterShift);
    b.numberOfFats = view.u8(exfat_boot::kNumberOfFats);

    // The shifts first: everything after is computed with them.
    if (b.bytesPerSectorShift < kMinBytesPerSectorShift ||
        b.bytesPerSectorShift > kMaxBytesPerSectorShift)
        return Damaged(Field("BytesPerSectorShift", b.bytesPerSectorShift));
    if (b.sectorsPerClusterShift > kMaxClusterShift - b.bytesPerSectorShift)
        return Damaged(Field("SectorsPerClusterShift", b.sectorsPerClusterShift));
    if (b.numberOfFats != 1 && b.numberOfFats != 2)
        return Damaged(Field("NumberOfFats", b.numberOfFats));
    // VolumeLength is below 2^64 / 2^12, so its byte count cannot wrap once checked.
    if (b.volumeLength > (~std::uint64_t{0} >> b.bytesPerSectorShift))
        return Damaged(Field("VolumeLength", b.volumeLength));
    if ((b.volumeLength << b.bytesPerSectorShift) < kMinVolumeBytes)
        return Damaged(Field("VolumeLength", b.volumeLength));

    const std::uint64_t fatsEnd =
        std::uint64_t{b.fatOffset} + std::uint64_t{b.fatLength} * b.numberOfFats;  // < 2^34
    if (b.fatOffset < kMinFatOffset || fatsEnd > b.clusterHeapOffset)
        return Damaged(Field("FatOffset", b.fatOffset));
    if (b.clusterCount == 0 || b.clusterCount > kMaxClusterCount)
        return Damaged(Field("ClusterCount", b.clusterCount));
    // Every cluster needs its 4-byte FAT entry, entries 0 and 1 included.
    const std::uint64_t fatBytes = (std::uint64_t{b.clusterCount} + 2) * 4;
    if ((std::uint64_t{b.fatLength} << b.bytesPerSectorShift) < fatBytes)
        return Damaged(Field("FatLength", b.fatLength));
    const std::uint64_t heapSectors = std::uint64_t{b.clusterCount}
                                      << b.sectorsPerClusterShift;  // < 2^57
    if (b.clusterHeapOffset > b.volumeLength || heapSectors > b.volumeLength - b.clusterHeapOffset)
        return Damaged(Field("ClusterHeapOffset", b.clusterHeapOffset) + " with " +
                       Field("ClusterCount", b.clusterCount) + " past VolumeLength");
    if (b.rootCluster < kFirstCluster || b.rootCluster - kFirstCluster >= b.clusterCount)
        return Damaged(Field("FirstClusterOfRootDirectory", b.rootCluster));

    ExfatBootDecode out;
    out.outcome = ExfatDecode::Decoded;
    out.boot = b;
    return out;
}

std::uint32_t ExfatBootChecksum(std::span<const std::uint8_t> bytes, std::uint32_t bytesPerSector) {
    const std::size_t length =
        std::min<std::size_t>(bytes.size(), std::size_t{11} * bytesPerSector);
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (i == exfat_boot::kVolumeFlags || i == exfat_boot::kVolumeFlags + 1 ||
            i == exfat_boot::kPercentInUse)
            continue;
        sum = ((sum & 1) ? 0x80000000u : 0u) + (sum >> 1) + bytes[i];
    }
    return sum;
}

ExfatBootDecode DecodeExfatBootRegion(std::span<const std::uint8_t> region) {
    ExfatBootDecode decoded = DecodeExfatBootSector(region);
    if (decoded.outcome != ExfatDecode::Decoded) return decoded;
    const std::uint32_t bps = decoded.boot.bytesPerSector();
    const ByteView view(region);
    if (!view.has(0, std::size_t{exfat_boot::kRegionSectors} * bps))
        return Damaged("boot region shorter than 12 sectors");
    const std::uint32_t sum = ExfatBootChecksum(region, bps);
    const std::size_t at = std::size_t{exfat_boot::kChecksumSector} * bps;
    for (std::size_t i = 0; i < bps; i += 4)
        if (view.le32(at + i) != sum)
            return Damaged("boot checksum " + std::to_string(view.le32(at + i)) + " at byte " +
                           std::to_string(i) + " of sector 11, computed " + std::to_string(sum));
    return decoded;
}

ExfatBootRead ReadExfatBootRegion(const DiskReader& disk, std::uint64_t volumeStart) {
    // The region is read at its largest (4096-byte sectors) and decoded with
    // the size its boot sector names: 12 sectors of 4096 bytes are 96 disk sectors.
    constexpr std::uint32_t kLargestRegionDiskSectors =
        exfat_boot::kRegionSectors * (1u << kMaxBytesPerSectorShift) / limits::kSectorSize;
    const auto readRegion = [&](std::uint64_t diskSector) {
        return disk.readRun(diskSector, kLargestRegionDiskSectors);
    };
    ExfatBootRead out;
    const std::vector<std::uint8_t> main = readRegion(volumeStart);
    out.decode = DecodeExfatBootRegion(main);
    if (out.decode.outcome == ExfatDecode::Decoded) return out;

    // The backup starts at volume sector 12, whose size only a boot sector
    // tells: the main one's if it says, else each size in turn.
    const std::string mainReason =
        out.decode.outcome == ExfatDecode::NotThis ? "no exFAT boot sector" : out.decode.reason;
    for (std::uint8_t shift = kMinBytesPerSectorShift; shift <= kMaxBytesPerSectorShift; ++shift) {
        const std::uint64_t backupDiskSector =
            volumeStart +
            (std::uint64_t{exfat_boot::kBackupRegionSector} << shift) / limits::kSectorSize;
        ExfatBootDecode backup = DecodeExfatBootRegion(readRegion(backupDiskSector));
        if (backup.outcome == ExfatDecode::Decoded && backup.boot.bytesPerSectorShift == shift) {
            out.decode = std::move(backup);
            out.decode.reason = mainReason;
            out.usedBackup = true;
            return out;
        }
    }
    if (out.decode.outcome == ExfatDecode::Damaged)
        out.decode.reason += "; backup region not decoded";
    return out;
}

}  // namespace datrevo
