// Reading a FAT file's contents through the content reader: ending a read
// early by the stop token, and sources of another engine's kind.
#include <gtest/gtest.h>

#include <stop_token>
#include <vector>

#include "fat/fat_content.h"
#include "fat_test_support.h"
#include "support/disk_builder.h"
#include "support/image_fixture.h"

namespace datrevo {
namespace {

// A FAT16 volume of one-sector clusters: the FAT at sector 1, cluster n at
// sector 8 + n. One live file fills clusters 2-201 (a chain in order), more
// than one chunk of the reader's buffer; each data sector holds its number.
constexpr std::uint32_t kFileClusters = 200;
constexpr std::uint64_t kFileBytes = kFileClusters * 512;

std::vector<std::uint8_t> OneFileVolume() {
    test::DiskBuilder disk(256);
    disk.put16(1, 0, 0xFFF8);
    disk.put16(1, 2, 0xFFFF);
    for (std::uint32_t cluster = 2; cluster < 2 + kFileClusters; ++cluster) {
        const bool last = cluster + 1 == 2 + kFileClusters;
        disk.put16(1, cluster * 2, static_cast<std::uint16_t>(last ? 0xFFFF : cluster + 1));
    }
    for (std::uint64_t sector = 10; sector < 256; ++sector)
        disk.put8(sector, 0, static_cast<std::uint8_t>(sector));
    return disk.bytes();
}

FatContentReader ReaderOf(const test::ImageCopy& image) {
    FatLayout layout;
    layout.kind = VolumeKind::Fat16;
    layout.sectorsPerCluster = 1;
    layout.sectorsPerFat = 1;
    layout.firstFat = 1;
    layout.cluster0Start = 8;
    return FatContentReader(test::ReaderFor(image), layout, 256);
}

const ContentSource kFile{ContentKind::FatFile, 2, 0, kFileBytes, false, {}};

TEST(FatContentReading, AWholeFileArrivesInChunksInOrder) {
    const auto image = test::CraftedImage(OneFileVolume());
    std::vector<std::uint8_t> got;
    std::size_t pieces = 0;
    const ContentReport report =
        ReaderOf(*image).readContent(kFile,
                                     [&](std::span<const std::uint8_t> piece) {
                                         got.insert(got.end(), piece.begin(), piece.end());
                                         ++pieces;
                                         return true;
                                     },
                                     {});
    EXPECT_EQ(got.size(), kFileBytes);
    EXPECT_GT(pieces, 1u);
    EXPECT_EQ(got[199 * 512], 209) << "the last cluster, 201, at sector 209";
    EXPECT_FALSE(report.incomplete || report.interrupted);
}

TEST(FatContentReading, TheStopTokenEndsAReadAfterThePieceInHand) {
    const auto image = test::CraftedImage(OneFileVolume());
    std::stop_source stop;
    std::uint64_t got = 0;
    std::size_t pieces = 0;
    const ContentReport report = ReaderOf(*image).readContent(
        kFile,
        [&](std::span<const std::uint8_t> piece) {
            got += piece.size();
            ++pieces;
            stop.request_stop();
            return true;
        },
        stop.get_token());
    EXPECT_EQ(pieces, 1u);
    EXPECT_LT(got, kFileBytes);
    EXPECT_EQ(report.bytes, got);
    EXPECT_TRUE(report.interrupted);
    EXPECT_FALSE(report.incomplete) << "stopped, not short of data";
}

TEST(FatContentReading, AStopBeforeTheReadGivesNothing) {
    const auto image = test::CraftedImage(OneFileVolume());
    std::stop_source stop;
    stop.request_stop();
    bool called = false;
    const ContentReport report = ReaderOf(*image).readContent(
        kFile,
        [&](std::span<const std::uint8_t>) {
            called = true;
            return true;
        },
        stop.get_token());
    EXPECT_FALSE(called);
    EXPECT_TRUE(report.interrupted);
}

TEST(FatContentReading, ASourceOfAnotherEngineGivesNoBytesAndIsIncomplete) {
    const auto image = test::CraftedImage(OneFileVolume());
    ContentSource record = kFile;
    record.kind = ContentKind::NtfsRecord;
    record.recordSector = 10;
    bool called = false;
    const ContentReport report = ReaderOf(*image).readContent(record,
                                                              [&](std::span<const std::uint8_t>) {
                                                                  called = true;
                                                                  return true;
                                                              },
                                                              {});
    EXPECT_FALSE(called);
    EXPECT_EQ(report.bytes, 0u);
    EXPECT_TRUE(report.incomplete);
}

TEST(FatContentReading, MappingNamesTheClustersWithoutReadingThem) {
    const auto image = test::CraftedImage(OneFileVolume());
    std::vector<std::pair<std::uint64_t, std::uint64_t>> runs;  // file offset, disk byte
    std::uint64_t mapped = 0;
    const ContentReport report = ReaderOf(*image).mapContent(
        kFile, [&](std::uint64_t fileOffset, std::uint64_t diskByte, std::uint64_t length) {
            runs.emplace_back(fileOffset, diskByte);
            mapped += length;
        });
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(runs.front(), (std::pair<std::uint64_t, std::uint64_t>{0, 10 * 512}));
    EXPECT_EQ(mapped, kFileBytes);
    EXPECT_FALSE(report.incomplete);
}

}  // namespace
}  // namespace datrevo
