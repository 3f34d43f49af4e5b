// The quick look: a Standard search that walks the folders from the root
// (FAT) or the MFT (NTFS) without reading the whole partition for lost
// folders. On the fixtures it lists everything the full search lists outside
// the catch-all folder, and on FAT it reads a fraction of the sectors.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "disk/file_source.h"
#include "disk/memory_source.h"
#include "fat/fat_directory.h"
#include "fat/fat_volume_layout.h"
#include "search/search_phases.h"
#include "support/counting_source.h"
#include "support/cli_command.h"
#include "support/image_fixture.h"
#include "support/recording_observer.h"

namespace datrevo {
namespace {

using test::Cli;
using test::RunCommand;
using test::ShellQuote;

constexpr const char* kCatchAll = "Miscellaneous_001";

// The --tsv rows outside the catch-all folder (path, type, size, date, time,
// deleted, ...), the header left out.
std::set<std::string> RowsOutsideCatchAll(const std::string& tsv) {
    std::set<std::string> rows;
    std::istringstream lines(tsv);
    std::string line;
    std::getline(lines, line);  // header
    while (std::getline(lines, line))
        if (!line.starts_with(kCatchAll)) rows.insert(line);
    return rows;
}

struct Listing {
    int status = -1;
    std::set<std::string> rows;
};

Listing List(const std::string& image, int partition, bool quick) {
    const auto result =
        RunCommand(Cli("search " + ShellQuote(image) + " -p " + std::to_string(partition) +
                       " --tsv" + (quick ? " --quick" : "") + " 2>/dev/null"));
    return {result.status, RowsOutsideCatchAll(result.output)};
}

TEST(QuickLook, ListsWhatTheFullSearchListsOutsideTheCatchAllOnEveryFixture) {
    std::vector<std::string> names;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(DATREVO_FIXTURE_DIR) + "/images")) {
        const std::string file = entry.path().filename().string();
        if (file.ends_with(".img.gz")) names.push_back(file.substr(0, file.size() - 7));
    }
    ASSERT_GE(names.size(), 10u);
    int compared = 0;
    for (const std::string& name : names) {
        const auto image = test::FixtureImage(name);
        // Partitions 1, 2, ... until the disk has no more (usage error).
        for (int partition = 1; partition <= 8; ++partition) {
            SCOPED_TRACE(name + " partition " + std::to_string(partition));
            const Listing full = List(image->path(), partition, false);
            const Listing quick = List(image->path(), partition, true);
            EXPECT_EQ(quick.status, full.status);
            if (full.status == 2) break;
            if (full.status != 0) continue;  // exFAT, nothing found
            EXPECT_FALSE(full.rows.empty());
            // Never a row the full search does not list ...
            for (const std::string& row : quick.rows) EXPECT_TRUE(full.rows.count(row)) << row;
            // ... and every row it lists, but on a volume formatted again:
            // the folders of the earlier format are named by no directory
            // of the new one, so only the full scan of its clusters finds
            // them (the reason the full search stays the default).
            if (name == "fat32-reformatted") {
                EXPECT_LT(quick.rows.size(), full.rows.size());
                continue;
            }
            EXPECT_EQ(quick.rows, full.rows);
            ++compared;
        }
    }
    EXPECT_GE(compared, 15);
}

// One Standard search of a whole-volume image in a fresh context, its reads
// counted.
struct CountedSearch {
    std::set<std::string> folders;  // "path deleted"
    std::uint64_t sectorsRead = 0;
    SearchOutcome outcome;
};

CountedSearch Search(const std::string& path, VolumeKind kind, bool quick,
                     std::stop_token stop = {}) {
    auto source = std::make_shared<test::CountingSource>(std::make_shared<FileSource>(path));
    test::RecordingObserver observer;
    test::ScriptedPrompter prompter;
    RecoveryContext context(observer, prompter);
    context.slots.assign(0, source);
    const std::uint64_t sectors = source->sizeInBytes() / 512;
    context.currentDisk.totalSectors64 = sectors;
    context.search = {SearchMode::Standard, 0, 0, kind, "Standard Search", 0, sectors, quick};
    ValidatePartition(context);
    CountedSearch result;
    result.outcome = RunPartitionSearch(context, stop);
    result.sectorsRead = source->sectorsRead();
    for (const FolderNode& node : context.folders.nodes()) {
        std::string folder = context.folders.FolderPath(node.treeItem);
        std::replace(folder.begin(), folder.end(), '\\', '/');
        result.folders.insert(folder + (node.deleted ? " deleted" : ""));
    }
    return result;
}

TEST(QuickLook, FatReadsAFractionOfTheSectorsOfTheFullSearch) {
    for (const auto& [name, kind] :
         {std::pair{"fat16", VolumeKind::Fat16}, std::pair{"fat32", VolumeKind::Fat32}}) {
        SCOPED_TRACE(name);
        const auto image = test::FixtureImage(name);
        const CountedSearch full = Search(image->path(), kind, false);
        const CountedSearch quick = Search(image->path(), kind, true);
        EXPECT_TRUE(quick.outcome.foundAnything);
        EXPECT_EQ(quick.folders, full.folders);
        // The full search reads every data sector; the walk the directories,
        // one sector per folder entry, and the FAT sectors of their chains.
        EXPECT_GT(full.sectorsRead, image->sizeInBytes() / 512 / 2);
        EXPECT_LT(quick.sectorsRead * 20, full.sectorsRead)
            << quick.sectorsRead << " of " << full.sectorsRead;
    }
}

TEST(QuickLook, NtfsWalksTheMftAsTheFullSearchDoes) {
    const auto image = test::FixtureImage("ntfs");
    const CountedSearch full = Search(image->path(), VolumeKind::Ntfs, false);
    const CountedSearch quick = Search(image->path(), VolumeKind::Ntfs, true);
    EXPECT_TRUE(quick.outcome.foundAnything);
    EXPECT_EQ(quick.folders, full.folders);
    EXPECT_EQ(quick.sectorsRead, full.sectorsRead);
}

TEST(QuickLook, AStopRequestEndsTheWalkWithAConsistentResult) {
    const auto image = test::FixtureImage("fat32");
    std::stop_source stop;
    stop.request_stop();
    const CountedSearch stopped = Search(image->path(), VolumeKind::Fat32, true, stop.get_token());
    EXPECT_TRUE(stopped.outcome.stopped);
    EXPECT_LT(stopped.sectorsRead, 200u);
}

// A folder entry that names the folder it lies in: the walk visits each
// cluster once and ends.
TEST(QuickLook, AFolderEntryNamingItsOwnFolderDoesNotLoop) {
    std::vector<std::uint8_t> bytes =
        test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/fat16.img.gz");
    {
        const DiskReader reader(std::make_shared<MemorySource>(bytes), nullptr);
        FatLayout layout;
        ASSERT_TRUE(ReadFatBootLayout(reader, 0, VolumeKind::Fat16, layout));
        std::uint32_t music = 0;
        for (const FatDirectoryEntry& entry : ReadFatDirectory(reader, layout, 0))
            if (entry.name == "Music") music = entry.firstCluster;
        ASSERT_NE(music, 0u);
        bool patched = false;
        for (const FatDirectoryEntry& entry : ReadFatDirectory(reader, layout, music)) {
            if (entry.name != "Café del Mar") continue;
            const std::size_t at = entry.sector * 512 + entry.offset + fat_dirent::kClusterLow;
            bytes[at] = static_cast<std::uint8_t>(music);
            bytes[at + 1] = static_cast<std::uint8_t>(music >> 8);
            patched = true;
        }
        ASSERT_TRUE(patched);
    }
    const auto image = test::CraftedImage(bytes);
    const CountedSearch quick = Search(image->path(), VolumeKind::Fat16, true);
    EXPECT_FALSE(quick.outcome.stopped);
    EXPECT_TRUE(quick.folders.count("Music"));
    EXPECT_TRUE(quick.folders.count("Music/Artist One/Album A"));
    for (const std::string& folder : quick.folders)
        EXPECT_EQ(folder.find("Music/Music"), std::string::npos) << folder;
}

TEST(QuickLook, IsAStandardSearchOptionThatCanBeLoggedLikeAnyOther) {
    const auto image = test::FixtureImage("fat16");
    const auto advance =
        RunCommand(Cli("search " + ShellQuote(image->path()) +
                       " --mode advance --start 0 --end 100 --kind FAT16 --quick 2>&1"));
    EXPECT_EQ(advance.status, 2);
    EXPECT_NE(advance.output.find("--quick"), std::string::npos);

    const auto dir = test::MakeTempDir("quick-log");
    const std::string log = (dir / "quick.MPD").string();
    const auto searched = RunCommand(
        Cli("search " + ShellQuote(image->path()) + " --quick --tsv --log " + ShellQuote(log)));
    ASSERT_EQ(searched.status, 0);
    const auto loaded =
        RunCommand(Cli("load " + ShellQuote(log) + " " + ShellQuote(image->path()) + " --tsv"));
    ASSERT_EQ(loaded.status, 0);
    EXPECT_EQ(RowsOutsideCatchAll(loaded.output), RowsOutsideCatchAll(searched.output));
    EXPECT_NE(searched.output.find("Music/Artist One/Album A/02 Second Track.mp3"),
              std::string::npos);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace datrevo
