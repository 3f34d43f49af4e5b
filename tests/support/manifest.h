// The fixture script's manifest: what each test image holds, as the tools
// that made it wrote it (tests/fixtures/manifest.tsv).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace datrevo::test {

struct ManifestRow {
    std::string image;  // image base name, "fat16"
    std::string path;   // from the volume root, '/' separated; "p2/..." on partitioned disks
    std::string kind;   // file, dir, old-file, old-dir, stream, partition
    std::uint64_t size = 0;
    std::string md5;  // content md5, "-" for folders; for partitions "start=..;type=..;fs=.."
    bool deleted = false;
};

std::vector<ManifestRow> ReadManifest();
std::vector<ManifestRow> ManifestRows(const std::string& image, const std::string& kind = "");

// A partition line of the manifest, decoded.
struct ManifestPartition {
    std::uint64_t start = 0;
    std::uint64_t sectors = 0;
    std::string fileSystem;  // FAT16, FAT32, NTFS
};
std::vector<ManifestPartition> ManifestPartitions(const std::string& image);

}  // namespace datrevo::test
