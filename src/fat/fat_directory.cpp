#include "fat/fat_directory.h"

#include <algorithm>

#include "base/limits.h"
#include "fat/cluster_chain.h"
#include "fat/fat_kind.h"

namespace datrevo {
namespace {

constexpr std::size_t kSector = limits::kSectorSize;
constexpr std::size_t kMaxDirectoryBytes = limits::kMaxFatDirectoryEntries * fat_dirent::kSize;

// True when the sector at `offset` of `bytes` holds an entry with a 0x00 first byte.
bool SectorHasEndMark(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    for (std::size_t at = offset; at + fat_dirent::kSize <= offset + kSector;
         at += fat_dirent::kSize)
        if (bytes[at] == fat_dirent::kEndOfDirectory) return true;
    return false;
}

}  // namespace

DirectoryBytes ReadDirectoryChain(const DiskReader& disk, const FatLayout& layout,
                                  std::uint32_t firstCluster, EndMarkRule rule) {
    DirectoryBytes out;
    if (!IsValidSectorsPerCluster(layout.sectorsPerCluster)) return out;
    const std::uint32_t spc = layout.sectorsPerCluster;
    const std::size_t maxClusters = kMaxDirectoryBytes / (spc * kSector);
    const ClusterChain chain =
        ReadClusterChain(disk, layout, firstCluster, std::max<std::size_t>(maxClusters, 1));
    for (std::uint32_t cluster : chain) {
        if (out.bytes.size() >= kMaxDirectoryBytes) break;
        const std::uint64_t first = ClusterSector(layout, cluster);
        // A cluster past the end of the medium (a boot record claiming a
        // larger volume than the disk holds) has nothing to read.
        if (disk.totalSectors() != 0 && first + spc > disk.totalSectors()) break;
        const std::size_t base = out.bytes.size();
        out.bytes.resize(base + spc * kSector, 0);
        disk.ReadSectors(first, spc, out.bytes.data() + base);
        for (std::uint32_t i = 0; i < spc; ++i) {
            out.sectors.push_back(first + i);
            if (rule == EndMarkRule::EndsDirectory &&
                SectorHasEndMark(out.bytes, base + i * kSector)) {
                out.bytes.resize(base + (i + 1) * kSector);
                return out;
            }
        }
    }
    return out;
}

DirectoryBytes ReadFixedRoot(const DiskReader& disk, const FatLayout& layout) {
    DirectoryBytes out;
    if (layout.rootStart == 0) return out;
    const std::size_t sectors =
        std::min<std::size_t>(layout.rootSectors, kMaxDirectoryBytes / kSector);
    out.bytes.assign(sectors * kSector, 0);
    disk.ReadSectors(layout.rootStart, static_cast<std::uint32_t>(sectors), out.bytes.data());
    for (std::size_t i = 0; i < sectors; ++i) out.sectors.push_back(layout.rootStart + i);
    return out;
}

std::vector<FatDirectoryEntry> DecodeDirectoryEntries(const DirectoryBytes& directory, FatKind kind,
                                                      EndMarkRule rule) {
    using namespace fat_dirent;
    std::vector<FatDirectoryEntry> entries;
    const ByteView all = directory.view();
    for (std::size_t at = 0; at + kSize <= all.size(); at += kSize) {
        const ByteView raw = all.sub(at, kSize);
        if (IsEndOfDirectory(raw)) {
            if (rule == EndMarkRule::EndsDirectory) break;
            at = (at / kSector + 1) * kSector - kSize;  // on to the next sector
            continue;
        }
        if (IsDotEntry(raw) || IsLongNameEntry(raw)) continue;
        const ShortName shortName = ReadShortName(raw);
        if (!IsAcceptableName(shortName.text)) continue;
        FatDirectoryEntry entry;
        entry.shortName = shortName.text;
        entry.name = shortName.text;
        if (std::optional<std::string> longName = ReadLongName(all, at))
            entry.name = std::move(*longName);
        if (!IsAcceptableName(entry.name)) continue;
        entry.deleted = shortName.deleted;
        entry.attributes = raw.u8(kAttributes);
        entry.firstCluster = EntryFirstCluster(raw, kind);
        entry.size = raw.le32(kFileSize);
        entry.date = raw.le16(kDate);
        entry.time = raw.le16(kTime);
        const std::size_t block = at / kSector;
        entry.sector = block < directory.sectors.size() ? directory.sectors[block] : 0;
        entry.offset = static_cast<std::uint32_t>(at % kSector);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<FatDirectoryEntry> ReadFatDirectory(const DiskReader& disk, const FatLayout& layout,
                                                std::uint32_t firstCluster) {
    const FatKind kind = KindOf(layout);
    if (firstCluster == 0 && kind == FatKind::Fat32) firstCluster = layout.rootStart;
    if (firstCluster != 0)
        return DecodeDirectoryEntries(
            ReadDirectoryChain(disk, layout, firstCluster, EndMarkRule::EndsDirectory), kind,
            EndMarkRule::EndsDirectory);
    return DecodeDirectoryEntries(ReadFixedRoot(disk, layout), kind, EndMarkRule::EndsSector);
}

}  // namespace datrevo
