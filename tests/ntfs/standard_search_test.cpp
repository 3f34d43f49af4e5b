// The Standard search on volumes made by mkntfs and filled through ntfs-3g,
// compared with what the image script recorded in the manifest.
#include <gtest/gtest.h>

#include <algorithm>

#include "ntfs/mft_records.h"
#include "ntfs_results.h"
#include "ntfs_session.h"
#include "support/image_fixture.h"

namespace datrevo {
namespace {

using test::FoundByPath;
using test::ManifestOf;
using test::NtfsSession;

TEST(NtfsStandardSearch, ListsEveryFolderAndFileTheToolsCreated) {
    auto image = test::FixtureImage("ntfs");
    NtfsSession session(image->path());
    ASSERT_TRUE(session.validate());
    const NtfsStandardResult result = session.standard();
    ASSERT_TRUE(result.mftFound);
    const auto found = FoundByPath(session.tree, session.catalogue.EntryTable);

    const auto manifest = ManifestOf("ntfs");
    ASSERT_GT(manifest.size(), 3000u);
    for (const auto& row : manifest) {
        if (row.kind != "dir" && row.kind != "file") continue;
        const auto at = found.find(row.path);
        if (row.deleted && at == found.end()) continue;  // its record may have been reused
        ASSERT_NE(at, found.end()) << row.path;
        EXPECT_EQ(at->second.folder, row.kind == "dir") << row.path;
        if (row.kind == "file") {
            EXPECT_EQ(at->second.size, row.size) << row.path;
        }
        EXPECT_EQ(at->second.deleted, row.deleted) << row.path;
    }
    // Deletions made last keep their records.
    for (const char* path : {"Old Stuff", "Old Stuff/Sub", "Old Stuff/Sub/deep.txt", "Photos.jpg",
                             "Documents/old draft.txt"}) {
        ASSERT_TRUE(found.count(path)) << path;
        EXPECT_TRUE(found.at(path).deleted) << path;
    }
}

TEST(NtfsStandardSearch, SystemFilesAreOrdinaryRecordsWithTheirNumbers) {
    auto image = test::FixtureImage("ntfs");
    NtfsSession session(image->path());
    ASSERT_TRUE(session.validate());
    session.standard();
    const auto found = FoundByPath(session.tree, session.catalogue.EntryTable);
    const std::vector<std::pair<std::string, std::uint32_t>> system{
        {"$MFT", 0},     {"$MFTMirr", 1}, {"$LogFile", 2}, {"$Volume", 3},
        {"$AttrDef", 4}, {"$Bitmap", 6},  {"$Boot", 7},    {"$UpCase", 10}};
    for (const auto& [name, number] : system) {
        ASSERT_TRUE(found.count(name)) << name;
        EXPECT_EQ(found.at(name).self, number) << name;
    }
    ASSERT_TRUE(found.count("$Extend"));
    EXPECT_TRUE(found.at("$Extend").folder);
}

TEST(NtfsStandardSearch, AManyFileFolderAndAnAttributeListFile) {
    auto image = test::FixtureImage("ntfs");
    NtfsSession session(image->path());
    ASSERT_TRUE(session.validate());
    session.standard();
    const auto found = FoundByPath(session.tree, session.catalogue.EntryTable);
    const auto manifest = ManifestOf("ntfs");
    const auto inMany = std::count_if(manifest.begin(), manifest.end(), [](const auto& row) {
        return row.path.rfind("Many/", 0) == 0;
    });
    const auto foundInMany = std::count_if(found.begin(), found.end(), [](const auto& entry) {
        return entry.first.rfind("Many/", 0) == 0;
    });
    EXPECT_EQ(foundInMany, inMany);
    EXPECT_GE(foundInMany, 3000);

    // "many runs.bin" keeps its data in an extension record named by its
    // attribute list: the base record alone has no data attribute.
    const auto manyRuns = found.find("Comb/many runs.bin");
    ASSERT_NE(manyRuns, found.end());
    RecordBuffer base{};
    ASSERT_TRUE(ReadRecordAt(session.reader, manyRuns->second.sector, base));
    const auto attributes = ListAttributes(ByteView(base.data(), base.size()));
    EXPECT_TRUE(std::any_of(attributes.begin(), attributes.end(),
                            [](const AttributeView& a) { return a.type == kAttrAttributeList; }));
    const auto manifestRow = std::find_if(manifest.begin(), manifest.end(), [](const auto& row) {
        return row.path == "Comb/many runs.bin";
    });
    ASSERT_NE(manifestRow, manifest.end());
    EXPECT_EQ(manyRuns->second.size, manifestRow->size);
}

TEST(NtfsStandardSearch, RowsCountersAndTexts) {
    auto image = test::FixtureImage("ntfs-disk");
    NtfsSession session(image->path(), 2048, 2048 + 8192);
    ASSERT_TRUE(session.validate());
    EXPECT_EQ(session.layout.cluster0Start, 2048u);
    session.standard();
    const auto found = FoundByPath(session.tree, session.catalogue.EntryTable);
    for (const auto& row : ManifestOf("ntfs-disk")) {
        if (row.kind != "dir" && row.kind != "file") continue;
        const std::string path = row.path.substr(3);  // "p1/"
        ASSERT_TRUE(found.count(path)) << path;
        if (row.kind == "file") {
            EXPECT_EQ(found.at(path).size, row.size);
        }
    }
    // Every folder and file reaches the root: no catch-all folder is listed.
    EXPECT_LT(session.tree.nodes().firstBySelf(kCatchAllNumber), 0);
    EXPECT_EQ(session.catalogue.FolderTable.count(), 0);  // the tree holds the folders now
    EXPECT_EQ(session.observer.lastCaption, "Completed ");
    EXPECT_GT(session.observer.foldersCounter, 16u);
    const auto& statuses = session.observer.statuses;
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), kStoringStatus), statuses.end());
    EXPECT_NE(std::find_if(statuses.begin(), statuses.end(),
                           [](const std::string& s) { return s.rfind("Sectors  ", 0) == 0; }),
              statuses.end());
}

TEST(NtfsStandardSearch, AnUnreadableMftLeavesTheRootAlone) {
    auto image = test::FixtureImage("ntfs-disk");
    NtfsSession session(image->path(), 2048, 2048 + 8192);
    ASSERT_TRUE(session.validate());
    session.values.mftStart = 100;  // not an MFT
    const NtfsStandardResult result = session.standard();
    EXPECT_FALSE(result.mftFound);
    EXPECT_EQ(result.fileRecords, 0);
    EXPECT_EQ(session.tree.nodes().size(), 0u) << "no empty catch-all folder";
    EXPECT_NE(session.tree.root(), kNoItem);
}

TEST(NtfsStandardSearch, AStopLeavesCompleteRows) {
    auto image = test::FixtureImage("ntfs");
    NtfsSession session(image->path());
    ASSERT_TRUE(session.validate());
    std::stop_source stop;
    stop.request_stop();
    NtfsSearchScope scope = session.scope();
    scope.stop = stop.get_token();
    const NtfsStandardResult result = RunNtfsStandardSearch(scope);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.fileRecords, 0);
    EXPECT_EQ(session.tree.nodes().size(), 0u);
    EXPECT_NE(session.tree.root(), kNoItem);
}

}  // namespace
}  // namespace datrevo
