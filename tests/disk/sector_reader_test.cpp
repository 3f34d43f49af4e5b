#include <gtest/gtest.h>

#include <numeric>

#include "disk/disk_reader.h"
#include "disk/drive_slots.h"
#include "disk/file_source.h"
#include "fat/sector_runs.h"
#include "support/counting_source.h"
#include "support/faulty_source.h"
#include "support/image_fixture.h"
#include "support/recording_observer.h"

namespace datrevo {
namespace {

std::vector<std::uint8_t> NumberedSectors(std::size_t count) {
    std::vector<std::uint8_t> bytes(count * 512);
    for (std::size_t s = 0; s < count; ++s)
        for (std::size_t i = 0; i < 512; ++i)
            bytes[s * 512 + i] = static_cast<std::uint8_t>(s * 7 + i);
    return bytes;
}

TEST(SectorReader, ImageFileIsReadSectorNAtByteOffsetNTimes512) {
    const auto image = test::CraftedImage(NumberedSectors(16));
    DriveSlots slots;
    ASSERT_TRUE(slots.assign(3, image->path()));
    std::vector<std::uint8_t> buffer(3 * 512);
    EXPECT_EQ(slots.ReadSectors(3, 5, 3, buffer.data()), 1);
    const auto expected = NumberedSectors(16);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), expected.begin() + 5 * 512));
    SectorBuffer first{};
    EXPECT_EQ(slots.reader(3, nullptr).readSector(0, first), 1);
    EXPECT_EQ(first[1], 1);
}

TEST(SectorReader, UnopenablePathFailsQuietlyAndLeavesTheBuffer) {
    test::RecordingObserver observer;
    DriveSlots slots;
    slots.assign(0, std::string("/nonexistent/disk.img"));
    std::vector<std::uint8_t> buffer(512, 0xCC);
    EXPECT_EQ(slots.ReadSectors(0, 0, 1, buffer.data(), &observer), 0);
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](auto b) { return b == 0xCC; }));
    EXPECT_TRUE(observer.failures.empty());
    EXPECT_EQ(slots.ReadSectors(7, 0, 1, buffer.data()), 0);  // empty slot
}

TEST(SectorReader, FailedBulkReadRetriesEachSectorAndKeepsUnreadableBytes) {
    auto source = std::make_shared<test::FaultySource>(NumberedSectors(8));
    source->badSectors = {4};
    test::RecordingObserver observer;
    const DiskReader reader(source, &observer);
    std::vector<std::uint8_t> buffer(6 * 512, 0xEE);
    EXPECT_EQ(reader.ReadSectors(1, 6, buffer.data()), 0);
    ASSERT_EQ(observer.failures.size(), 1u);
    EXPECT_EQ(observer.failures[0].firstSector, 1u);
    EXPECT_EQ(observer.failures[0].sectorCount, 6u);
    const auto expected = NumberedSectors(8);
    for (std::size_t i = 0; i < 6; ++i) {
        const std::uint64_t sector = 1 + i;
        for (std::size_t b = 0; b < 512; ++b) {
            const std::uint8_t want = sector == 4 ? 0xEE : expected[sector * 512 + b];
            ASSERT_EQ(buffer[i * 512 + b], want) << "sector " << sector << " byte " << b;
        }
    }
}

TEST(SectorReader, ReadPastTheEndOfAnImageIsAFailedBulkRead) {
    const auto image = test::CraftedImage(NumberedSectors(4));
    test::RecordingObserver observer;
    const DiskReader reader(std::make_shared<FileSource>(image->path()), &observer);
    std::vector<std::uint8_t> buffer(4 * 512, 0);
    EXPECT_EQ(reader.ReadSectors(2, 4, buffer.data()), 0);
    EXPECT_EQ(observer.failures.size(), 1u);
    EXPECT_EQ(buffer[0], NumberedSectors(4)[2 * 512]);  // the sectors that exist arrived
    EXPECT_EQ(buffer[2 * 512 + 1], 0);                  // the ones past the end did not
}

TEST(SectorReader, ShortReadsAreFailuresNotPartialSuccess) {
    auto source = std::make_shared<test::FaultySource>(NumberedSectors(8));
    source->shortReadLimit = 1024;
    test::RecordingObserver observer;
    const DiskReader reader(source, &observer);
    std::vector<std::uint8_t> buffer(4 * 512);
    EXPECT_EQ(reader.ReadSectors(0, 4, buffer.data()), 0);
    EXPECT_EQ(buffer[3 * 512 + 5], NumberedSectors(8)[3 * 512 + 5]);  // the retry got them all
}

TEST(SectorReader, SectorsAbove2To32ReachTheirByteOffset) {
    auto source = std::make_shared<test::FaultySource>(NumberedSectors(1));
    const DiskReader reader(source, nullptr);
    SectorBuffer buffer{};
    reader.readSector((1ull << 32) + 5, buffer);
    EXPECT_EQ(source->lastOffset.load(), ((1ull << 32) + 5) * 512);
}

TEST(SectorReader, ARunWhoseEndPassesTheLargestOffsetIsRefusedWithoutAnyRead) {
    // A crafted run can name a sector near 2^55: the first sectors of the
    // run fit a 64-bit byte offset, the later ones would wrap to sector 0.
    auto source = std::make_shared<test::FaultySource>(NumberedSectors(8));
    test::RecordingObserver observer;
    const DiskReader reader(source, &observer);
    const std::uint64_t first = UINT64_MAX / 512 - 2;
    std::vector<std::uint8_t> buffer(8 * 512, 0xEE);
    EXPECT_EQ(reader.ReadSectors(first, 8, buffer.data()), 0);
    EXPECT_EQ(source->reads.load(), 0u);
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](auto b) { return b == 0xEE; }));

    // The last whole sector below the limit is still read (and fails: no such medium).
    EXPECT_EQ(reader.ReadSectors(UINT64_MAX / 512 - 1, 1, buffer.data()), 0);
    EXPECT_GT(source->reads.load(), 0u);
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](auto b) { return b == 0xEE; }));
}

// A scan tells the source which run it reads next while it works on the
// one it has; the hint never reaches past the disk, and a scan's hints stay
// inside the range it scans.
TEST(SectorReader, ReadAheadHintsStayOnTheDiskAndAheadOfTheScan) {
    const auto source = std::make_shared<test::CountingSource>(std::uint64_t{100} * 512);
    const DiskReader disk(source, nullptr);
    disk.willRead(90, 50);
    disk.willRead(100, 5);
    disk.willRead(std::uint64_t{1} << 62, 8);
    using Hint = std::pair<std::uint64_t, std::uint64_t>;
    EXPECT_EQ(source->hints(), (std::vector<Hint>{{90 * 512, 10 * 512}}));

    const auto scanned = std::make_shared<test::CountingSource>(std::uint64_t{2000} * 512);
    const DiskReader scanDisk(scanned, nullptr);
    std::vector<std::uint64_t> visited;
    ForEachSectorRun(scanDisk, 100, 1100, 512, std::stop_token(),
                     [&visited](std::uint64_t first, ByteView) {
                         visited.push_back(first);
                         return true;
                     });
    EXPECT_EQ(visited, (std::vector<std::uint64_t>{100, 612}));
    // After the first run: the second (488 sectors to the range's end); none after the last.
    EXPECT_EQ(scanned->hints(), (std::vector<Hint>{{612 * 512, 488 * 512}}));
}

TEST(SectorReader, PermissionDeniedSaysHowToGetAccess) {
    const std::string message = OpenFailureMessage("/dev/sdz", EACCES);
    EXPECT_NE(message.find("/dev/sdz"), std::string::npos);
    EXPECT_NE(message.find("disk' group"), std::string::npos);
}

}  // namespace
}  // namespace datrevo
