#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "log/log_decoder.h"
#include "log/log_encoder.h"
#include "log/recovery_log.h"
#include "log_samples.h"
#include "support/image_fixture.h"
#include "support/recording_observer.h"

namespace datrevo {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

struct Session {
    Session() : context(observer, prompter) {
        context.currentDisk.modelText = "Apple iPod";
        context.search.selectedDisk = 2;
    }
    test::RecordingObserver observer;
    test::ScriptedPrompter prompter;
    RecoveryContext context;
};

class RecoveryLogFiles : public ::testing::Test {
protected:
    void SetUp() override { dir = test::MakeTempDir("recovery-log"); }
    void TearDown() override { fs::remove_all(dir); }

    // A finished FAT32 result: the catch-all folder, two root folders, a
    // deleted subfolder and a folder adopted by the catch-all folder.
    static void FillFatResult(RecoveryContext& context) {
        context.search.mode = SearchMode::Advance;
        context.search.partitionIndex = 1;
        context.search.partitionKind = VolumeKind::Fat32;
        context.search.searchModeText = "Advance Search";
        context.search.searchStart = 63;
        context.search.searchEnd = 2000000;
        context.partitionLayout = {1000, 8, 0, 2, 32, 2032, 32, 1032, VolumeKind::Fat32};
        context.activeLayout = context.partitionLayout;
        FolderTree& tree = context.folders;
        const ItemId root = tree.createStage(kStageResults, 2);
        const ItemId misc =
            tree.InsertFolderItem(root, "Miscellaneous_001", 0x0FFFFFFF, 0, 0, 0, false);
        tree.InsertFolderItem(root, "Documents", 3, 0, 0x3A65, 0x71C3, false);
        const ItemId photos = tree.InsertFolderItem(root, "Photos", 4, 0, 0x3A66, 0, false);
        tree.InsertFolderItem(misc, "DIR_1", 9, 0x0FFFFFFF, 0x3000, 0x1000, false);
        tree.InsertFolderItem(photos, "2009 \xC3\xA9t\xC3\xA9", 7, 4, 0x3A65, 0x71C3, true);
    }

    static void FillNtfsResult(RecoveryContext& context) {
        context.search.partitionKind = VolumeKind::Ntfs;
        context.search.searchModeText = "Standard Search ";
        context.partitionLayout = {0, 8, 0, 0, 0, 63, 0, 0, VolumeKind::Ntfs};
        context.activeLayout = context.partitionLayout;
        context.partitionNtfs = {6291519, 63, 2, 8};
        context.activeNtfs = context.partitionNtfs;
        FolderTree& tree = context.folders;
        const ItemId root = tree.createStage(kStageResults, 2);
        const ItemId docs =
            tree.InsertFolderItem(root, "Documents", 64, 5, 0x01C99DA3'12345678ull, 0, false);
        tree.InsertFolderItem(root, "Music", 65, 5, 0x01D00000'00000000ull, 0, true);
        tree.InsertFolderItem(docs, "Old", 70, 64, 0x01C00000'00000000ull, 0, false);
        CatalogueTable& entries = context.catalogue.EntryTable;
        const auto addFile = [&](const char* name, const char* sector, const char* self,
                                 const char* parent, const char* date, const char* size,
                                 const char* deleted) {
            const int row = entries.appendRow(name);
            entries.setCell(row, folder_col::Sector, sector);
            entries.setCell(row, folder_col::Self, self);
            entries.setCell(row, folder_col::Parent, parent);
            entries.setCell(row, folder_col::Date, date);
            entries.setCell(row, folder_col::Size, size);
            entries.setCell(row, folder_col::Deleted, deleted);
            entries.setCell(row, folder_col::Type, "FILE");
        };
        addFile("report.doc", "6291700", "80", "64", "128813292021061240", "40960", "0");
        addFile("movie.avi", "6291702", "81", "70", "128813292021061241", "3000000000", "1");
        addFile("a.txt", "6291704", "82", "5", "0", "0", "0");
    }

    static void ExpectSameNodes(const FolderTree& original, const FolderTree& loaded) {
        ASSERT_EQ(loaded.nodes().size(), original.nodes().size());
        for (std::size_t i = 0; i < original.nodes().size(); ++i) {
            const FolderNode& a = original.nodes()[i];
            const FolderNode& b = loaded.nodes()[i];
            EXPECT_EQ(b.name, a.name);
            EXPECT_EQ(b.selfNumber, a.selfNumber);
            EXPECT_EQ(b.parentNumber, a.parentNumber);
            EXPECT_EQ(b.dateValue, a.dateValue);
            EXPECT_EQ(b.timeValue, a.timeValue);
            EXPECT_EQ(b.deleted, a.deleted);
            EXPECT_EQ(loaded.FolderPath(b.treeItem), original.FolderPath(a.treeItem));
        }
    }

    fs::path dir;
};

TEST_F(RecoveryLogFiles, FatResultComesBackWhole) {
    Session saved;
    FillFatResult(saved.context);
    const fs::path path = dir / "music.mpd";
    ASSERT_TRUE(SaveRecoveryLog(path, saved.context, saved.prompter));
    EXPECT_TRUE(saved.prompter.messages.empty());
    // The name is kept as given: no upper-cased twin appears.
    EXPECT_TRUE(fs::exists(path));
    EXPECT_FALSE(fs::exists(dir / "MUSIC.MPD"));

    Session loaded;
    ASSERT_EQ(LoadRecoveryLog(path, loaded.context, loaded.prompter), LogLoadOutcome::Loaded);
    EXPECT_TRUE(loaded.prompter.messages.empty());
    ExpectSameNodes(saved.context.folders, loaded.context.folders);
    for (const FolderNode& node : loaded.context.folders.nodes()) EXPECT_TRUE(node.loaded);
    EXPECT_EQ(loaded.context.folders.model().item(loaded.context.folders.root()).text, "Root");
    EXPECT_EQ(loaded.context.catalogue.FolderTable.count(), 0);
    EXPECT_EQ(loaded.context.catalogue.EntryTable.count(), 0);

    const SearchContext& search = loaded.context.search;
    EXPECT_EQ(search.mode, SearchMode::Standard);  // an Advance log loads as Standard
    EXPECT_EQ(search.searchModeText, "Advance Search");
    EXPECT_EQ(search.selectedDisk, 2);
    EXPECT_EQ(search.partitionIndex, 1);
    EXPECT_EQ(search.searchEnd, 2000000u);
    EXPECT_EQ(loaded.context.activeLayout, saved.context.activeLayout);
    EXPECT_EQ(loaded.observer.guides.back(), kLogLoadedGuide);

    // Saving the loaded result again gives the same bytes, but for the mode byte.
    const fs::path again = dir / "again.mpd";
    ASSERT_TRUE(SaveRecoveryLog(again, loaded.context, loaded.prompter));
    std::vector<std::uint8_t> first = ReadAll(path);
    const std::vector<std::uint8_t> second = ReadAll(again);
    ASSERT_EQ(first.size(), second.size());
    first[23 + 10] = 1;
    EXPECT_EQ(first, second);
}

TEST_F(RecoveryLogFiles, NtfsResultComesBackWithItsFileRows) {
    Session saved;
    FillNtfsResult(saved.context);
    const fs::path path = dir / "ntfs.MPD";
    ASSERT_TRUE(SaveRecoveryLog(path, saved.context, saved.prompter));

    Session loaded;
    ASSERT_EQ(LoadRecoveryLog(path, loaded.context, loaded.prompter), LogLoadOutcome::Loaded);
    ExpectSameNodes(saved.context.folders, loaded.context.folders);
    const CatalogueTable& before = saved.context.catalogue.EntryTable;
    const CatalogueTable& after = loaded.context.catalogue.EntryTable;
    ASSERT_EQ(after.count(), before.count());
    for (int row = 0; row < before.count(); ++row)
        for (int column = 0; column < before.columnCount(); ++column)
            EXPECT_EQ(after.cell(row, column), before.cell(row, column))
                << "row " << row << " column " << column;
    EXPECT_EQ(loaded.context.activeNtfs, saved.context.activeNtfs);
    EXPECT_EQ(loaded.context.partitionNtfs, saved.context.partitionNtfs);
}

TEST_F(RecoveryLogFiles, EmptyDeletedCellIsStoredAsZero) {
    Session saved;
    FillNtfsResult(saved.context);
    saved.context.catalogue.EntryTable.setCell(0, folder_col::Deleted, "");
    const fs::path path = dir / "deleted.mpd";
    ASSERT_TRUE(SaveRecoveryLog(path, saved.context, saved.prompter));
    const DecodedLog decoded = DecodeRecoveryLog(ReadAll(path));
    ASSERT_EQ(decoded.status, LogDecodeStatus::Decoded);
    EXPECT_EQ(decoded.contents.files[0].deleted, 0u);
    EXPECT_EQ(decoded.contents.files[1].deleted, 1u);
    EXPECT_EQ(decoded.contents.files[1].size, 3000000000u);
}

TEST_F(RecoveryLogFiles, LogOfAnotherDiskModelIsRefused) {
    Session saved;
    FillFatResult(saved.context);
    const fs::path path = dir / "other.mpd";
    ASSERT_TRUE(SaveRecoveryLog(path, saved.context, saved.prompter));

    Session loaded;
    loaded.context.currentDisk.modelText = "Apple iPod ";  // differs by a blank
    loaded.context.search.mode = SearchMode::Advance;
    loaded.context.search.partitionKind = VolumeKind::Fat16;
    EXPECT_EQ(LoadRecoveryLog(path, loaded.context, loaded.prompter),
              LogLoadOutcome::ModelMismatch);
    ASSERT_EQ(loaded.prompter.messages.size(), 1u);
    EXPECT_EQ(loaded.prompter.messages[0].text, kLogRejected);
    EXPECT_EQ(loaded.prompter.messages[0].caption, kProgramCaption);
    EXPECT_EQ(loaded.prompter.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(loaded.observer.guides.back(), kLogPartitionPageGuide);
    EXPECT_EQ(loaded.context.search.mode, SearchMode::Advance);
    EXPECT_EQ(loaded.context.search.partitionKind, VolumeKind::Fat16);
    EXPECT_TRUE(loaded.context.folders.nodes().empty());
}

TEST_F(RecoveryLogFiles, DamagedLogIsRefusedAndNothingOfItStays) {
    Session saved;
    FillNtfsResult(saved.context);
    const fs::path path = dir / "cut.mpd";
    ASSERT_TRUE(SaveRecoveryLog(path, saved.context, saved.prompter));
    std::vector<std::uint8_t> bytes = ReadAll(path);
    bytes.resize(bytes.size() - 3);
    WriteAll(path, bytes);

    Session loaded;
    FillFatResult(loaded.context);  // an earlier result is replaced even by a refused load
    loaded.context.search.partitionKind = VolumeKind::Fat16;
    EXPECT_EQ(LoadRecoveryLog(path, loaded.context, loaded.prompter), LogLoadOutcome::Rejected);
    ASSERT_EQ(loaded.prompter.messages.size(), 1u);
    EXPECT_EQ(loaded.prompter.messages[0].text, kLogRejected);
    EXPECT_EQ(loaded.context.search.mode, SearchMode::Standard);
    EXPECT_EQ(loaded.context.search.partitionKind, VolumeKind::Fat16);
    EXPECT_TRUE(loaded.context.folders.nodes().empty());
    EXPECT_EQ(loaded.context.catalogue.EntryTable.count(), 0);
}

TEST_F(RecoveryLogFiles, MissingLogIsRefused) {
    Session loaded;
    EXPECT_EQ(LoadRecoveryLog(dir / "none.mpd", loaded.context, loaded.prompter),
              LogLoadOutcome::Rejected);
    EXPECT_EQ(loaded.prompter.messages.at(0).text, kLogRejected);
}

TEST_F(RecoveryLogFiles, ReadOnlyLogLoadsUnchanged) {
    Session saved;
    FillNtfsResult(saved.context);
    const fs::path path = dir / "readonly.mpd";
    ASSERT_TRUE(SaveRecoveryLog(path, saved.context, saved.prompter));
    const std::vector<std::uint8_t> before = ReadAll(path);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    struct stat statusBefore {};
    ASSERT_EQ(::stat(path.c_str(), &statusBefore), 0);

    Session loaded;
    EXPECT_EQ(LoadRecoveryLog(path, loaded.context, loaded.prompter), LogLoadOutcome::Loaded);
    struct stat statusAfter {};
    ASSERT_EQ(::stat(path.c_str(), &statusAfter), 0);
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(statusAfter.st_mtim.tv_sec, statusBefore.st_mtim.tv_sec);
    EXPECT_EQ(statusAfter.st_mtim.tv_nsec, statusBefore.st_mtim.tv_nsec);
}

TEST_F(RecoveryLogFiles, FloppyResultIsNotSaved) {
    Session saved;
    FillFatResult(saved.context);
    saved.context.activeLayout.kind = VolumeKind::Fat12;
    const fs::path path = dir / "floppy.mpd";
    EXPECT_FALSE(SaveRecoveryLog(path, saved.context, saved.prompter));
    ASSERT_EQ(saved.prompter.messages.size(), 1u);
    EXPECT_EQ(saved.prompter.messages[0].text, kLogFloppyRefused);
    EXPECT_EQ(saved.prompter.messages[0].caption, "Error");
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(RecoveryLogFiles, UnwritableFolderReportsUnableToOpen) {
    Session saved;
    FillFatResult(saved.context);
    EXPECT_FALSE(SaveRecoveryLog(dir / "no-such-folder" / "x.mpd", saved.context, saved.prompter));
    ASSERT_EQ(saved.prompter.messages.size(), 1u);
    EXPECT_EQ(saved.prompter.messages[0].text, kLogUnableToOpen);
    EXPECT_EQ(saved.prompter.messages[0].caption, kProgramCaption);
}

TEST_F(RecoveryLogFiles, RefusedSaveLeavesTheEarlierLogAlone) {
    Session saved;
    FillFatResult(saved.context);
    const fs::path path = dir / "keep.mpd";
    ASSERT_TRUE(SaveRecoveryLog(path, saved.context, saved.prompter));
    const std::vector<std::uint8_t> before = ReadAll(path);

    saved.context.currentDisk.modelText = std::string(60, 'M');
    EXPECT_FALSE(SaveRecoveryLog(path, saved.context, saved.prompter));
    ASSERT_EQ(saved.prompter.messages.size(), 1u);
    EXPECT_NE(saved.prompter.messages[0].text.find("49"), std::string::npos);
    EXPECT_EQ(ReadAll(path), before);
    // Only the log itself is in the folder: no temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(RecoveryLogFiles, SavingTwiceReplacesTheLog) {
    Session saved;
    FillNtfsResult(saved.context);
    const fs::path path = dir / "twice.mpd";
    ASSERT_TRUE(SaveRecoveryLog(path, saved.context, saved.prompter));
    saved.context.catalogue.EntryTable.deleteAll();
    ASSERT_TRUE(SaveRecoveryLog(path, saved.context, saved.prompter));
    const DecodedLog decoded = DecodeRecoveryLog(ReadAll(path));
    ASSERT_EQ(decoded.status, LogDecodeStatus::Decoded);
    EXPECT_TRUE(decoded.contents.files.empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(RecoveryLogFiles, EveryCutFileLoadsOrIsRefused) {
    Session saved;
    FillFatResult(saved.context);
    const fs::path path = dir / "full.mpd";
    ASSERT_TRUE(SaveRecoveryLog(path, saved.context, saved.prompter));
    const std::vector<std::uint8_t> full = ReadAll(path);
    const fs::path cut = dir / "cut.mpd";
    for (std::size_t length = 0; length < full.size(); ++length) {
        WriteAll(cut,
                 std::vector<std::uint8_t>(full.begin(), full.begin() + static_cast<long>(length)));
        Session loaded;
        EXPECT_EQ(LoadRecoveryLog(cut, loaded.context, loaded.prompter), LogLoadOutcome::Rejected)
            << "cut at " << length;
        EXPECT_TRUE(loaded.context.folders.nodes().empty());
    }
}

}  // namespace
}  // namespace datrevo
