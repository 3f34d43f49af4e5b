// FAT entries, decoded once for the chain reader and the save.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "fat/cluster_chain.h"
#include "fat/fat_table.h"
#include "support/faulty_source.h"

namespace datrevo {
namespace {

TEST(FatTableEntries, Fat32KeepsTheLow28BitsAndFat16TheWord) {
    std::vector<std::uint8_t> sector(512, 0);
    // Entry 3 of a FAT32 sector: 0xF0000009, of which 9 counts.
    sector[12] = 0x09;
    sector[15] = 0xF0;
    const ByteView view(sector.data(), sector.size());
    EXPECT_EQ(DecodeFatEntry(view, 3, FatKind::Fat32), 9u);
    EXPECT_EQ(DecodeFatEntry(view, 3 + 128, FatKind::Fat32), 9u);  // by its place in the sector
    EXPECT_EQ(DecodeFatEntry(view, 6, FatKind::Fat16), 0x0009u);
    EXPECT_EQ(DecodeFatEntry(view, 7, FatKind::Fat16), 0xF000u);
    EXPECT_EQ(DecodeFatEntry(ByteView(), 7, FatKind::Fat16), 0u);
}

TEST(FatTableEntries, AnUnreadableFatSectorGivesNoEntryAndEndsTheChain) {
    // FAT at sector 1: cluster 2 -> 3 -> 4 (end); its second sector is bad.
    std::vector<std::uint8_t> disk(8 * 512, 0);
    const auto put = [&](std::size_t entry, std::uint32_t value) {
        for (int b = 0; b < 4; ++b)
            disk[512 + entry * 4 + b] = static_cast<std::uint8_t>(value >> (8 * b));
    };
    put(2, 3);
    put(3, 130);
    put(130, 0x0FFFFFFF);
    auto source = std::make_shared<test::FaultySource>(disk);
    source->badSectors = {2};
    const DiskReader reader(source, nullptr);
    FatLayout layout;
    layout.kind = VolumeKind::Fat32;
    layout.firstFat = 1;
    layout.sectorsPerFat = 2;
    FatTable table(reader, layout);
    EXPECT_EQ(table.entry(2), 3u);
    EXPECT_EQ(table.entry(3), 130u);
    EXPECT_EQ(table.entry(130), std::nullopt);
    EXPECT_EQ(ReadClusterChain(reader, layout, 2), (ClusterChain{2, 3, 130}));
}

}  // namespace
}  // namespace datrevo
