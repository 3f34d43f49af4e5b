#include <gtest/gtest.h>

#include "fat/fat_standard_search.h"
#include "fat/fat_volume_layout.h"
#include "fat/folder_naming.h"
#include "fat_test_support.h"

namespace datrevo {
namespace {

using test::FatHarness;

// A Standard search of a volume that starts at sector 0 (no partition
// table), with every folder opened once.
std::map<std::string, bool> SearchVolume(const test::ImageCopy& image, VolumeKind kind,
                                         FatHarness& run) {
    const bool valid = ReadFatBootLayout(run.disk, 0, kind, run.partitionLayout);
    FatSearchScope scope = run.scope(0, image.sizeInBytes() / 512, kind, valid);
    RunFatStandardSearch(scope);
    NameAllFatFolders(run.tree, run.disk, run.activeLayout);
    PassDeletionDown(run.tree);
    return run.folders();
}

std::unique_ptr<test::ImageCopy> Fatcat(const std::string& name) {
    return test::PublicGzImage("fatcat/" + name + ".img.gz");
}

TEST(PublicFatImages, UndeleteTestShowsBothDeletedFoldersOneInsideTheOther) {
    const auto image = test::PublicZipImage("dftt/6-undel-fat.zip", "6-undel-fat/6-fat-undel.dd");
    if (!image) GTEST_SKIP() << "public images absent";
    FatHarness run(test::ReaderFor(*image));
    const std::map<std::string, bool> found = SearchVolume(*image, VolumeKind::Fat16, run);
    // Without long names the first character of a deleted name is gone.
    ASSERT_TRUE(found.count("_ir1")) << ::testing::PrintToString(found);
    EXPECT_TRUE(found.at("_ir1"));
    ASSERT_TRUE(found.count("_ir1/dir2"));
    EXPECT_TRUE(found.at("_ir1/dir2"));
}

TEST(PublicFatImages, LabelEntriesThatOwnDataDoNotUpsetTheWalk) {
    const auto image = test::PublicZipImage("dftt/9-fat-label.zip", "9-fat-label/9-fat-label.dd");
    if (!image) GTEST_SKIP() << "public images absent";
    FatHarness run(test::ReaderFor(*image));
    const std::map<std::string, bool> found = SearchVolume(*image, VolumeKind::Fat16, run);
    // "New Folder" was deleted and its cluster given to dir1.
    EXPECT_EQ(found, (std::map<std::string, bool>{{"dir1", false}}));
}

TEST(PublicFatImages, DocumentedTreesOfTheSmallFat32Images) {
    const std::map<std::string, std::map<std::string, bool>> expected = {
        {"hello-world", {{"files", false}}},
        {"deleted", {{"deleted", true}}},
        {"infinite-file", {}},
        {"two-file-same-cluster", {}},
    };
    for (const auto& [name, folders] : expected) {
        SCOPED_TRACE(name);
        const auto image = Fatcat(name);
        if (!image) GTEST_SKIP() << "public images absent";
        FatHarness run(test::ReaderFor(*image));
        EXPECT_EQ(SearchVolume(*image, VolumeKind::Fat32, run), folders);
    }
}

TEST(PublicFatImages, ADirectoryLoopEnds) {
    const auto image = Fatcat("directory-loop");
    if (!image) GTEST_SKIP() << "public images absent";
    FatHarness run(test::ReaderFor(*image));
    const std::map<std::string, bool> found = SearchVolume(*image, VolumeKind::Fat32, run);
    EXPECT_TRUE(found.count("A/B/C"));
    EXPECT_LE(found.size(), 6u);
}

TEST(PublicFatImages, ABootRecordClaimingATerabyteEndsAtTheImageEnd) {
    const auto image = Fatcat("fake-big-disk-1T");
    if (!image) GTEST_SKIP() << "public images absent";
    FatHarness run(test::ReaderFor(*image));
    const std::map<std::string, bool> found = SearchVolume(*image, VolumeKind::Fat32, run);
    EXPECT_TRUE(found.empty()) << "no folder; an empty catch-all folder is not listed";
    EXPECT_NE(run.tree.root(), kNoItem);
}

}  // namespace
}  // namespace datrevo
