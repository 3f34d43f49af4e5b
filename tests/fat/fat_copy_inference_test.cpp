// A FAT16 volume whose boot sector is gone and which holds a single folder:
// no pair of folder clusters fixes the layout, the FAT copies and the root
// directory do.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "disk/memory_source.h"
#include "fat/fat_copy_inference.h"
#include "fat/fat_volume_layout.h"
#include "search/search_phases.h"
#include "search/search_setup.h"
#include "support/image_fixture.h"
#include "support/recording_observer.h"

namespace datrevo {
namespace {

// mbr-extended (mkfs.fat + mtools): p1 FAT16 at 2048 holds the one folder
// "Primary" with first.txt, p2 FAT16 at 12288 the one folder "Logical One"
// with second.txt; both 8192 sectors.
constexpr std::uint64_t kP1Start = 2048, kP1End = 10240;
constexpr std::uint64_t kP2Start = 12288, kP2End = 20480;

std::vector<std::uint8_t> ExtendedDisk() {
    return test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/mbr-extended.img.gz");
}

DiskReader MemoryReader(std::vector<std::uint8_t> bytes) {
    return DiskReader(std::make_shared<MemorySource>(std::move(bytes), "disk"), nullptr);
}

// mbr-extended with the boot sector of the volume at `start` zeroed (or left
// in place), and the layout that boot sector gave.
struct BootlessDisk {
    std::vector<std::uint8_t> bytes;
    FatLayout fromBoot;
};
BootlessDisk ExtendedDiskWithoutBoot(std::uint64_t start, bool wipe = true) {
    BootlessDisk disk{ExtendedDisk(), {}};
    EXPECT_TRUE(
        ReadFatBootLayout(MemoryReader(disk.bytes), start, VolumeKind::Fat16, disk.fromBoot));
    if (wipe) std::fill_n(disk.bytes.begin() + static_cast<std::ptrdiff_t>(start * 512), 512, 0);
    return disk;
}

// A recovery context over a crafted image of `bytes`, set to search the
// FAT16 volume in [start, end).
struct CraftedSearch {
    CraftedSearch(const std::vector<std::uint8_t>& bytes, SearchMode mode, std::uint64_t start,
                  std::uint64_t end)
        : image(test::CraftedImage(bytes)), context{observer, prompter} {
        context.slots.assign(0, image->path());
        context.currentDisk.totalSectors64 = bytes.size() / 512;
        context.search = {mode,  0,  0, VolumeKind::Fat16, std::string(SearchModeText(mode)),
                          start, end};
    }

    std::unique_ptr<test::ImageCopy> image;
    test::RecordingObserver observer;
    test::ScriptedPrompter prompter;
    RecoveryContext context;
};

std::vector<std::string> RootFolders(const RecoveryContext& context) {
    std::vector<std::string> names;
    const TreeModel& model = context.folders.model();
    for (ItemId child : model.children(context.folders.root()))
        names.push_back(model.item(child).text);
    return names;
}

class WipedBootSector : public ::testing::TestWithParam<std::pair<std::uint64_t, std::uint64_t>> {};

TEST_P(WipedBootSector, TheStandardSearchFindsTheLayoutTheBootSectorHad) {
    const auto [start, end] = GetParam();
    const BootlessDisk disk = ExtendedDiskWithoutBoot(start);
    ASSERT_FALSE(HasFailure());
    CraftedSearch run(disk.bytes, SearchMode::Standard, start, end);
    RecoveryContext& context = run.context;
    EXPECT_FALSE(ValidatePartition(context));
    const SearchOutcome outcome = RunPartitionSearch(context);

    EXPECT_TRUE(outcome.foundAnything);
    EXPECT_TRUE(run.prompter.messages.empty());  // neither "Unable to calculate" nor "use Advance"
    EXPECT_EQ(context.activeLayout, disk.fromBoot);
    const std::string folder = start == kP1Start ? "Primary" : "Logical One";
    const std::vector<std::string> roots = RootFolders(context);
    EXPECT_NE(std::find(roots.begin(), roots.end(), folder), roots.end());
}

INSTANTIATE_TEST_SUITE_P(OneFolderVolumes, WipedBootSector,
                         ::testing::Values(std::make_pair(kP1Start, kP1End),
                                           std::make_pair(kP2Start, kP2End)));

TEST(FatCopies, AnAdvanceSearchOffersTheOneFolderVolumeAndRecoversIt) {
    const BootlessDisk disk = ExtendedDiskWithoutBoot(kP2Start);
    ASSERT_FALSE(HasFailure());
    const FatLayout& fromBoot = disk.fromBoot;
    CraftedSearch run(disk.bytes, SearchMode::Advance, kP2Start, kP2End);
    RecoveryContext& context = run.context;

    const SearchOutcome scan = RunPartitionSearch(context);
    ASSERT_EQ(scan.volumesFound, 1);
    EXPECT_TRUE(run.prompter.messages.empty());
    const CatalogueTable& volumes = context.catalogue.VolumeTable;
    EXPECT_EQ(volumes.cellUnsigned(0, boot_col::Cluster0Start), fromBoot.cluster0Start);
    EXPECT_EQ(volumes.cellUnsigned(0, boot_col::Spc), fromBoot.sectorsPerCluster);
    EXPECT_EQ(volumes.cellUnsigned(0, boot_col::RootStart), fromBoot.rootStart);
    EXPECT_EQ(volumes.cellUnsigned(0, boot_col::SecondFat), fromBoot.secondFat);

    const SearchOutcome recovered = RunVolumeRecovery(context, 1);
    EXPECT_TRUE(recovered.foundAnything);
    const std::vector<std::string> roots = RootFolders(context);
    EXPECT_NE(std::find(roots.begin(), roots.end(), "Logical One"), roots.end());
}

TEST(FatCopies, WithoutAFolderTheFatSizeChoosesTheClusterSize) {
    // Without a folder the data area follows a root of 32 sectors, and the
    // FAT of 32 sectors holds the 8 095 clusters of one sector exactly.
    const BootlessDisk disk = ExtendedDiskWithoutBoot(kP2Start);
    ASSERT_FALSE(HasFailure());
    const auto layout =
        InferFat16FromFatCopies(MemoryReader(disk.bytes), kP2Start, kP2End, std::nullopt);
    ASSERT_TRUE(layout.has_value());
    EXPECT_EQ(*layout, disk.fromBoot);
}

TEST(FatCopies, CopiesThatDifferAreNoLayout) {
    BootlessDisk disk = ExtendedDiskWithoutBoot(kP2Start);
    ASSERT_FALSE(HasFailure());
    disk.bytes[disk.fromBoot.secondFat * 512 + 40] ^= 0x5A;  // one entry of the second copy differs
    EXPECT_FALSE(InferFat16FromFatCopies(MemoryReader(disk.bytes), kP2Start, kP2End, std::nullopt)
                     .has_value());
}

TEST(FatCopies, AFolderBeforeTheRootEndIsNoEvidenceForAnyClusterSize) {
    // A "." sector that would put the data area before the root directory.
    const BootlessDisk disk = ExtendedDiskWithoutBoot(kP2Start, false);
    ASSERT_FALSE(HasFailure());
    const DirectorySectorClue clue{disk.fromBoot.rootStart, 9};
    EXPECT_FALSE(
        InferFat16FromFatCopies(MemoryReader(disk.bytes), kP2Start, kP2End, clue).has_value());
}

TEST(FatCopies, ChainsThatLoopOrRunPastTheFatAreIgnored) {
    // Hostile FAT copies: every entry points at itself or past the FAT. The
    // inference ends, and the folder alone places the data area.
    std::vector<std::uint8_t> bytes(4096 * 512, 0);
    const std::uint64_t firstFat = 1, spf = 4, rootStart = firstFat + 2 * spf;
    for (std::uint64_t copy = 0; copy < 2; ++copy) {
        std::uint8_t* fat = bytes.data() + (firstFat + copy * spf) * 512;
        fat[0] = 0xF8;
        fat[1] = fat[2] = fat[3] = 0xFF;
        for (std::size_t n = 2; n < spf * 256; ++n) {
            const std::uint16_t next = n % 2 ? static_cast<std::uint16_t>(n) : 0xF000;
            fat[n * 2] = static_cast<std::uint8_t>(next);
            fat[n * 2 + 1] = static_cast<std::uint8_t>(next >> 8);
        }
    }
    // A root file of 5000 bytes starting at cluster 3 (a self loop) and one at 4.
    std::uint8_t* root = bytes.data() + rootStart * 512;
    std::memcpy(root, "LOOP    BIN", 11);
    root[26] = 3;
    root[28] = 0x88, root[29] = 0x13;
    std::memcpy(root + 32, "PAST    BIN", 11);
    root[32 + 26] = 4;
    root[32 + 28] = 0x88, root[32 + 29] = 0x13;
    const DirectorySectorClue clue{rootStart + 32, 2};
    const auto layout = InferFat16FromFatCopies(MemoryReader(bytes), 0, 4096, clue);
    ASSERT_TRUE(layout.has_value());
    EXPECT_EQ(layout->sectorsPerFat, spf);
    EXPECT_EQ(layout->rootSectors, 32u);
    EXPECT_EQ(layout->reservedSectors, 1u);
}

}  // namespace
}  // namespace datrevo
