#include <gtest/gtest.h>

#include "fat/fat_standard_search.h"
#include "fat/fat_volume_layout.h"
#include "fat/folder_naming.h"
#include "fat_test_support.h"

namespace datrevo {
namespace {

using test::FatHarness;

// Every folder of the fixtures reaches the root: no catch-all folder is listed.
std::map<std::string, bool> WithCatchAll(std::map<std::string, bool> folders) { return folders; }

// A Standard search of the image's only volume, as the search worker runs it
// after the partition was validated.
void SearchWholeImage(FatHarness& run, std::uint64_t sectors, VolumeKind kind) {
    run.state = {};
    const bool valid = ReadFatBootLayout(run.disk, 0, kind, run.partitionLayout);
    FatSearchScope scope = run.scope(0, sectors, kind, valid);
    RunFatStandardSearch(scope);
}

class StandardSearchOnFixtures
    : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(StandardSearchOnFixtures, FindsEveryFolderLiveAndDeletedWithItsNameAndPath) {
    const auto [image, kind] = GetParam();
    const auto copy = test::FixtureImage(image);
    FatHarness run(test::ReaderFor(*copy));
    SearchWholeImage(run, copy->sizeInBytes() / 512, VolumeKindFromText(kind));

    const std::map<std::string, bool> expected = test::ManifestFolders(image);
    ASSERT_FALSE(expected.empty());
    PassDeletionDown(run.tree);
    EXPECT_EQ(run.folders(), WithCatchAll(expected));
    EXPECT_TRUE(run.state.foundAnything);
    EXPECT_EQ(run.tree.model().item(run.tree.root()).text, "Root");
    EXPECT_EQ(run.catalogue.FolderTable.count(), 0);
    EXPECT_EQ(run.activeLayout, run.partitionLayout);
    EXPECT_EQ(run.observer.counterLabels.front(), "Directories Found\t\t:");
    EXPECT_EQ(run.observer.foldersCounter, expected.size() + 1);
    EXPECT_TRUE(run.prompter.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Fat, StandardSearchOnFixtures,
                         ::testing::Values(std::make_pair("fat16", "FAT16"),
                                           std::make_pair("fat32", "FAT32")));

TEST(StandardSearchOnFixtures, WithTheBootRecordZeroedTheLayoutIsInferredAndTheFoldersFound) {
    for (const auto& [image, kind] : {std::pair{"fat16", "FAT16"}, std::pair{"fat32", "FAT32"}}) {
        SCOPED_TRACE(image);
        std::vector<std::uint8_t> bytes =
            test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/" + image + ".img.gz");
        FatLayout real;
        {
            const auto intact = test::CraftedImage(bytes);
            ASSERT_TRUE(
                ReadFatBootLayout(test::ReaderFor(*intact), 0, VolumeKindFromText(kind), real));
        }
        // The boot sector and, on FAT32, its backup six sectors in.
        std::fill(bytes.begin(), bytes.begin() + 512, 0);
        std::fill(bytes.begin() + 6 * 512, bytes.begin() + 7 * 512, 0);
        const auto damaged = test::CraftedImage(bytes);
        FatHarness run(test::ReaderFor(*damaged));
        SearchWholeImage(run, bytes.size() / 512, VolumeKindFromText(kind));

        EXPECT_EQ(run.partitionLayout.sectorsPerCluster, real.sectorsPerCluster);
        EXPECT_EQ(run.partitionLayout.cluster0Start, real.cluster0Start);
        EXPECT_EQ(run.partitionLayout.firstFat, real.firstFat);
        EXPECT_TRUE(run.prompter.messages.empty());
        PassDeletionDown(run.tree);
        EXPECT_EQ(run.folders(), WithCatchAll(test::ManifestFolders(image)));
    }
}

TEST(StandardSearchOnFixtures, AfterAQuickReformatTheOldFoldersComeBackWithTheirSubtrees) {
    const auto copy = test::FixtureImage("fat32-reformatted");
    FatHarness run(test::ReaderFor(*copy));
    SearchWholeImage(run, copy->sizeInBytes() / 512, VolumeKind::Fat32);

    // The old root died with the format: its folders stay under "Root",
    // nameless; everything below them has its name again.
    const std::map<std::string, bool> old =
        test::ManifestFolders("fat32-reformatted", "", "old-dir");
    ASSERT_FALSE(old.empty());
    std::set<std::string> oldTops, oldTails, foundTops, foundTails;
    for (const auto& [path, deleted] : old) {
        const auto slash = path.find('/');
        if (slash == std::string::npos)
            oldTops.insert(path);
        else
            oldTails.insert(path.substr(slash + 1));
    }
    for (const auto& [path, deleted] : run.folders()) {
        if (path == "Miscellaneous_001") continue;
        const auto slash = path.find('/');
        if (slash == std::string::npos)
            foundTops.insert(path);
        else
            foundTails.insert(path.substr(slash + 1));
    }
    EXPECT_EQ(foundTops.size(), oldTops.size());
    for (const std::string& top : foundTops) EXPECT_EQ(top.rfind("Dir", 0), 0u) << top;
    EXPECT_EQ(foundTails, oldTails);
}

TEST(StandardSearchOnFixtures, AStopBeforeTheScanStillLeavesAConsistentTree) {
    const auto copy = test::FixtureImage("fat32");
    FatHarness run(test::ReaderFor(*copy));
    std::stop_source stop;
    stop.request_stop();
    ASSERT_TRUE(ReadFatBootLayout(run.disk, 0, VolumeKind::Fat32, run.partitionLayout));
    FatSearchScope scope =
        run.scope(0, copy->sizeInBytes() / 512, VolumeKind::Fat32, true, stop.get_token());
    RunFatStandardSearch(scope);
    EXPECT_EQ(run.folders(), (std::map<std::string, bool>{}));
    EXPECT_EQ(run.catalogue.FolderTable.count(), 0);
}

}  // namespace
}  // namespace datrevo
