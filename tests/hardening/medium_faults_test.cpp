// Searches on a failing medium: unreadable sectors, short reads and sectors
// that read differently each time. The searches finish with what is
// readable, report the failed reads, and never crash or loop.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

#include "fat/fat_volume_layout.h"
#include "fat/sector_runs.h"
#include "search/search_phases.h"
#include "support/faulty_source.h"
#include "support/image_fixture.h"
#include "support/recording_observer.h"

namespace datrevo {
namespace {

std::vector<std::uint8_t> ImageBytes(const test::ImageCopy& image) {
    std::ifstream in(image.path(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One sector in a hundred, spread pseudo-randomly (the same on every run);
// sector 0, the boot record, stays readable.
std::set<std::uint64_t> OnePercentOf(std::uint64_t sectors) {
    std::set<std::uint64_t> bad;
    std::uint64_t state = 0x9E3779B97F4A7C15u;
    while (bad.size() < sectors / 100) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        const std::uint64_t sector = state % sectors;
        if (sector != 0) bad.insert(sector);
    }
    return bad;
}

struct SearchRun {
    test::RecordingObserver observer;
    test::ScriptedPrompter prompter;
    RecoveryContext context{observer, prompter};
    SearchOutcome outcome;

    SearchRun(std::shared_ptr<const SectorSource> source, const char* kind, SearchMode mode) {
        const std::uint64_t sectors = source->sizeInBytes() / 512;
        context.slots.assign(0, std::move(source));
        context.currentDisk.totalSectors64 = sectors;
        context.search = {mode,
                          0,
                          0,
                          VolumeKindFromText(kind),
                          mode == SearchMode::Standard ? "Standard Search" : "Advance Search",
                          0,
                          sectors};
        if (mode == SearchMode::Standard) {
            ValidatePartition(context);
            outcome = RunPartitionSearch(context);
        } else {
            outcome = RunPartitionSearch(context);
            if (outcome.volumesFound > 0) outcome = RunVolumeRecovery(context, 1);
        }
    }

    std::set<std::uint32_t> folderNumbers() const {
        std::set<std::uint32_t> numbers;
        for (const FolderNode& node : context.folders.nodes()) numbers.insert(node.selfNumber);
        return numbers;
    }
    std::map<std::uint32_t, std::string> folderNames() const {
        std::map<std::uint32_t, std::string> names;
        for (const FolderNode& node : context.folders.nodes()) names[node.selfNumber] = node.name;
        return names;
    }
};

// The first sector of a folder: on FAT the first sector of its first cluster
// (where its "." entry lies), on NTFS the two sectors of its file record.
std::vector<std::uint64_t> FolderSectors(const RecoveryContext& clean, std::uint32_t number) {
    if (clean.activeLayout.kind == VolumeKind::Ntfs) {
        std::vector<std::uint64_t> sectors;
        std::uint64_t record = number;
        for (const MftRun& run : clean.mftRuns) {
            if (record * 2 < run.sectorCount) {
                sectors = {run.startSector + record * 2, run.startSector + record * 2 + 1};
                break;
            }
            record -= run.sectorCount / 2;
        }
        return sectors;
    }
    const FatLayout& layout = clean.activeLayout;
    return {std::uint64_t{layout.cluster0Start} + std::uint64_t{number} * layout.sectorsPerCluster};
}

struct Volume {
    const char* image;
    const char* kind;
};

class OnePercentUnreadable : public ::testing::TestWithParam<Volume> {};

TEST_P(OnePercentUnreadable, StandardSearchFindsEveryFolderWhoseSectorsAreReadable) {
    const auto image = test::FixtureImage(GetParam().image);
    const std::vector<std::uint8_t> bytes = ImageBytes(*image);
    const SearchRun clean(std::make_shared<MemorySource>(bytes), GetParam().kind,
                          SearchMode::Standard);
    ASSERT_GT(clean.context.folders.nodes().size(), 3u);

    auto faulty = std::make_shared<test::FaultySource>(bytes);
    faulty->badSectors = OnePercentOf(bytes.size() / 512);
    const SearchRun damaged(faulty, GetParam().kind, SearchMode::Standard);

    EXPECT_FALSE(damaged.outcome.stopped);
    EXPECT_FALSE(damaged.observer.failures.empty()) << "the failed reads are reported";
    const auto found = damaged.folderNumbers();
    const auto cleanNames = clean.folderNames();
    const auto damagedNames = damaged.folderNames();
    int readable = 0;
    for (const auto& [number, name] : cleanNames) {
        if (number == kCatchAllNumber) continue;
        const auto sectors = FolderSectors(clean.context, number);
        ASSERT_FALSE(sectors.empty()) << name;
        bool lost = false;
        for (std::uint64_t sector : sectors) lost |= faulty->badSectors.count(sector) != 0;
        if (lost) continue;
        ++readable;
        EXPECT_EQ(found.count(number), 1u) << "folder " << name << " (" << number << ")";
    }
    EXPECT_GT(readable, 3);
    EXPECT_TRUE(image->unchanged());
}

TEST_P(OnePercentUnreadable, AdvanceSearchFinishesAndRecoversTheVolume) {
    const auto image = test::FixtureImage(GetParam().image);
    const std::vector<std::uint8_t> bytes = ImageBytes(*image);
    auto faulty = std::make_shared<test::FaultySource>(bytes);
    faulty->badSectors = OnePercentOf(bytes.size() / 512);
    const SearchRun damaged(faulty, GetParam().kind, SearchMode::Advance);
    EXPECT_TRUE(damaged.outcome.foundAnything);
    EXPECT_GT(damaged.context.folders.nodes().size(), 3u);
    EXPECT_FALSE(damaged.observer.failures.empty());
}

INSTANTIATE_TEST_SUITE_P(Volumes, OnePercentUnreadable,
                         ::testing::Values(Volume{"fat16", "FAT16"}, Volume{"fat32", "FAT32"},
                                           Volume{"ntfs", "NTFS"}),
                         [](const auto& param) { return std::string(param.param.image); });

TEST(ShortReads, SearchesFindTheSameAsOnAWholeMedium) {
    for (const Volume volume : {Volume{"fat16", "FAT16"}, Volume{"ntfs", "NTFS"}}) {
        SCOPED_TRACE(volume.image);
        const auto image = test::FixtureImage(volume.image);
        const std::vector<std::uint8_t> bytes = ImageBytes(*image);
        const SearchRun clean(std::make_shared<MemorySource>(bytes), volume.kind,
                              SearchMode::Standard);
        auto faulty = std::make_shared<test::FaultySource>(bytes);
        faulty->shortReadLimit = 1536;  // three sectors a request: every longer read is cut
        const SearchRun cut(faulty, volume.kind, SearchMode::Standard);
        EXPECT_EQ(cut.folderNames(), clean.folderNames());
        EXPECT_EQ(cut.context.catalogue.EntryTable.count(),
                  clean.context.catalogue.EntryTable.count());
    }
}

TEST(FlickeringSectors, SearchesEndWithoutLoopingOnBytesThatChange) {
    for (const Volume volume : {Volume{"fat32", "FAT32"}, Volume{"ntfs", "NTFS"}}) {
        SCOPED_TRACE(volume.image);
        const auto image = test::FixtureImage(volume.image);
        const std::vector<std::uint8_t> bytes = ImageBytes(*image);
        auto faulty = std::make_shared<test::FaultySource>(bytes);
        // Every 50th sector of the first 8 MiB changes on each read: FATs,
        // directories and the MFT among them.
        for (std::uint64_t sector = 1; sector < 16384; sector += 50)
            faulty->flickeringSectors.insert(sector);
        for (SearchMode mode : {SearchMode::Standard, SearchMode::Advance}) {
            const SearchRun run(faulty, volume.kind, mode);
            EXPECT_FALSE(run.outcome.stopped);
            EXPECT_FALSE(run.context.folders.nodes().empty());
        }
    }
}

TEST(UnreadableSectors, AreLeftAsTheBufferHeldThemAndReportedOnce) {
    std::vector<std::uint8_t> bytes(64 * 512);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i / 512);
    auto faulty = std::make_shared<test::FaultySource>(bytes);
    faulty->badSectors = {10, 11, 40};
    test::RecordingObserver observer;
    const DiskReader reader(faulty, &observer);
    std::vector<std::uint8_t> buffer(64 * 512, 0xEE);
    EXPECT_EQ(reader.ReadSectors(0, 64, buffer.data()), 0);
    for (std::size_t sector = 0; sector < 64; ++sector) {
        const bool bad = sector == 10 || sector == 11 || sector == 40;
        const std::uint8_t expected = bad ? 0xEE : static_cast<std::uint8_t>(sector);
        EXPECT_EQ(buffer[sector * 512], expected) << sector;
        EXPECT_EQ(buffer[sector * 512 + 511], expected) << sector;
    }
    ASSERT_EQ(observer.failures.size(), 1u);
    EXPECT_EQ(observer.failures[0].firstSector, 0u);
    EXPECT_EQ(observer.failures[0].sectorCount, 64u);
}

TEST(UnreadableSectors, AScanReadsEachRunOnceAndReportsItOnce) {
    // 1536 sectors: three runs of the scans; one bad sector in the second.
    std::vector<std::uint8_t> bytes(1536 * 512);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i / 512);
    auto faulty = std::make_shared<test::FaultySource>(bytes);
    faulty->badSectors = {700};
    test::RecordingObserver observer;
    const DiskReader reader(faulty, &observer);
    std::vector<std::uint8_t> seen;
    ForEachSectorRun(reader, 0, 1536, kScanRunSectors, {}, [&](std::uint64_t first, ByteView run) {
        if (first == 512) seen.assign(run.span().begin(), run.span().end());
        return true;
    });
    // Three bulk reads, and the failed one retried sector by sector, once.
    EXPECT_EQ(faulty->reads.load(), 3u + 512u);
    ASSERT_EQ(observer.failures.size(), 1u);
    EXPECT_EQ(observer.failures[0].firstSector, 512u);
    // The unreadable sector reads as zeros, its neighbours as themselves.
    ASSERT_EQ(seen.size(), 512u * 512u);
    EXPECT_EQ(seen[(700 - 512) * 512], 0);
    EXPECT_EQ(seen[(700 - 512) * 512 + 511], 0);
    EXPECT_EQ(seen[(699 - 512) * 512], static_cast<std::uint8_t>(699));
    EXPECT_EQ(seen[(701 - 512) * 512], static_cast<std::uint8_t>(701));
}

TEST(UnreadableSectors, AFailedRunDoesNotKeepTheBytesOfTheRunBefore) {
    std::vector<std::uint8_t> bytes(1024 * 512, 0x5A);
    auto faulty = std::make_shared<test::FaultySource>(bytes);
    faulty->badSectors = {600};
    const DiskReader reader(faulty, nullptr);
    std::uint8_t atBad = 0xFF;
    ForEachSectorRun(reader, 0, 1024, kScanRunSectors, {}, [&](std::uint64_t first, ByteView run) {
        if (first == 512) atBad = run.u8((600 - 512) * 512);
        return true;
    });
    EXPECT_EQ(atBad, 0);
}

}  // namespace
}  // namespace datrevo
