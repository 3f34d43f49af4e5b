#include <gtest/gtest.h>

#include <map>

#include "save/copy_time.h"
#include "save/save_plan.h"

namespace datrevo {
namespace {

// A result held in memory: files per folder item.
class FakeContents : public FolderContents {
public:
    std::vector<FolderFile> files(ItemId item, std::stop_token) override {
        ++reads[item];
        return byItem[item];
    }
    std::optional<CopyTime> folderTime(const FolderNode& node) const override {
        return CopyTime{static_cast<std::int64_t>(node.dateValue), 0};
    }
    void add(ItemId item, const std::string& name, std::uint32_t cluster, std::uint64_t size) {
        FolderFile file;
        file.name = name;
        file.source = {ContentKind::FatFile, cluster, 0, size, false, {}};
        file.rowKey = std::to_string(cluster);
        byItem[item].push_back(file);
    }
    std::map<ItemId, std::vector<FolderFile>> byItem;
    std::map<ItemId, int> reads;
};

struct Result {
    Result() {
        tree.createStage(kStageResults, 0);
        music = tree.InsertFolderItem(tree.root(), "Music", 10, 0, 100, 0, false);
        artist = tree.InsertFolderItem(music, "Artist", 11, 10, 200, 0, false);
        docs = tree.InsertFolderItem(tree.root(), "Docs", 12, 0, 300, 0, false);
        contents.add(tree.root(), "README.TXT", 3, 700);
        contents.add(music, "cover.jpg", 20, 50);
        contents.add(artist, "song.mp3", 30, 9000);
        contents.add(artist, "other.mp3", 31, 1000);
        contents.add(docs, "notes.txt", 40, 10);
    }
    std::vector<std::string> paths(const SavePlan& plan) const {
        std::vector<std::string> out;
        for (const SaveJob& job : plan.jobs)
            out.push_back(JoinedPath(job) + (job.kind == SaveJob::Kind::Folder ? "/" : ""));
        return out;
    }
    FolderTree tree;
    FakeContents contents;
    ItemId music = 0, artist = 0, docs = 0;
};

TEST(SavePlan, SaveAllCoversEveryFolderAndFileFoldersFirst) {
    Result r;
    SaveSelection all;
    all.everything = true;
    const SavePlan plan = PlanSave(r.tree, r.contents, all);
    EXPECT_EQ(r.paths(plan),
              (std::vector<std::string>{"README.TXT", "Music/", "Music/cover.jpg", "Music/Artist/",
                                        "Music/Artist/song.mp3", "Music/Artist/other.mp3", "Docs/",
                                        "Docs/notes.txt"}));
    EXPECT_EQ(plan.fileCount, 5u);
    EXPECT_EQ(plan.folderCount, 3u);
    EXPECT_EQ(plan.byteCount, 700u + 50 + 9000 + 1000 + 10);
    EXPECT_EQ(plan.jobs[1].modified, (CopyTime{100, 0}));
    EXPECT_EQ(plan.jobs[4].shownPath, "Music\\Artist\\song.mp3");
}

TEST(SavePlan, APartlyCheckedFolderGivesOnlyItsCheckedParts) {
    Result r;
    r.tree.InsertFolderItem(r.music, "Live", 13, 10, 0, 0, false);
    r.tree.ToggleCheck(r.artist);  // Music becomes partly checked
    ASSERT_EQ(r.tree.model().item(r.music).check, CheckState::Partial);
    SaveSelection marks;
    marks.checkMarks = true;
    const SavePlan plan = PlanSave(r.tree, r.contents, marks);
    EXPECT_EQ(r.paths(plan),
              (std::vector<std::string>{"Music/", "Music/Artist/", "Music/Artist/song.mp3",
                                        "Music/Artist/other.mp3"}));
    EXPECT_EQ(r.contents.reads.count(r.music), 0u)
        << "the files of a partly checked folder are not listed";
    EXPECT_EQ(r.contents.reads.count(r.docs), 0u);
}

TEST(SavePlan, NothingCheckedSavesNothingAndACheckedRootSavesAll) {
    Result r;
    SaveSelection marks;
    marks.checkMarks = true;
    EXPECT_TRUE(PlanSave(r.tree, r.contents, marks).jobs.empty());
    r.tree.ToggleCheck(r.tree.root());
    EXPECT_EQ(PlanSave(r.tree, r.contents, marks).fileCount, 5u);
}

TEST(SavePlan, SelectedRowsKeepTheirFolderPathAndAreSavedOnceWhenAlsoChecked) {
    Result r;
    SelectedFileRow row;
    row.folderItem = r.artist;
    row.row[file_col::Name] = "other.mp3";
    row.row[file_col::DebugInfo1] = "31";
    SaveSelection selection;
    selection.rows = {row, row};
    EXPECT_EQ(r.paths(PlanSave(r.tree, r.contents, selection)),
              (std::vector<std::string>{"Music/", "Music/Artist/", "Music/Artist/other.mp3"}));

    r.tree.ToggleCheck(r.music);
    selection.checkMarks = true;
    const SavePlan plan = PlanSave(r.tree, r.contents, selection);
    EXPECT_EQ(plan.fileCount, 3u) << "cover, song and other, each once";
}

TEST(SavePlan, AFolderRowStandsForItsWholeFolder) {
    Result r;
    SelectedFileRow row;
    row.folderItem = r.tree.root();
    row.row.icon = FileRowIcon::Folder;
    row.row[file_col::Name] = "Docs";
    row.row[file_col::DebugInfo3] = std::to_string(r.docs);
    SaveSelection selection;
    selection.rows = {row};
    EXPECT_EQ(r.paths(PlanSave(r.tree, r.contents, selection)),
              (std::vector<std::string>{"Docs/", "Docs/notes.txt"}));
}

TEST(SavePlan, HostileAndDuplicateNamesBecomeSafeDistinctNames) {
    FolderTree tree;
    tree.createStage(kStageResults, 0);
    const ItemId up = tree.InsertFolderItem(tree.root(), "..", 5, 0, 0, 0, true);
    tree.InsertFolderItem(tree.root(), "..", 6, 0, 0, 0, true);
    FakeContents contents;
    contents.add(up, "../../escape", 7, 1);
    contents.add(up, "a/b", 8, 1);
    contents.add(up, "a_b", 9, 1);
    contents.add(up, std::string("ctl\x01\n", 5), 10, 1);
    contents.add(up, "", 11, 1);
    SaveSelection all;
    all.everything = true;
    const SavePlan plan = PlanSave(tree, contents, all);
    std::vector<std::string> paths;
    for (const SaveJob& job : plan.jobs) paths.push_back(JoinedPath(job));
    EXPECT_EQ(paths, (std::vector<std::string>{"__", "__/.._.._escape", "__/a_b", "__/a_b (2)",
                                               "__/ctl__", "__/_", "__ (2)"}));
}

TEST(SavePlan, AStopEndsPlanning) {
    Result r;
    std::stop_source stop;
    stop.request_stop();
    SaveSelection all;
    all.everything = true;
    const SavePlan plan = PlanSave(r.tree, r.contents, all, stop.get_token());
    EXPECT_TRUE(plan.stopped);
    EXPECT_TRUE(plan.jobs.empty());
}

TEST(CopyTime, FatWordsAndFiletimesGiveTheStoredMoment) {
    // 2004-02-29 13:45:06 (a leap day) as FAT words, read as local time.
    const std::uint16_t date = static_cast<std::uint16_t>((24 << 9) | (2 << 5) | 29);
    const std::uint16_t time = static_cast<std::uint16_t>((13 << 11) | (45 << 5) | 3);
    std::tm local{};
    local.tm_year = 104;
    local.tm_mon = 1;
    local.tm_mday = 29;
    local.tm_hour = 13;
    local.tm_min = 45;
    local.tm_sec = 6;
    local.tm_isdst = -1;
    EXPECT_EQ(FatCopyTime(date, time),
              (CopyTime{static_cast<std::int64_t>(std::mktime(&local)), 0}));
    EXPECT_FALSE(FatCopyTime(0, 0));
    EXPECT_FALSE(FatCopyTime(static_cast<std::uint16_t>((24 << 9) | (13 << 5) | 1), 0))
        << "month 13";
    // 2020-01-01 00:00:00.5 UTC.
    EXPECT_EQ(NtfsCopyTime(132223104000000000ULL + 5000000), (CopyTime{1577836800, 500000000}));
    EXPECT_FALSE(NtfsCopyTime(0));
}

}  // namespace
}  // namespace datrevo
