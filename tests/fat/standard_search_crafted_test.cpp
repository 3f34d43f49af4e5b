#include <gtest/gtest.h>

#include <random>

#include "base/text_codec.h"
#include "disk/memory_source.h"
#include "fat/fat_standard_search.h"
#include "fat/folder_naming.h"
#include "fat_test_support.h"
#include "support/disk_builder.h"

namespace datrevo {
namespace {

using test::DiskBuilder;
using test::FatHarness;

// A small FAT16 volume laid out by hand: FAT at sector 1 (one sector), the
// second FAT at 2, a one-sector root at 3, clusters of one sector from
// sector 4 (cluster n at sector n + 2).
class CraftedVolume : public ::testing::Test {
protected:
    static constexpr std::uint64_t kSectors = 200;

    CraftedVolume() : disk(kSectors) {
        layout.kind = VolumeKind::Fat16;
        layout.firstFat = 1;
        layout.sectorsPerFat = 1;
        layout.secondFat = 2;
        layout.rootStart = 3;
        layout.rootSectors = 1;
        layout.reservedSectors = 1;
        layout.sectorsPerCluster = 1;
        layout.cluster0Start = 2;
    }

    static std::uint64_t SectorOf(std::uint32_t cluster) { return cluster + 2u; }

    // A directory cluster: "." naming `self`, ".." naming `parent`.
    void Folder(std::uint32_t cluster, std::uint32_t parent, std::uint32_t self = 0) {
        const std::uint64_t s = SectorOf(cluster);
        Entry(s, 0, ".          ", self != 0 ? self : cluster, 0x10);
        Entry(s, 1, "..         ", parent, 0x10);
    }
    void Entry(std::uint64_t sector, int slot, const char* name11, std::uint32_t cluster,
               std::uint8_t attributes = 0x10) {
        const std::size_t at = static_cast<std::size_t>(slot) * 32;
        disk.putText(sector, at, std::string_view(name11, 11));
        disk.put8(sector, at + 11, attributes);
        disk.put16(sector, at + 26, static_cast<std::uint16_t>(cluster));
    }
    void Fat(std::uint32_t cluster, std::uint16_t value) { disk.put16(1, cluster * 2, value); }

    std::map<std::string, bool> Search(std::uint64_t end = kSectors,
                                       std::shared_ptr<const SectorSource> source = nullptr) {
        run = std::make_unique<FatHarness>(DiskReader(
            source ? source : std::shared_ptr<const SectorSource>(disk.source()), nullptr));
        run->partitionLayout = layout;
        FatSearchScope scope = run->scope(0, end, VolumeKind::Fat16, true);
        RunFatStandardSearch(scope);
        return run->folders();
    }

    DiskBuilder disk;
    FatLayout layout;
    std::unique_ptr<FatHarness> run;
};

TEST_F(CraftedVolume, AnEmptyVolumeGivesTheRootAloneWithoutAnEmptyCatchAllFolder) {
    EXPECT_EQ(Search(), (std::map<std::string, bool>{}));
    EXPECT_FALSE(run->state.foundAnything);
}

TEST_F(CraftedVolume, AStaleCopyOfAnotherFoldersClusterIsNotAFolder) {
    Folder(5, 0, /*self=*/9);
    Folder(9, 0);
    Entry(3, 0, "REAL       ", 9);
    EXPECT_EQ(Search(), (std::map<std::string, bool>{{"REAL", false}}));
}

TEST_F(CraftedVolume, AFolderWhoseParentIsGoneGoesUnderTheCatchAllFolder) {
    Folder(6, 40);
    Folder(7, 6);
    Entry(SectorOf(6), 2, "CHILD      ", 7);
    EXPECT_EQ(Search(), (std::map<std::string, bool>{{"Miscellaneous_001", false},
                                                     {"Miscellaneous_001/Dir1", false},
                                                     {"Miscellaneous_001/Dir1/CHILD", false}}));
}

TEST_F(CraftedVolume, ADeletedRootEntryNamesItsFolderAsDeleted) {
    Folder(7, 0);
    Entry(3, 0, "xLDDIR     ", 7);
    disk.put8(3, 0, 0xE5);
    EXPECT_EQ(Search(), (std::map<std::string, bool>{{"_LDDIR", true}}));
}

TEST_F(CraftedVolume, OfTwoRootEntriesOfOneClusterTheLaterNamesIt) {
    Folder(7, 0);
    Entry(3, 0, "FIRST      ", 7);
    Entry(3, 1, "SECOND     ", 7);
    EXPECT_EQ(Search(), (std::map<std::string, bool>{{"SECOND", false}}));
}

TEST_F(CraftedVolume, ALiveEntryWinsOverADeletedEntryOfTheSameCluster) {
    // A folder was deleted and its cluster given to a new folder.
    Folder(7, 0);
    Entry(3, 0, "NEWDIR     ", 7);
    Entry(3, 1, "xLDDIR     ", 7);
    disk.put8(3, 32, 0xE5);
    EXPECT_EQ(Search(), (std::map<std::string, bool>{{"NEWDIR", false}}));
}

TEST_F(CraftedVolume, FoldersThatAreTheirOwnParentsOrEachOthersAreKeptUnderTheCatchAllFolder) {
    Folder(8, 8);
    Folder(10, 11);
    Folder(11, 10);
    const std::map<std::string, bool> found = Search();
    EXPECT_EQ(found.size(), 4u);
    EXPECT_TRUE(found.count("Miscellaneous_001/Dir1"));
    // The pair hangs under the catch-all folder once, one inside the other.
    EXPECT_TRUE(found.count("Miscellaneous_001/Dir2/Dir3") ||
                found.count("Miscellaneous_001/Dir3/Dir2"));
}

TEST_F(CraftedVolume, ADirectoryWhoseChainLoopsIsReadOnce) {
    Folder(7, 0);
    Entry(3, 0, "TOP        ", 7);
    Fat(7, 8);
    Fat(8, 7);
    for (int slot = 0; slot < 16; ++slot) Entry(SectorOf(8), slot, "FILLER  BIN", 50, 0x20);
    Folder(20, 7);
    Entry(SectorOf(7), 2, "INNER      ", 20);
    EXPECT_EQ(Search(), (std::map<std::string, bool>{{"TOP", false}, {"TOP/INNER", false}}));
}

TEST_F(CraftedVolume, ADirectoryFullOfGarbageEndsWithUsableNamesOnly) {
    std::mt19937 random(7);
    for (std::uint64_t s = 4; s < kSectors; ++s)
        for (std::size_t i = 0; i < 512; ++i) disk.put8(s, i, static_cast<std::uint8_t>(random()));
    for (std::uint16_t c = 0; c < 256; ++c) Fat(c, static_cast<std::uint16_t>(random()));
    Folder(7, 0);
    Entry(3, 0, "TOP        ", 7);
    // Children of TOP whose names come from the garbage of its cluster.
    for (std::uint32_t c = 30; c < 60; ++c) Folder(c, 7);
    const std::map<std::string, bool> found = Search();
    EXPECT_TRUE(found.count("TOP"));
    for (const auto& [path, deleted] : found) {
        EXPECT_TRUE(IsValidUtf8(path)) << path;
        for (char c : path) EXPECT_FALSE(static_cast<unsigned char>(c) < 32) << path;
    }
}

TEST_F(CraftedVolume, AVolumeRunningPastTheImageEndStopsAtTheEnd) {
    Folder(7, 0);
    Entry(3, 0, "TOP        ", 7);
    std::vector<std::uint8_t> truncated(disk.bytes().begin(),
                                        disk.bytes().begin() + 20 * 512 + 100);
    const auto source = std::make_shared<MemorySource>(truncated, "truncated");
    EXPECT_EQ(Search(1000000, source), (std::map<std::string, bool>{{"TOP", false}}));
}

TEST_F(CraftedVolume, NoUsableClusterSizeEndsWithNothingFound) {
    Folder(7, 0);
    layout.sectorsPerCluster = 0;
    EXPECT_EQ(Search(), (std::map<std::string, bool>{}));
    EXPECT_FALSE(run->state.foundAnything);
}

}  // namespace
}  // namespace datrevo
