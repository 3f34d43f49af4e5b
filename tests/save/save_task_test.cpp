#include <gtest/gtest.h>

#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

#include "disk/memory_source.h"
#include "save/destination_check.h"
#include "fat/fat_content.h"
#include "save_support.h"
#include "support/text_file.h"

namespace datrevo {
namespace {

using test::ReadFileText;
// A tiny FAT16 volume in memory: FAT at sector 1, cluster n at sector 8 + n.
// Cluster 2 -> 3 -> end (a live file), 4 in use (end mark), 5 free, 6 in
// use, 7 free, 8 free. Every data sector is filled with its own number.
constexpr std::uint32_t kClusterSectorBase = 8;

std::shared_ptr<const ContentReader> TinyVolume() {
    std::vector<std::uint8_t> bytes(64 * 512, 0);
    auto setEntry = [&](std::uint32_t cluster, std::uint16_t value) {
        bytes[512 + cluster * 2] = static_cast<std::uint8_t>(value);
        bytes[512 + cluster * 2 + 1] = static_cast<std::uint8_t>(value >> 8);
    };
    setEntry(0, 0xFFF8);
    setEntry(1, 0xFFFF);
    setEntry(2, 3);
    setEntry(3, 0xFFFF);
    setEntry(4, 0xFFFF);
    setEntry(6, 0xFFFF);
    for (std::size_t sector = 10; sector < 64; ++sector)
        std::fill(bytes.begin() + std::ptrdiff_t(sector * 512),
                  bytes.begin() + std::ptrdiff_t((sector + 1) * 512),
                  static_cast<std::uint8_t>(sector));
    FatLayout layout;
    layout.kind = VolumeKind::Fat16;
    layout.sectorsPerCluster = 1;
    layout.sectorsPerFat = 1;
    layout.firstFat = 1;
    layout.cluster0Start = kClusterSectorBase;
    return std::make_shared<FatContentReader>(
        DiskReader(std::make_shared<MemorySource>(std::move(bytes)), nullptr), layout, 64);
}

std::vector<std::uint8_t> Read(const ContentSource& source,
                               const std::shared_ptr<const ContentReader>& volume,
                               ContentReport& report) {
    std::vector<std::uint8_t> out;
    report = volume->readContent(source,
                                 [&](std::span<const std::uint8_t> piece) {
                                     out.insert(out.end(), piece.begin(), piece.end());
                                     return true;
                                 },
                                 {});
    return out;
}

// The sector numbers that a copy's 512-byte blocks came from.
std::vector<int> Blocks(const std::vector<std::uint8_t>& bytes) {
    std::vector<int> out;
    for (std::size_t i = 0; i < bytes.size(); i += 512) out.push_back(bytes[i]);
    return out;
}

TEST(FatContent, ALiveFileFollowsItsChainCutToItsSize) {
    ContentReport report;
    const auto bytes = Read({ContentKind::FatFile, 2, 0, 700, false, {}}, TinyVolume(), report);
    EXPECT_EQ(bytes.size(), 700u);
    EXPECT_EQ(Blocks(bytes), (std::vector<int>{10, 11}));
    EXPECT_FALSE(report.incomplete || report.freeClusterGuess || report.overwritten);
}

TEST(FatContent, ADeletedFileTakesTheFreeClustersAfterItsFirstSkippingUsedOnes) {
    ContentReport report;
    const auto bytes = Read({ContentKind::FatFile, 5, 0, 1500, true, {}}, TinyVolume(), report);
    EXPECT_EQ(Blocks(bytes), (std::vector<int>{13, 15, 16})) << "clusters 5, 7, 8; 6 is in use";
    EXPECT_TRUE(report.freeClusterGuess);
    EXPECT_FALSE(report.overwritten);

    const auto single = Read({ContentKind::FatFile, 5, 0, 300, true, {}}, TinyVolume(), report);
    EXPECT_EQ(single.size(), 300u);
    EXPECT_FALSE(report.freeClusterGuess) << "one cluster needs no guess";
}

TEST(FatContent, ADeletedFileWhoseFirstClusterIsInUseIsReportedOverwritten) {
    ContentReport report;
    const auto bytes = Read({ContentKind::FatFile, 6, 0, 1024, true, {}}, TinyVolume(), report);
    EXPECT_TRUE(report.overwritten);
    EXPECT_EQ(Blocks(bytes), (std::vector<int>{14, 15}))
        << "what lies at and after its first cluster now";
}

TEST(FatContent, ADeletedFileRunningOffTheVolumeStopsAtItsEnd) {
    ContentReport report;
    const auto bytes = Read({ContentKind::FatFile, 50, 0, 100000, true, {}}, TinyVolume(), report);
    EXPECT_EQ(bytes.size(), 6u * 512) << "clusters 50 to 55: the volume ends at sector 64";
    EXPECT_TRUE(report.incomplete);
}

TEST(FatContent, ClusterNumbersOutsideTheVolumeGiveNothing) {
    ContentReport report;
    EXPECT_TRUE(Read({ContentKind::FatFile, 1, 0, 10, false, {}}, TinyVolume(), report).empty());
    EXPECT_TRUE(report.incomplete);
    EXPECT_TRUE(
        Read({ContentKind::FatFile, 0xFFFF, 0, 10, true, {}}, TinyVolume(), report).empty());
}

// A plan of files in the tiny volume.
SavePlan Plan(std::initializer_list<std::pair<std::vector<std::string>, ContentSource>> files) {
    SavePlan plan;
    for (const auto& [path, source] : files) {
        SaveJob job;
        job.path = path;
        job.shownPath = path.back();
        job.source = source;
        job.modified = CopyTime{1000000000, 0};
        plan.jobs.push_back(job);
        ++plan.fileCount;
        plan.byteCount += source.size;
    }
    return plan;
}

const ContentSource kLiveFile{ContentKind::FatFile, 2, 0, 700, false, {}};

TEST(SaveTask, WritesFoldersAndFilesWithTheirTimesAndReportsProgress) {
    test::TempFolder out;
    test::ScriptedSaveQuestions questions;
    test::RecordingSaveProgress progress;
    SaveTask task(Plan({{{"A", "B", "f.bin"}, kLiveFile}}), TinyVolume(),
                  (out.path / "new").string(), questions, progress);
    const SaveSummary summary = task.run();
    EXPECT_EQ(summary.filesSaved, 1u);
    EXPECT_EQ(summary.bytesWritten, 700u);
    struct stat info {};
    ASSERT_EQ(::stat((out.path / "new/A/B/f.bin").c_str(), &info), 0);
    EXPECT_EQ(info.st_size, 700);
    EXPECT_EQ(info.st_mtime, 1000000000);
    ASSERT_FALSE(progress.reports.empty());
    EXPECT_EQ(progress.reports.back().filesDone, 1u);
    EXPECT_EQ(progress.reports.back().bytesWritten, 700u);
    EXPECT_EQ(progress.reports.back().filePercent, 100);
}

TEST(SaveTask, AnExistingFileIsRenamedSkippedOrOverwrittenAsAnswered) {
    test::TempFolder out;
    std::ofstream(out.path / "f.bin") << "old";
    test::RecordingSaveProgress progress;
    {
        test::ScriptedSaveQuestions questions;
        SaveTask task(Plan({{{"f.bin"}, kLiveFile}}), TinyVolume(), out.path.string(), questions,
                      progress);
        task.run();
        EXPECT_EQ(questions.replaceAsked, (std::vector<std::string>{"f.bin -> f (2).bin"}));
        EXPECT_EQ(ReadFileText(out.path / "f.bin"), "old");
        EXPECT_EQ(std::filesystem::file_size(out.path / "f (2).bin"), 700u);
    }
    {
        test::ScriptedSaveQuestions questions;
        questions.replace = {ReplaceAction::Skip, "", true};
        SaveTask task(Plan({{{"f.bin"}, kLiveFile}, {{"f (2).bin"}, kLiveFile}}), TinyVolume(),
                      out.path.string(), questions, progress);
        const SaveSummary summary = task.run();
        EXPECT_EQ(questions.replaceAsked.size(), 1u) << "the answer held for the second file";
        EXPECT_EQ(summary.filesSkipped, 2u);
    }
    {
        test::ScriptedSaveQuestions questions;
        questions.replace = {ReplaceAction::Overwrite, "", false};
        SaveTask task(Plan({{{"f.bin"}, kLiveFile}}), TinyVolume(), out.path.string(), questions,
                      progress);
        EXPECT_EQ(task.run().filesSaved, 1u);
        EXPECT_EQ(std::filesystem::file_size(out.path / "f.bin"), 700u);
    }
    {
        test::ScriptedSaveQuestions questions;
        questions.replace = {ReplaceAction::Cancel, "", false};
        SaveTask task(Plan({{{"f.bin"}, kLiveFile}, {{"g.bin"}, kLiveFile}}), TinyVolume(),
                      out.path.string(), questions, progress);
        EXPECT_EQ(task.run().ending, SaveEnding::Cancelled);
        EXPECT_FALSE(std::filesystem::exists(out.path / "g.bin"));
    }
}

TEST(SaveTask, ASymbolicLinkPlantedInTheDestinationIsNeverFollowed) {
    test::TempFolder out;
    test::TempFolder elsewhere;
    std::filesystem::create_directory_symlink(elsewhere.path, out.path / "Music");
    std::filesystem::create_symlink(elsewhere.path / "target.bin", out.path / "f.bin");
    test::ScriptedSaveQuestions questions;
    questions.replace = {ReplaceAction::Overwrite, "", false};
    test::RecordingSaveProgress progress;
    SaveTask task(Plan({{{"Music", "song.mp3"}, kLiveFile}, {{"f.bin"}, kLiveFile}}), TinyVolume(),
                  out.path.string(), questions, progress);
    const SaveSummary summary = task.run();
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path));
    EXPECT_EQ(summary.filesFailed, 2u);
    EXPECT_EQ(questions.errorAsked.size(), 2u);
    EXPECT_TRUE(std::filesystem::is_symlink(out.path / "f.bin"));
}

TEST(SaveTask, SkipAllStopsAskingAndAbortEndsTheSave) {
    test::TempFolder out;
    std::ofstream(out.path / "Blocked") << "a file where a folder should be";
    test::RecordingSaveProgress progress;
    {
        test::ScriptedSaveQuestions questions;
        questions.onError = WriteErrorAction::SkipAll;
        SaveTask task(Plan({{{"Blocked", "a"}, kLiveFile},
                            {{"Blocked", "b"}, kLiveFile},
                            {{"ok"}, kLiveFile}}),
                      TinyVolume(), out.path.string(), questions, progress);
        const SaveSummary summary = task.run();
        EXPECT_EQ(questions.errorAsked.size(), 1u);
        EXPECT_EQ(summary.filesFailed, 2u);
        EXPECT_EQ(summary.filesSaved, 1u);
        EXPECT_NE(SummaryText(summary).find("a: A file stands where a folder is to be created."),
                  std::string::npos);
    }
    {
        test::ScriptedSaveQuestions questions;
        questions.onError = WriteErrorAction::Abort;
        SaveTask task(Plan({{{"Blocked", "a"}, kLiveFile}, {{"later"}, kLiveFile}}), TinyVolume(),
                      out.path.string(), questions, progress);
        EXPECT_EQ(task.run().ending, SaveEnding::Aborted);
        EXPECT_FALSE(std::filesystem::exists(out.path / "later"));
    }
}

// Presses Stop or Skip when a given file starts.
class PressingProgress : public SaveProgress {
public:
    SaveTask* task = nullptr;
    std::string stopAt;
    std::string skipAt;
    void update(const SaveProgressInfo& info) override {
        if (info.filePercent != 0) return;
        if (info.filePath == stopAt) task->requestStop();
        if (info.filePath == skipAt) task->requestSkip();
    }
};

TEST(SaveTask, StopEndsAfterTheCurrentFileAndSkipLeavesTheCurrentFileOut) {
    test::TempFolder out;
    test::ScriptedSaveQuestions questions;
    PressingProgress progress;
    progress.stopAt = "b";
    progress.skipAt = "a";
    SaveTask task(Plan({{{"a"}, kLiveFile}, {{"b"}, kLiveFile}, {{"c"}, kLiveFile}}), TinyVolume(),
                  out.path.string(), questions, progress);
    progress.task = &task;
    const SaveSummary summary = task.run();
    EXPECT_EQ(summary.ending, SaveEnding::Stopped);
    EXPECT_FALSE(std::filesystem::exists(out.path / "a"))
        << "a skipped file leaves no partial copy";
    EXPECT_EQ(std::filesystem::file_size(out.path / "b"), 700u) << "the current file is finished";
    EXPECT_FALSE(std::filesystem::exists(out.path / "c"));
    EXPECT_EQ(summary.filesSkipped, 1u);
    EXPECT_EQ(summary.filesSaved, 1u);
}

TEST(SaveTask, TheImageBeingRecoveredIsNeverReplaced) {
    test::TempFolder out;
    std::ofstream(out.path / "disk.img") << "image bytes";
    test::ScriptedSaveQuestions questions;
    questions.replace = {ReplaceAction::Overwrite, "", true};
    test::RecordingSaveProgress progress;
    SaveTask task(Plan({{{"disk.img"}, kLiveFile}}), TinyVolume(), out.path.string(), questions,
                  progress);
    task.protectFile((out.path / "disk.img").string());
    EXPECT_EQ(task.run().filesFailed, 1u);
    EXPECT_EQ(ReadFileText(out.path / "disk.img"), "image bytes");
    EXPECT_EQ(
        DestinationRefusal((out.path / "disk.img").string(), (out.path / "disk.img").string()),
        kDestinationIsImageMessage);
    EXPECT_EQ(DestinationRefusal((out.path / "copies").string(), (out.path / "disk.img").string()),
              "");
}

// A result whose folder and file names try to leave the destination.
class HostileContents : public FolderContents {
public:
    std::vector<FolderFile> files(ItemId, std::stop_token) override {
        std::vector<FolderFile> out;
        for (const char* name :
             {"..", "../outside.bin", "a/b", "ctl\x01\x1b[2J", "/etc/passwd", "."}) {
            FolderFile file;
            file.name = name;
            file.source = kLiveFile;
            out.push_back(file);
        }
        return out;
    }
    std::optional<CopyTime> folderTime(const FolderNode&) const override { return std::nullopt; }
};

TEST(SaveTask, AResultWithHostileNamesWritesOnlyInsideTheDestination) {
    test::TempFolder outer;
    const std::filesystem::path destination = outer.path / "dest";
    FolderTree tree;
    tree.createStage(kStageResults, 0);
    const ItemId up = tree.InsertFolderItem(tree.root(), "..", 5, 0, 0, 0, false);
    tree.InsertFolderItem(up, "../..", 6, 5, 0, 0, false);
    HostileContents contents;
    const SaveSummary summary = test::SaveWholeTree(tree, contents, TinyVolume(), destination);
    EXPECT_EQ(summary.filesSaved, 18u);
    EXPECT_EQ(summary.filesFailed, 0u);
    std::size_t inside = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(outer.path)) {
        const std::string path = std::filesystem::weakly_canonical(entry.path()).string();
        EXPECT_TRUE(path == destination.string() || path.rfind(destination.string() + "/", 0) == 0)
            << path;
        inside += entry.is_regular_file();
    }
    EXPECT_EQ(inside, 18u);
    // Root files claim their names first, then the folders: ".." is "__" as a
    // file and "__ (2)" as a folder; "../.." is ".._..".
    EXPECT_TRUE(std::filesystem::is_regular_file(destination / "__"));
    EXPECT_TRUE(
        std::filesystem::is_regular_file(destination / "__ (2)" / ".._.." / ".._outside.bin"));
    EXPECT_TRUE(std::filesystem::is_regular_file(destination / "__ (2)" / "ctl__[2J"));
}

TEST(DestinationCheck, AFolderOnAPartitionOfTheRecoveredDiskIsRefused) {
    // A fake sysfs: 8:0 is a disk, 8:1 its partition, 253:0 a mapped device on 8:1.
    test::TempFolder sys;
    namespace fs = std::filesystem;
    const fs::path devices = sys.path / "sys/devices/block/sda";
    fs::create_directories(devices / "sda1");
    fs::create_directories(sys.path / "sys/devices/virtual/dm-0/slaves");
    std::ofstream(devices / "dev") << "8:0\n";
    std::ofstream(devices / "sda1/dev") << "8:1\n";
    std::ofstream(devices / "sda1/partition") << "1\n";
    std::ofstream(sys.path / "sys/devices/virtual/dm-0/dev") << "253:0\n";
    fs::create_directory_symlink(devices / "sda1",
                                 sys.path / "sys/devices/virtual/dm-0/slaves/sda1");
    fs::create_directories(sys.path / "sys/dev/block");
    fs::create_directory_symlink(devices, sys.path / "sys/dev/block/8:0");
    fs::create_directory_symlink(devices / "sda1", sys.path / "sys/dev/block/8:1");
    fs::create_directory_symlink(sys.path / "sys/devices/virtual/dm-0",
                                 sys.path / "sys/dev/block/253:0");
    const std::string root = sys.path.string();
    EXPECT_TRUE(OnSameDisk("8:0", "8:1", root)) << "a partition of the disk";
    EXPECT_TRUE(OnSameDisk("8:1", "8:0", root));
    EXPECT_TRUE(OnSameDisk("8:0", "253:0", root))
        << "a mapped device built on a partition of the disk";
    EXPECT_FALSE(OnSameDisk("8:0", "8:16", root)) << "another disk";
    EXPECT_EQ(DestinationRefusal(root, "/nonexistent/disk", root), "") << "no disk to compare with";
}

}  // namespace
}  // namespace datrevo
