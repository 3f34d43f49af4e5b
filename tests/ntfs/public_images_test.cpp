// Public NTFS images with published answers (skipped when absent).
#include <gtest/gtest.h>

#include "ntfs_results.h"
#include "ntfs_session.h"
#include "support/image_fixture.h"

namespace datrevo {
namespace {

using test::FoundByPath;
using test::NtfsSession;

TEST(NtfsPublicImages, UndeleteImageShowsDeletedFoldersAndFiles) {
    auto image = test::PublicZipImage("dftt/7-undel-ntfs.zip", "7-undel-ntfs/7-ntfs-undel.dd");
    if (!image) GTEST_SKIP() << "public images absent";
    NtfsSession session(image->path());
    ASSERT_TRUE(session.validate());
    session.standard();
    const auto found = FoundByPath(session.tree, session.catalogue.EntryTable);
    for (const char* folder : {"dir1", "dir1/dir2"}) {
        ASSERT_TRUE(found.count(folder)) << folder;
        EXPECT_TRUE(found.at(folder).folder);
        EXPECT_TRUE(found.at(folder).deleted);
    }
    const std::vector<std::pair<std::string, std::uint64_t>> files{
        {"res1.dat", 101},
        {"sing1.dat", 780},
        {"mult1.dat", 3801},
        {"frag1.dat", 1584},
        {"frag2.dat", 3873},
        {"dir1/mult2.dat", 1715},
        {"dir1/dir2/frag3.dat", 2027},
        {"Miscellaneous_001/sing2.dat", 1005}};
    for (const auto& [path, size] : files) {
        ASSERT_TRUE(found.count(path)) << path;
        EXPECT_EQ(found.at(path).size, size) << path;
        EXPECT_TRUE(found.at(path).deleted) << path;
    }
}

TEST(NtfsPublicImages, ReferenceVolumeListsItsFilesWithSizes) {
    auto image = test::PublicGzImage("recuperabit/reference_ntfs.img.gz");
    if (!image) GTEST_SKIP() << "public images absent";
    NtfsSession session(image->path());
    ASSERT_TRUE(session.validate());
    session.standard();
    const auto found = FoundByPath(session.tree, session.catalogue.EntryTable);
    const std::vector<std::pair<std::string, std::uint64_t>> files{
        {"deep/nested/directory/deep_file.txt", 30},
        {"empty_file.empty", 0},
        {"large_file.dat", 51200},
        {"medium_binary.bin", 4096},
        {"subdirectory/subdir_file2.bin", 1024},
        {"unicode_name_\xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB.txt", 33}};
    for (const auto& [path, size] : files) {
        ASSERT_TRUE(found.count(path)) << path;
        EXPECT_EQ(found.at(path).size, size) << path;
        EXPECT_FALSE(found.at(path).deleted) << path;
    }
}

}  // namespace
}  // namespace datrevo
