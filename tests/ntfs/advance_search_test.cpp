// The Advance search: a volume whose boot sector and backup are gone is
// rebuilt from its records and index blocks; two volumes in one range are
// told apart; damaged structures are skipped.
#include <gtest/gtest.h>

#include <algorithm>

#include "ntfs/file_record.h"
#include "ntfs_results.h"
#include "ntfs_session.h"
#include "support/disk_builder.h"
#include "record_builder.h"
#include "support/image_fixture.h"

namespace datrevo {
namespace {

using test::FoundByPath;
using test::ManifestOf;
using test::NtfsSession;

std::vector<std::uint8_t> WithoutBootSectors(const std::string& fixture, std::uint64_t first,
                                             std::uint64_t last) {
    auto bytes =
        test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/" + fixture + ".img.gz");
    std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(first * 512), 512, 0);
    std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(last * 512), 512, 0);
    return bytes;
}

int VolumeStartingAt(const CatalogueTable& volumes, std::uint64_t start) {
    for (int row = 0; row < volumes.count(); ++row)
        if (volumes.cellUnsigned(row, boot_col::Cluster0Start) == start) return row + 1;
    return 0;
}

void ExpectLiveObjectsFound(const std::map<std::string, test::FoundObject>& found,
                            const std::string& image, const std::string& prefix = "") {
    for (const auto& row : ManifestOf(image)) {
        if ((row.kind != "dir" && row.kind != "file") || row.deleted) continue;
        const std::string path = row.path.substr(prefix.size());
        const auto at = found.find(path);
        EXPECT_NE(at, found.end()) << path;
        if (at == found.end()) continue;
        EXPECT_EQ(at->second.folder, row.kind == "dir") << path;
        if (row.kind == "file") {
            EXPECT_EQ(at->second.size, row.size) << path;
        }
    }
}

std::vector<std::vector<std::string>> Rows(const CatalogueTable& table) {
    std::vector<std::vector<std::string>> rows;
    for (int row = 0; row < table.count(); ++row) {
        rows.emplace_back();
        for (int column = 0; column < table.columnCount(); ++column)
            rows.back().push_back(table.cell(row, column));
    }
    return rows;
}

// The analysis looks up where a folder's index lands among the INDX sectors
// the scan met; read from the disk instead, it must come to the same file
// systems and folders (with both boot sectors gone, every volume is found
// from its folders' index blocks).
TEST(NtfsAdvanceSearch, TheScannedIndexSectorsAnswerAsTheDiskDoes) {
    for (const auto& [fixture, last] :
         {std::pair<std::string, std::uint64_t>{"ntfs", 49151}, {"ntfs-links", 0}}) {
        SCOPED_TRACE(fixture);
        auto image = test::CraftedImage(WithoutBootSectors(fixture, 0, last));
        NtfsSession fromScan(image->path());
        const NtfsAnalysis withScan = fromScan.advance();
        NtfsSession fromDisk(image->path());
        NtfsSearchScope scope = fromDisk.scope();
        ScanForNtfsStructures(scope);
        const NtfsAnalysis withDisk = AssignMftNumbers(scope);
        EXPECT_EQ(withScan.fileSystems, withDisk.fileSystems);
        EXPECT_GE(withScan.fileSystems, 1);
        EXPECT_EQ(Rows(fromScan.catalogue.VolumeTable), Rows(fromDisk.catalogue.VolumeTable));
        EXPECT_EQ(Rows(fromScan.catalogue.LostDirTable), Rows(fromDisk.catalogue.LostDirTable));
        EXPECT_EQ(Rows(fromScan.catalogue.MftRefTable), Rows(fromDisk.catalogue.MftRefTable));
    }
}

TEST(NtfsAdvanceSearch, RebuildsAVolumeWhoseBootSectorsAreGone) {
    auto image = test::CraftedImage(WithoutBootSectors("ntfs", 0, 49151));
    NtfsSession session(image->path());
    EXPECT_FALSE(session.validate());
    const NtfsAnalysis analysis = session.advance();
    ASSERT_GE(analysis.fileSystems, 1);
    EXPECT_FALSE(analysis.wholeRange);
    const int volume = VolumeStartingAt(session.catalogue.VolumeTable, 0);
    ASSERT_EQ(volume, 1);
    EXPECT_EQ(session.catalogue.VolumeTable.cell(0, boot_col::Spc), "8");
    EXPECT_EQ(session.catalogue.BootRecordTable.count(), 0);

    ASSERT_TRUE(session.recover(1));
    EXPECT_EQ(session.layout.cluster0Start, 0u);
    EXPECT_EQ(session.layout.sectorsPerCluster, 8u);
    const auto found = FoundByPath(session.tree, session.catalogue.EntryTable);
    ExpectLiveObjectsFound(found, "ntfs");
    ASSERT_TRUE(found.count("Old Stuff/Sub/deep.txt"));
    EXPECT_TRUE(found.at("Old Stuff").deleted);

    // Records without a name hold nothing to list unless they carry data:
    // the unused reserved records are left out; the base record of
    // "many runs.bin" takes the name its extension record holds.
    const CatalogueTable& entries = session.catalogue.EntryTable;
    int namelessWithData = 0;
    for (int row = 0; row < entries.count(); ++row) {
        if (!entries.cell(row, folder_col::Name).empty()) continue;
        EXPECT_NE(entries.cellSigned64(row, folder_col::Size), 0) << "row " << row;
        if (entries.cellSigned64(row, folder_col::Size) == 1228800) ++namelessWithData;
    }
    EXPECT_EQ(namelessWithData, 0);
}

TEST(NtfsAdvanceSearch, TellsTwoVolumesInOneRangeApart) {
    // The damaged volume, then a whole disk with an intact NTFS partition.
    auto bytes = WithoutBootSectors("ntfs", 0, 49151);
    const auto disk = test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/ntfs-disk.img.gz");
    bytes.insert(bytes.end(), disk.begin(), disk.end());
    auto image = test::CraftedImage(bytes);
    NtfsSession session(image->path());
    const NtfsAnalysis analysis = session.advance();
    ASSERT_EQ(analysis.fileSystems, 2);
    const CatalogueTable& volumes = session.catalogue.VolumeTable;
    // The one with a boot record comes first.
    const int second = VolumeStartingAt(volumes, 49152 + 2048);
    const int first = VolumeStartingAt(volumes, 0);
    EXPECT_EQ(second, 1);
    EXPECT_EQ(first, 2);
    EXPECT_GE(session.catalogue.BootRecordTable.count(), 1);

    ASSERT_TRUE(session.recover(static_cast<std::uint32_t>(second)));
    const auto partition = FoundByPath(session.tree, session.catalogue.EntryTable);
    ExpectLiveObjectsFound(partition, "ntfs-disk", "p1/");
    EXPECT_FALSE(partition.count("Documents"));
}

TEST(NtfsAdvanceSearch, ARangeWithRecordsButNoFileSystemIsTakenWhole) {
    test::DiskBuilder disk(64);
    // One folder record without an index allocation, nothing else.
    test::RecordBuilder folder;
    folder.flags(3).fileName(u"lonely", kNameSpaceWin32, 5);
    folder.put32(44, 40);
    folder.seal();
    std::copy(folder.bytes().begin(), folder.bytes().end(), disk.sector(10));
    auto image = test::CraftedImage(disk.bytes());
    NtfsSession session(image->path(), 4, 60);
    const NtfsAnalysis analysis = session.advance();
    EXPECT_TRUE(analysis.wholeRange);
    ASSERT_EQ(analysis.fileSystems, 1);
    EXPECT_EQ(session.catalogue.VolumeTable.cell(0, boot_col::Cluster0Start), "4");
    EXPECT_EQ(session.catalogue.VolumeTable.cell(0, boot_col::Spf), "60");
    EXPECT_EQ(session.catalogue.VolumeTable.cell(0, boot_col::Spc), "8");
    ASSERT_TRUE(session.recover(1));
    const auto found = FoundByPath(session.tree, session.catalogue.EntryTable);
    EXPECT_TRUE(found.count("lonely"));
}

TEST(NtfsAdvanceSearch, NothingFoundIdentifiesNothing) {
    test::DiskBuilder disk(64);
    auto image = test::CraftedImage(disk.bytes());
    NtfsSession session(image->path());
    const NtfsAnalysis analysis = session.advance();
    EXPECT_EQ(analysis.fileSystems, 0);
    EXPECT_FALSE(analysis.recordsFound);
    EXPECT_EQ(session.observer.guides.back(),
              "No File System could be identified. Click on 'Back' button to select another "
              "Partition.");
}

TEST(NtfsAdvanceSearch, DamagedStructuresAreSkippedCleanly) {
    test::DiskBuilder disk(300);
    // Update sequence array past the record's end.
    test::RecordBuilder usa;
    usa.fileName(u"usa", kNameSpaceWin32);
    usa.put16(4, 1020);
    usa.put16(6, 200);
    std::copy(usa.bytes().begin(), usa.bytes().end(), disk.sector(10));
    // Attribute lengths of 0 and past the record.
    test::RecordBuilder zero;
    zero.fileName(u"zero", kNameSpaceWin32);
    zero.put32(56 + 4, 0);
    std::copy(zero.bytes().begin(), zero.bytes().end(), disk.sector(20));
    test::RecordBuilder past;
    past.flags(3).fileName(u"past", kNameSpaceWin32);
    past.put32(56 + 4, 0x7FFFFFF0);
    std::copy(past.bytes().begin(), past.bytes().end(), disk.sector(30));
    // A folder whose index run has absurd fields.
    test::RecordBuilder absurd;
    absurd.flags(3).fileName(u"absurd", kNameSpaceWin32).indexAllocation(0xFFFFFFFF);
    absurd.put32(44, 70);
    absurd.seal();
    std::copy(absurd.bytes().begin(), absurd.bytes().end(), disk.sector(40));
    // Index blocks claiming 64 KiB at the disk's end, and more than 64 KiB.
    disk.putText(298, 0, "INDX");
    disk.put32(298, 32, 65536 - 24);
    disk.put32(298, 24, 16);
    disk.put32(298, 24 + 16 + 16, 70);
    disk.putText(200, 0, "INDX");
    disk.put32(200, 32, 70000);
    auto image = test::CraftedImage(disk.bytes());
    NtfsSession session(image->path());
    const NtfsAnalysis analysis = session.advance();
    EXPECT_EQ(session.catalogue.MftRecordTable.count(), 4);
    EXPECT_EQ(session.catalogue.MftRefTable.count(), 1);  // only the 64 KiB block is taken
    EXPECT_GE(analysis.fileSystems, 1);
    EXPECT_TRUE(session.recover(1));
}

}  // namespace
}  // namespace datrevo
