// Two searches in one recovery context: a partition whose volume cannot be
// read (boot area wiped, or not the kind it is searched as) must not be
// searched with the volume values of the partition searched before it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "log/recovery_log.h"
#include "search/notices.h"
#include "search/search_phases.h"
#include "support/image_fixture.h"
#include "support/recording_observer.h"

namespace datrevo {
namespace {

// mbr-extended: p1 FAT16 at 2048 (folder "Primary"), p2 FAT16 at 12288
// (folder "Logical One"), p3 FAT32 at 22528, p4 NTFS at 94208; every FAT16
// volume there has 1 reserved sector and two FATs of 32 sectors.
constexpr std::uint64_t kP1Start = 2048, kP1End = 10240;
constexpr std::uint64_t kP2Start = 12288, kP2End = 20480;
constexpr std::uint64_t kP4Start = 94208, kP4End = 102400;
constexpr std::uint64_t kFat16BootArea = 1 + 2 * 32;

std::vector<std::uint8_t> ExtendedDisk() {
    return test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/mbr-extended.img.gz");
}

std::vector<std::string> FolderNames(const RecoveryContext& context) {
    std::vector<std::string> names;
    for (const FolderNode& node : context.folders.nodes()) names.push_back(node.name);
    return names;
}

bool Has(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

class TwoSearches : public ::testing::Test {
protected:
    void Open(std::vector<std::uint8_t> bytes) {
        image = test::CraftedImage(bytes);
        context.slots.assign(0, image->path());
        context.currentDisk.totalSectors64 = bytes.size() / 512;
        context.currentDisk.modelText = "Crafted Card";
    }

    SearchOutcome Standard(VolumeKind kind, std::uint64_t start, std::uint64_t end) {
        context.search = {SearchMode::Standard, 0, 0, kind, "Standard Search", start, end};
        ValidatePartition(context);
        return RunPartitionSearch(context);
    }

    test::RecordingObserver observer;
    test::ScriptedPrompter prompter;
    RecoveryContext context{observer, prompter};
    std::unique_ptr<test::ImageCopy> image;
};

TEST_F(TwoSearches, AWipedFatBootAreaDoesNotShowTheFoldersOfThePartitionBefore) {
    std::vector<std::uint8_t> bytes = ExtendedDisk();
    std::fill_n(bytes.begin() + kP2Start * 512, kFat16BootArea * 512, 0);
    Open(bytes);

    ASSERT_TRUE(Standard(VolumeKind::Fat16, kP1Start, kP1End).foundAnything);
    ASSERT_TRUE(Has(FolderNames(context), "Primary"));
    prompter.messages.clear();

    const SearchOutcome second = Standard(VolumeKind::Fat16, kP2Start, kP2End);
    EXPECT_FALSE(context.bootRecordValid);
    EXPECT_FALSE(second.foundAnything);
    EXPECT_FALSE(Has(FolderNames(context), "Primary"));
    EXPECT_TRUE(FolderNames(context).empty());              // not even an empty catch-all folder
    EXPECT_EQ(context.activeLayout.sectorsPerCluster, 0u);  // nothing of p1 to browse with
    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(prompter.messages[0].text, "Unable to calculate partition parameters");
    EXPECT_EQ(prompter.messages[1].text, kStandardNothingFoundNotice);
}

TEST_F(TwoSearches, AnInvalidNtfsPartitionDoesNotListTheVolumeSearchedBefore) {
    Open(ExtendedDisk());
    const SearchOutcome first = Standard(VolumeKind::Ntfs, kP4Start, kP4End);
    ASSERT_GT(first.fileRecords, 0);
    ASSERT_TRUE(Has(FolderNames(context), "Logical Three"));
    prompter.messages.clear();

    // p1 holds FAT16, not NTFS: no NTFS boot sector, no MFT.
    context.search = {SearchMode::Standard, 0,        0,     VolumeKind::Ntfs,
                      "Standard Search",    kP1Start, kP1End};
    EXPECT_FALSE(ValidatePartition(context));
    EXPECT_EQ(context.partitionNtfs, NtfsValues{});
    const SearchOutcome second = RunPartitionSearch(context);
    EXPECT_FALSE(second.foundAnything);
    EXPECT_EQ(second.fileRecords, 0);
    EXPECT_EQ(context.catalogue.EntryTable.count(), 0);
    EXPECT_FALSE(Has(FolderNames(context), "Logical Three"));
    EXPECT_TRUE(context.mftRuns.empty());
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, kStandardNothingFoundNotice);
}

TEST_F(TwoSearches, AFailedValidationAfterALoadedLogDoesNotUseTheLoggedVolume) {
    std::vector<std::uint8_t> bytes = ExtendedDisk();
    std::fill_n(bytes.begin() + kP2Start * 512, kFat16BootArea * 512, 0);
    Open(bytes);
    ASSERT_TRUE(Standard(VolumeKind::Fat16, kP1Start, kP1End).foundAnything);
    const std::filesystem::path dir = test::MakeTempDir("stale-log");
    const std::string log = (dir / "p1.MPD").string();
    ASSERT_TRUE(SaveRecoveryLog(log, context, prompter));

    test::RecordingObserver otherObserver;
    test::ScriptedPrompter otherPrompter;
    RecoveryContext loaded{otherObserver, otherPrompter};
    loaded.slots.assign(0, image->path());
    loaded.currentDisk.totalSectors64 = bytes.size() / 512;
    loaded.currentDisk.modelText = context.currentDisk.modelText;
    ASSERT_EQ(LoadRecoveryLog(log, loaded, otherPrompter), LogLoadOutcome::Loaded);
    ASSERT_NE(loaded.partitionLayout.sectorsPerCluster, 0u);

    loaded.search = {SearchMode::Standard, 0,        0,     VolumeKind::Fat16,
                     "Standard Search",    kP2Start, kP2End};
    EXPECT_FALSE(ValidatePartition(loaded));
    const SearchOutcome outcome = RunPartitionSearch(loaded);
    EXPECT_FALSE(outcome.foundAnything);
    EXPECT_FALSE(Has(FolderNames(loaded), "Primary"));
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace datrevo
