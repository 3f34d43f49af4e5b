// Times the exFAT Standard search over one volume image: the walk from the
// root, then the lost-folder scan over the cluster heap.
//
//   exfat_scan_bench IMAGE
//
// Prints one line per phase: its name, seconds, MiB/s over the image and
// the number of folders found.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "disk/disk_reader.h"
#include "disk/file_source.h"
#include "exfat/exfat_boot_region.h"
#include "exfat/exfat_lost_folders.h"
#include "exfat/exfat_walk.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void Report(const char* phase, double seconds, std::uint64_t bytes, std::size_t folders) {
    std::printf("%s %.3f %.1f %zu\n", phase, seconds,
                static_cast<double>(bytes) / seconds / (1024.0 * 1024.0), folders);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s IMAGE\n", argv[0]);
        return 2;
    }
    const datrevo::DiskReader disk(std::make_shared<datrevo::FileSource>(argv[1]), nullptr);
    if (!disk.isOpen()) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    const std::uint64_t sectors = disk.totalSectors();
    const std::uint64_t bytes = sectors * 512;
    {
        // The sector reader alone, in 1 MiB runs: the floor of any scan.
        std::vector<std::uint8_t> buffer(2048 * 512);
        const auto start = std::chrono::steady_clock::now();
        for (std::uint64_t s = 0; s < sectors; s += 2048)
            disk.ReadSectors(s,
                             static_cast<std::uint32_t>(std::min<std::uint64_t>(2048, sectors - s)),
                             buffer.data());
        Report("reader-only", Seconds(start), bytes, 0);
    }
    const auto start = std::chrono::steady_clock::now();
    const datrevo::ExfatBootRead boot = datrevo::ReadExfatBootRegion(disk, 0);
    if (boot.decode.outcome != datrevo::ExfatDecode::Decoded) {
        std::fprintf(stderr, "no exFAT boot region: %s\n", boot.decode.reason.c_str());
        return 1;
    }
    datrevo::ExfatVolume volume(disk, 0, boot.decode.boot);
    datrevo::ExfatListing listing = datrevo::WalkExfatVolume(volume);
    Report("standard-walk", Seconds(start), bytes, listing.folders.size());
    const auto scan = std::chrono::steady_clock::now();
    const datrevo::ExfatLostScan lost = datrevo::FindExfatLostFolders(volume, listing);
    Report("lost-folder-scan", Seconds(scan), bytes, lost.foldersFound);
    Report("standard-search", Seconds(start), bytes, listing.folders.size());
    return 0;
}
