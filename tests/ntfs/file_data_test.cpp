// Locating a file's data for saving: resident, fragmented, sparse, and spread
// over extension records; the bytes read back match the manifest's sizes.
#include <gtest/gtest.h>

#include "ntfs/file_data.h"
#include "ntfs_results.h"
#include "ntfs_session.h"
#include "support/image_fixture.h"

namespace datrevo {
namespace {

TEST(NtfsFileData, ResidentFragmentedSparseAndListedData) {
    auto image = test::FixtureImage("ntfs");
    test::NtfsSession session(image->path());
    ASSERT_TRUE(session.validate());
    session.standard();
    const auto found = test::FoundByPath(session.tree, session.catalogue.EntryTable);
    const auto locate = [&](const std::string& path) {
        return LocateNtfsFileData(session.reader, found.at(path).sector, 0, 8, session.runs);
    };
    const auto resident = locate("Documents/small resident.txt");
    ASSERT_TRUE(resident);
    EXPECT_TRUE(resident->resident);
    EXPECT_EQ(resident->content.size(), 300u);
    EXPECT_EQ(std::string(resident->content.begin(), resident->content.begin() + 4), "ntfs");

    const auto fragmented = locate("Frag/fragmented.bin");
    ASSERT_TRUE(fragmented);
    EXPECT_GT(fragmented->runs.size(), 1u);
    EXPECT_TRUE(fragmented->complete);

    const auto sparse = locate("Sparse/holes.bin");
    ASSERT_TRUE(sparse);
    EXPECT_EQ(sparse->size, 2097152u);
    EXPECT_TRUE(std::any_of(sparse->runs.begin(), sparse->runs.end(),
                            [](const MftRun& run) { return run.startSector == 0; }));

    const auto listed = locate("Comb/many runs.bin");
    ASSERT_TRUE(listed);
    EXPECT_EQ(listed->size, found.at("Comb/many runs.bin").size);
    EXPECT_TRUE(listed->complete);
    EXPECT_GE(TotalSectors(listed->runs) * 512, listed->size);
}

}  // namespace
}  // namespace datrevo
