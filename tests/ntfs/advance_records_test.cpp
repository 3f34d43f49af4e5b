// The Advance search joins what the MFT spreads over several records: a
// file whose attributes fill extension records is listed once, whole, and
// saved bit-exact; a file linked under several names is listed under each;
// folders keep their places when the first records of the MFT are gone.
#include <gtest/gtest.h>

#include <algorithm>

#include "../save/save_support.h"
#include "ntfs/file_record.h"
#include "ntfs_results.h"
#include "ntfs_session.h"
#include "record_builder.h"
#include "save/folder_contents.h"
#include "save/save_plan.h"
#include "support/disk_builder.h"
#include "support/image_fixture.h"
#include "support/manifest.h"

namespace datrevo {
namespace {

using test::FoundByPath;
using test::ManifestRow;
using test::NtfsSession;

constexpr const char* kManyRuns = "Comb/many runs.bin";

std::map<std::string, std::string> SaveEverything(NtfsSession& session,
                                                  const std::filesystem::path& destination) {
    NtfsFolderContents contents(session.tree, session.catalogue.EntryTable);
    SaveSelection all;
    all.everything = true;
    SavePlan plan = PlanSave(session.tree, contents, all);
    test::ScriptedSaveQuestions questions;
    test::RecordingSaveProgress progress;
    SaveTask task(std::move(plan), session.content(), destination.string(), questions, progress);
    const SaveSummary summary = task.run();
    EXPECT_EQ(summary.ending, SaveEnding::Finished);
    EXPECT_EQ(summary.filesFailed, 0u);
    return test::Md5OfFiles(destination);
}

// Where the MFT of the "ntfs" fixture begins (its boot sector: cluster 4 of 8 sectors).
constexpr std::uint64_t kFixtureMftSector = 32;

TEST(NtfsAdvanceRecords, AFileWhoseAttributesFillExtensionRecordsIsListedWhole) {
    const auto image = test::FixtureImage("ntfs");
    NtfsSession session(image->path());
    ASSERT_GE(session.advance().fileSystems, 1);
    ASSERT_TRUE(session.recover(1));
    const auto found = FoundByPath(session.tree, session.catalogue.EntryTable);
    ASSERT_TRUE(found.count(kManyRuns));
    EXPECT_EQ(found.at(kManyRuns).size, 1228800u);
    EXPECT_FALSE(found.at(kManyRuns).deleted);

    // Its base record is not listed a second time without a name, nor its
    // extension records on their own.
    const CatalogueTable& entries = session.catalogue.EntryTable;
    for (int row = 0; row < entries.count(); ++row) {
        if (static_cast<std::uint64_t>(entries.cellSigned64(row, folder_col::Sector)) !=
            found.at(kManyRuns).sector)
            continue;
        EXPECT_EQ(entries.cell(row, folder_col::Name), "many runs.bin");
    }
    for (int row = 0; row < entries.count(); ++row)
        EXPECT_FALSE(entries.cell(row, folder_col::Name).empty() &&
                     entries.cellSigned64(row, folder_col::Size) != 0)
            << "nameless row " << row << " of " << entries.cell(row, folder_col::Size) << " bytes";
}

TEST(NtfsAdvanceRecords, AFileWhoseAttributesFillExtensionRecordsIsSavedBitExact) {
    const auto image = test::FixtureImage("ntfs");
    NtfsSession session(image->path());
    ASSERT_GE(session.advance().fileSystems, 1);
    ASSERT_TRUE(session.recover(1));
    test::TempFolder out;
    const auto md5s = SaveEverything(session, out.path);
    std::size_t exact = 0;
    for (const ManifestRow& row : test::ManifestRows("ntfs", "file")) {
        if (row.deleted) continue;
        SCOPED_TRACE(row.path);
        ASSERT_EQ(md5s.count(row.path), 1u);
        EXPECT_EQ(md5s.at(row.path), row.md5);
        exact += md5s.at(row.path) == row.md5;
    }
    EXPECT_GE(exact, 3000u);
    ASSERT_EQ(md5s.count(kManyRuns), 1u);
    EXPECT_EQ(md5s.at(kManyRuns), "6febad0fc24488ac0fd7a916ed9f9db9");
}

// The files of the "ntfs-links" fixture, listed by `session` under every
// name of their record and saved under each with the record's data.
void ExpectEveryLinkListedAndSaved(NtfsSession& session) {
    const auto found = FoundByPath(session.tree, session.catalogue.EntryTable);
    const auto files = test::ManifestRows("ntfs-links", "file");
    ASSERT_EQ(files.size(), 4u);
    for (const ManifestRow& row : files) {
        SCOPED_TRACE(row.path);
        ASSERT_TRUE(found.count(row.path));
        EXPECT_EQ(found.at(row.path).size, row.size);
    }
    // The three names of one record.
    EXPECT_EQ(found.at("Shared/report link.txt").sector, found.at("Originals/report.txt").sector);
    EXPECT_EQ(found.at("Originals/report copy.txt").sector,
              found.at("Originals/report.txt").sector);
    EXPECT_EQ(found.at("Shared/report link.txt").self, found.at("Originals/report.txt").self);

    test::TempFolder out;
    const auto md5s = SaveEverything(session, out.path);
    for (const ManifestRow& row : files) {
        SCOPED_TRACE(row.path);
        ASSERT_EQ(md5s.count(row.path), 1u);
        EXPECT_EQ(md5s.at(row.path), row.md5);
    }
}

TEST(NtfsAdvanceRecords, AFileLinkedUnderSeveralNamesIsListedAndSavedUnderEach) {
    const auto image = test::FixtureImage("ntfs-links");
    NtfsSession session(image->path());
    ASSERT_GE(session.advance().fileSystems, 1);
    ASSERT_TRUE(session.recover(1));
    ExpectEveryLinkListedAndSaved(session);
}

// The Standard search walks the MFT and finds the same three names.
TEST(NtfsAdvanceRecords, TheStandardSearchListsAndSavesEveryNameOfALinkedFile) {
    const auto image = test::FixtureImage("ntfs-links");
    NtfsSession session(image->path());
    ASSERT_TRUE(session.validate());
    ASSERT_GT(session.standard().fileRecords, 0);
    ExpectEveryLinkListedAndSaved(session);
}

// Crafted: an extension record holding a file's name and the first piece of
// its data; its base, holding neither, in the same MFT; and a record with
// the base's number in another MFT further on, which must not take it.
TEST(NtfsAdvanceRecords, AnExtensionJoinsTheBaseOfItsOwnMft) {
    test::DiskBuilder disk(400);
    auto put = [&disk](test::RecordBuilder& record, std::uint64_t sector) {
        record.seal();
        std::copy(record.bytes().begin(), record.bytes().end(), disk.sector(sector));
    };
    // Records 40 (base) and 41 (extension) at sectors 100 and 102.
    test::RecordBuilder base;
    base.flags(1).attributeList({41});
    base.put32(44, 40);
    put(base, 100);
    test::RecordBuilder extension;
    extension.flags(1)
        .fileName(u"split.bin", kNameSpaceWin32)
        .nonResidentData(5000, {0x11, 2, 0x30});
    extension.put32(44, 41);
    extension.put64(32, 40 | (std::uint64_t{1} << 48));
    put(extension, 102);
    // Another volume's record 40, far away, with a name of its own.
    test::RecordBuilder other;
    other.flags(1).fileName(u"other.txt", kNameSpaceWin32).residentData(10);
    other.put32(44, 40);
    put(other, 300);
    auto image = test::CraftedImage(disk.bytes());
    NtfsSession session(image->path(), 0, 400);
    session.advance();

    const MftRecordList& records = session.catalogue.MftRecordTable;
    std::map<std::string, int> byName;
    for (int row = 0; row < records.count(); ++row)
        byName[records.cell(row, mftrec_col::Name)] = row;
    ASSERT_TRUE(byName.count("split.bin"));
    ASSERT_TRUE(byName.count("other.txt"));
    const int split = byName.at("split.bin");
    EXPECT_EQ(records.cell(split, mftrec_col::Sector), "100");
    EXPECT_EQ(records.cell(split, mftrec_col::Size), "5000");
    EXPECT_EQ(records.cell(split, mftrec_col::RecordMft), "40");
    EXPECT_EQ(records.cell(split, mftrec_col::BaseMft), "0");
    const int otherRow = byName.at("other.txt");
    EXPECT_EQ(records.cell(otherRow, mftrec_col::Sector), "300");
    EXPECT_EQ(records.cell(otherRow, mftrec_col::Size), "10");
    // The extension stays for its place, with neither name nor size.
    int extensions = 0;
    for (int row = 0; row < records.count(); ++row) {
        if (records.cell(row, mftrec_col::BaseMft) != "40") continue;
        ++extensions;
        EXPECT_EQ(records.cell(row, mftrec_col::Sector), "102");
        EXPECT_EQ(records.cell(row, mftrec_col::Name), "");
        EXPECT_EQ(records.cell(row, mftrec_col::Size), "0");
    }
    EXPECT_EQ(extensions, 1);
}

// A crafted record with two names in two folders, and its DOS name, which
// is no link of its own.
TEST(NtfsAdvanceRecords, EveryNameOfARecordButItsDosNameIsALink) {
    test::RecordBuilder record;
    record.flags(1)
        .fileName(u"first name.txt", kNameSpaceWin32, 40)
        .fileName(u"FIRSTN~1.TXT", kNameSpaceDos, 40)
        .fileName(u"second name.txt", kNameSpacePosix, 41)
        .residentData(10);
    record.seal();
    Catalogue catalogue;
    EXPECT_EQ(AddFoundRecord(catalogue.MftRecordTable, 0, 500,
                             ByteView(record.bytes().data(), record.bytes().size())),
              2);
    const MftRecordList& rows = catalogue.MftRecordTable;
    ASSERT_EQ(rows.count(), 2);
    EXPECT_EQ(rows.cell(0, mftrec_col::Name), "first name.txt");
    EXPECT_EQ(rows.cell(0, mftrec_col::ParentMft), "40");
    EXPECT_EQ(rows.cell(1, mftrec_col::Name), "second name.txt");
    EXPECT_EQ(rows.cell(1, mftrec_col::ParentMft), "41");
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(rows.cell(row, mftrec_col::Sector), "500");
        EXPECT_EQ(rows.cell(row, mftrec_col::Size), "10");
    }
}

// The "ntfs-disk" fixture: its NTFS partition at 2048, whose MFT begins at
// cluster 4 of 8 sectors; "Projects" is record 64, "Projects/Beta" 65.
constexpr std::uint64_t kPartitionStart = 2048;
constexpr std::uint64_t kPartitionMft = kPartitionStart + 32;

TEST(NtfsAdvanceRecords, FoldersKeepTheirPlacesWhenTheFirstRecordsAreGone) {
    auto bytes = test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/ntfs-disk.img.gz");
    // Records 0-15, the root directory's among them.
    std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(kPartitionMft * 512), 16 * 1024, 0);
    auto image = test::CraftedImage(bytes);
    NtfsSession session(image->path());
    const NtfsAnalysis analysis = session.advance();
    ASSERT_EQ(analysis.fileSystems, 1);
    // No folder of the volume has an index allocation to claim; its boot
    // record still stands, and its MFT holds the records found.
    EXPECT_FALSE(analysis.wholeRange);
    EXPECT_EQ(session.catalogue.VolumeTable.cell(0, boot_col::Cluster0Start), "2048");
    ASSERT_TRUE(session.recover(1));
    const auto found = FoundByPath(session.tree, session.catalogue.EntryTable);

    // The folder of the lowest number holds its child folder.
    ASSERT_TRUE(found.count("Projects"));
    EXPECT_EQ(found.at("Projects").self, 64u);
    ASSERT_TRUE(found.count("Projects/Beta"));
    EXPECT_EQ(found.at("Projects/Beta").self, 65u);
    EXPECT_FALSE(found.count("Miscellaneous_001/Beta"));
    for (const ManifestRow& row : test::ManifestRows("ntfs-disk")) {
        if (row.kind != "dir" && row.kind != "file") continue;
        SCOPED_TRACE(row.path);
        const std::string path = row.path.substr(3);  // "p1/"
        ASSERT_TRUE(found.count(path));
        EXPECT_EQ(found.at(path).folder, row.kind == "dir");
    }
    // Read from the volume's own clusters.
    test::TempFolder out;
    const auto md5s = SaveEverything(session, out.path);
    for (const ManifestRow& row : test::ManifestRows("ntfs-disk", "file")) {
        SCOPED_TRACE(row.path);
        const std::string path = row.path.substr(3);
        ASSERT_EQ(md5s.count(path), 1u);
        EXPECT_EQ(md5s.at(path), row.md5);
    }
}

// With the whole "ntfs" fixture: every live folder and file stays where its
// parent reference puts it.
TEST(NtfsAdvanceRecords, EveryObjectKeepsItsPlaceWhenTheFirstRecordsAreGone) {
    auto bytes = test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/ntfs.img.gz");
    std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(kFixtureMftSector * 512), 16 * 1024, 0);
    auto image = test::CraftedImage(bytes);
    NtfsSession session(image->path());
    ASSERT_GE(session.advance().fileSystems, 1);
    ASSERT_TRUE(session.recover(1));
    const auto found = FoundByPath(session.tree, session.catalogue.EntryTable);
    ASSERT_TRUE(found.count("Scratch"));
    EXPECT_EQ(found.at("Scratch").self, 64u);
    EXPECT_TRUE(found.count("Scratch/slot1.tmp"));
    for (const ManifestRow& row : test::ManifestRows("ntfs")) {
        if ((row.kind != "dir" && row.kind != "file") || row.deleted) continue;
        SCOPED_TRACE(row.path);
        ASSERT_TRUE(found.count(row.path));
        EXPECT_EQ(found.at(row.path).folder, row.kind == "dir");
        if (row.kind == "file") {
            EXPECT_EQ(found.at(row.path).size, row.size);
        }
    }
}

}  // namespace
}  // namespace datrevo
