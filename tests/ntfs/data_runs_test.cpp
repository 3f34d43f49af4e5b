// Run lists: relative offsets, sparse runs, absurd fields, and record
// numbers turned into sectors.
#include <gtest/gtest.h>

#include "ntfs/data_runs.h"

namespace datrevo {
namespace {

RunDecode Decode(const std::vector<std::uint8_t>& bytes, RunList& runs, bool continuing = false,
                 std::uint32_t spc = 8, std::uint64_t start = 63) {
    return DecodeDataRuns(ByteView(bytes), 0, spc, start, runs, continuing);
}

TEST(DataRuns, NegativeOffsetsCountBackFromThePreviousRun) {
    RunList runs;
    EXPECT_EQ(Decode({0x31, 0x08, 0x00, 0x10, 0x00, 0x21, 0x04, 0xF0, 0xFF, 0x00}, runs),
              RunDecode::Complete);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].startSector, 63u + 4096 * 8);
    EXPECT_EQ(runs[0].sectorCount, 64u);
    EXPECT_EQ(runs[1].startSector, runs[0].startSector - 16 * 8);
    EXPECT_EQ(runs[1].sectorCount, 32u);
}

TEST(DataRuns, ASparseRunKeepsTheBaseOfTheRunBeforeIt) {
    RunList runs;
    Decode({0x11, 0x02, 0x10, 0x01, 0x05, 0x11, 0x03, 0x04, 0x00}, runs);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[1].startSector, 0u);
    EXPECT_EQ(runs[1].sectorCount, 40u);
    EXPECT_EQ(runs[2].startSector, 63u + (16 + 4) * 8);
}

TEST(DataRuns, TheFirstRunOfAContinuingRecordCountsFromClusterZero) {
    RunList runs;
    Decode({0x11, 0x01, 0x40, 0x00}, runs);
    Decode({0x11, 0x01, 0x10, 0x00}, runs, true);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[1].startSector, 63u + 16 * 8);
}

TEST(DataRuns, AbsurdFieldsAreRejectedNotWrapped) {
    RunList runs;
    // A nine-byte length field.
    EXPECT_EQ(Decode({0x19, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0x01, 0x00}, runs), RunDecode::Damaged);
    EXPECT_TRUE(runs.empty());
    // A length whose sector count overflows 64 bits.
    EXPECT_EQ(Decode({0x18, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x00}, runs),
              RunDecode::Damaged);
    // A negative offset on the very first run.
    EXPECT_EQ(Decode({0x11, 0x01, 0xF0, 0x00}, runs), RunDecode::Damaged);
    // An offset that takes a later run below cluster 0.
    runs.clear();
    EXPECT_EQ(Decode({0x11, 0x01, 0x10, 0x11, 0x01, 0xE0, 0x00}, runs), RunDecode::Damaged);
    EXPECT_EQ(runs.size(), 1u);
    // Fields that run past the bytes, and a list without its end marker.
    runs.clear();
    EXPECT_EQ(Decode({0x44, 0x01, 0x02}, runs), RunDecode::Damaged);
    EXPECT_EQ(Decode({0x11, 0x01, 0x02}, runs), RunDecode::Damaged);
    // A zero-width length field.
    EXPECT_EQ(Decode({0x10, 0x05, 0x00}, runs), RunDecode::Damaged);
}

TEST(RecordToSector, FollowsTheRunsAndStopsAtTheirEnd) {
    const MftRunList runs{{1000, 8}, {5000, 8}};
    EXPECT_EQ(RecordToSector(runs, 0), 1000u);
    EXPECT_EQ(RecordToSector(runs, 3), 1006u);
    EXPECT_EQ(RecordToSector(runs, 4), 5000u);
    EXPECT_EQ(RecordToSector(runs, 7), 5006u);
    EXPECT_EQ(RecordToSector(runs, 8), 0u);
    EXPECT_EQ(RecordToSector({}, 0), 0u);
    EXPECT_EQ(RecordToSector({{0, 8}}, 1), 0u);  // sparse
}

}  // namespace
}  // namespace datrevo
