// The lost-partition search generates its probe positions as it goes: the
// same places as the list it used to build for the whole disk, each sector
// read once, and a state that does not grow with the disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <type_traits>

#include "disk/file_source.h"
#include "partition/lost_partition_search.h"
#include "support/counting_source.h"
#include "support/image_fixture.h"
#include "support/recording_observer.h"

namespace datrevo {
namespace {

CurrentDisk DiskOf(std::uint64_t sectors) {
    CurrentDisk disk;
    disk.totalSectors64 = sectors;
    disk.cylindersText = std::to_string(sectors / 16065);
    disk.headsText = "255";
    disk.sectorsPerTrackText = "63";
    return disk;
}

// What the search found, one "kind first end" line per partition.
std::string Found(const DiskPartitionList& list) {
    std::ostringstream out;
    for (std::size_t i = 0; i < list.count(); ++i)
        out << VolumeKindText(list.kind(i)) << ' ' << list.record(i).firstSector << ' '
            << list.record(i).endSector << '\n';
    return out.str();
}

std::vector<std::string> FixtureNames() {
    std::vector<std::string> names;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(DATREVO_FIXTURE_DIR) + "/images")) {
        const std::string file = entry.path().filename().string();
        if (file.ends_with(".img.gz")) names.push_back(file.substr(0, file.size() - 7));
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The list the search used to build for the whole disk before it generated
// its probes: the reference the sequence must follow probe for probe.
std::vector<Probe> ListedProbes(const DiskGeometry& geometry, std::uint64_t diskSectors) {
    std::vector<Probe> probes;
    const std::uint64_t perCylinder =
        static_cast<std::uint64_t>(geometry.heads) * geometry.sectorsPerTrack;
    std::vector<std::uint64_t> probed;
    for (std::uint64_t i = 0; i < geometry.cylinders; ++i) {
        const std::uint64_t start = i * perCylinder;
        const std::uint64_t afterFirstTrack = start + geometry.sectorsPerTrack;
        if (start >= diskSectors) break;
        Probe probe{afterFirstTrack, start};
        if (afterFirstTrack >= diskSectors) probe = {start, std::nullopt};
        probes.push_back(probe);
        probed.push_back(probe.first);
    }
    std::sort(probed.begin(), probed.end());
    for (std::uint64_t sector = 0; sector < diskSectors; sector += 2048)
        if (!std::binary_search(probed.begin(), probed.end(), sector))
            probes.push_back({sector, std::nullopt});
    std::stable_sort(probes.begin(), probes.end(), [](const Probe& a, const Probe& b) {
        return std::min(a.first, a.fallback.value_or(a.first)) <
               std::min(b.first, b.fallback.value_or(b.first));
    });
    return probes;
}

std::string Text(const std::vector<Probe>& probes) {
    std::ostringstream out;
    for (const Probe& probe : probes) {
        out << probe.first;
        if (probe.fallback) out << '/' << *probe.fallback;
        out << ' ';
    }
    return out.str();
}

TEST(LostPartitionProbes, SequenceFollowsTheWholeDiskListProbeForProbe) {
    struct Case {
        DiskGeometry geometry;
        std::uint64_t sectors;
    };
    const Case cases[] = {
        {{3, 255, 63}, 3 * 16065},
        {{77, 255, 63}, 77 * 16065 - 5},   // the last cylinder's first track reaches the end
        {{77, 255, 63}, 76 * 16065 + 63},  // the last cylinder's first track ends with the disk
        {NormaliseGeometry({1000, 4, 16}), 64000},
        {{500, 255, 63}, 100000},              // more cylinders than the disk holds
        {{40, 255, 63}, 2'000'000},            // fewer: boundaries only past them
        {{5000, 1, 63}, 300'000},              // one head: a track per cylinder
        {{3000, 255, 63}, 2049 * 16065 + 10},  // cylinder 2048 starts on a 1 MiB boundary
        {{0, 255, 63}, 10'000},
        {{10, 255, 63}, 0},
        {{10, 255, 63}, 1},
        {{10, 255, 63}, 64},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.geometry.cylinders) + "x" + std::to_string(c.geometry.heads) +
                     "x" + std::to_string(c.geometry.sectorsPerTrack) + " on " +
                     std::to_string(c.sectors));
        const std::vector<Probe> expected = ListedProbes(c.geometry, c.sectors);
        const std::vector<Probe> generated = LostPartitionProbes(c.geometry, c.sectors);
        EXPECT_EQ(Text(generated), Text(expected));
        EXPECT_EQ(ProbeSequence(c.geometry, c.sectors).count(), expected.size());
    }
}

TEST(LostPartitionProbes, ACylinderOfNoSectorsIsProbedOnce) {
    // A details text that gives no heads: every cylinder would start at 0.
    const auto probes = LostPartitionProbes({100, 0, 63}, 10'000);
    ASSERT_FALSE(probes.empty());
    EXPECT_EQ(Text({probes[0]}), "63/0 ");
    // Then the 1 MiB boundaries, sector 0 the first of them.
    for (std::size_t i = 1; i < probes.size(); ++i) {
        EXPECT_FALSE(probes[i].fallback);
        EXPECT_EQ(probes[i].first, (i - 1) * 2048);
    }
}

// What the search found on each fixture before it generated its probes
// (whole disk, nothing listed beforehand, the details' 255 x 63 geometry).
const std::map<std::string, std::string>& TodaysPartitions() {
    static const std::map<std::string, std::string> found = {
        {"exfat", "exFAT 0 16384\n"},
        {"exfat-reformatted", "exFAT 0 8192\n"},
        {"fat-two-volumes",
         "FAT16 2048 10238\n"
         "FAT32 10240 79855\n"},
        {"fat16", "FAT16 0 32760\n"},
        {"fat32", "FAT32 0 69615\n"},
        {"fat32-reformatted", "FAT32 0 131040\n"},
        {"gpt-fat32-ntfs",
         "FAT32 2048 71663\n"
         "NTFS 71680 79871\n"},
        {"mbr-exfat", "exFAT 2048 10240\n"},
        {"mbr-extended",
         "FAT16 2048 10238\n"
         "FAT16 12288 20478\n"
         "FAT32 22528 92143\n"
         "NTFS 94208 102399\n"},
        {"mbr-near-end", "FAT16 73728 81918\n"},
        {"mbr-primary",
         "FAT16 2048 10238\n"
         "FAT32 10240 79855\n"
         "NTFS 79872 88063\n"},
        {"ntfs", "NTFS 0 49151\n"},
        {"ntfs-compressed", "NTFS 0 32767\n"},
        {"ntfs-disk", "NTFS 2048 10239\n"},
        {"ntfs-links", "NTFS 0 8191\n"},
    };
    return found;
}

TEST(LostPartitionProbes, FindsTodaysPartitionsOnEveryFixtureReadingEachSectorOnce) {
    const std::vector<std::string> names = FixtureNames();
    ASSERT_EQ(names.size(), TodaysPartitions().size());
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const auto image = test::FixtureImage(name);
        auto counting =
            std::make_shared<test::CountingSource>(std::make_shared<FileSource>(image->path()));
        counting->keepSectors(true);
        const DiskReader reader(counting, nullptr);
        DiskPartitionList list;
        test::RecordingObserver observer;
        const CurrentDisk disk = DiskOf(reader.totalSectors());
        SearchLostPartitions(reader, disk, list, observer);
        EXPECT_EQ(Found(list), TodaysPartitions().at(name));
        for (const auto& [sector, times] : counting->timesRead()) EXPECT_EQ(times, 1) << sector;
        // Every probe reads one sector, a cylinder's a second when the first
        // has no boot signature.
        const std::uint64_t probes =
            ProbeSequence(NormaliseGeometry(GeometryOf(disk)), reader.totalSectors()).count();
        EXPECT_GE(counting->reads(), probes - reader.totalSectors() / 16065 / 2048 - 1);
        EXPECT_LE(counting->reads(), probes + reader.totalSectors() / 16065 + 1);
        EXPECT_EQ(observer.percents.back(), 100);
    }
}

// The state is a handful of numbers, copied without allocating: nothing in
// it grows with the disk.
static_assert(std::is_trivially_copyable_v<ProbeSequence>);
static_assert(sizeof(ProbeSequence) <= 8 * sizeof(std::uint64_t));

TEST(LostPartitionProbes, TwoTebibytesOfZerosAreProbedWithoutAList) {
    constexpr std::uint64_t kSectors = std::uint64_t{1} << 32;  // 2 TiB
    auto zeros = std::make_shared<test::CountingSource>(kSectors * 512);
    const DiskReader reader(zeros, nullptr);
    const CurrentDisk disk = DiskOf(kSectors);
    ProbeSequence sequence(NormaliseGeometry(GeometryOf(disk)), kSectors);
    const std::uint64_t probes = sequence.count();
    const std::uint64_t cylinders = kSectors / 16065 + 1;
    // The 1 MiB boundaries and the cylinders, less the boundaries that are
    // the first sector of a cylinder's probe.
    EXPECT_LE(probes, kSectors / 2048 + cylinders);
    EXPECT_GE(probes, kSectors / 2048 + cylinders - cylinders / 2048 - 2);

    DiskPartitionList list;
    test::RecordingObserver observer;
    const auto result = SearchLostPartitions(reader, disk, list, observer);
    EXPECT_EQ(result.added, 0u);
    EXPECT_FALSE(result.stopped);
    // No signature anywhere: each cylinder reads its fallback too, except
    // where a boundary probe follows on the same sector and is skipped.
    EXPECT_EQ(zeros->reads(), zeros->sectorsRead());
    EXPECT_LE(zeros->reads(), probes + cylinders);
    EXPECT_GE(zeros->reads(), probes + cylinders - 2 * (cylinders / 2048) - 3);
    ASSERT_EQ(observer.percents.size(), 101u);
    EXPECT_EQ(observer.percents.front(), 0);
    EXPECT_EQ(observer.percents.back(), 100);
}

}  // namespace
}  // namespace datrevo
