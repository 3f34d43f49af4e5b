// An exFAT partition through the whole recovery: validation, the Standard
// search (from the backup boot region when the main one is gone), the file
// list, the save and the recovery log.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "../save/save_support.h"
#include "base/visible_texts.h"
#include "exfat/exfat_advance_search.h"
#include "exfat/exfat_walk.h"
#include "exfat_test_support.h"
#include "log/log_decoder.h"
#include "log/log_file_io.h"
#include "log/recovery_log.h"
#include "recovery/exfat_layout.h"
#include "recovery/result_volume_choice.h"
#include "save/copy_time.h"
#include "save/save_setup.h"
#include "search/notices.h"
#include "search/result_folder_lister.h"
#include "search/search_phases.h"
#include "support/faulty_source.h"
#include "support/manifest.h"
#include "support/recording_observer.h"

namespace datrevo {
namespace {

constexpr std::size_t kBootRegionBytes = 12 * 512;
constexpr const char* kCatchAll = "Miscellaneous_001";

std::vector<std::uint8_t> Fixture(const std::string& name) {
    return test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/" + name + ".img.gz");
}

// The fixture with both boot regions, the main and the backup, zeroed.
std::vector<std::uint8_t> FixtureWithoutBootRegions(const std::string& name) {
    std::vector<std::uint8_t> bytes = Fixture(name);
    std::fill_n(bytes.begin(), 2 * kBootRegionBytes, 0);
    return bytes;
}

// A recovery context over one image, searched as a whole-disk exFAT volume.
class ExfatRecovery {
public:
    explicit ExfatRecovery(const std::vector<std::uint8_t>& bytes) {
        image = test::CraftedImage(bytes);
        Attach(*image);
    }
    // Another context over the same image file (a later run of the program).
    explicit ExfatRecovery(const ExfatRecovery& earlier) { Attach(*earlier.image); }

    SearchOutcome Standard(bool quick = false) {
        context.search = {SearchMode::Standard, 0, 0,      VolumeKind::Exfat,
                          "Standard Search",    0, sectors};
        context.search.quick = quick;
        validated = ValidatePartition(context);
        return RunPartitionSearch(context);
    }

    // An Advance search over the whole image, then the recovery of the
    // volume it lists first.
    SearchOutcome AdvanceFirstVolume() {
        context.search = {SearchMode::Advance, 0, 0,      VolumeKind::Exfat,
                          "Advance Search",    0, sectors};
        const SearchOutcome scan = RunPartitionSearch(context);
        if (scan.volumesFound < 1) return scan;
        FileSystemDetails(context, 1);
        return RunVolumeRecovery(context, 1);
    }

    // Every folder of the tree by its path ('/' separators).
    std::set<std::string> FolderPaths() const {
        std::set<std::string> out;
        for (const FolderNode& node : context.folders.nodes()) {
            std::string path = context.folders.FolderPath(node.treeItem);
            std::replace(path.begin(), path.end(), '\\', '/');
            out.insert(path);
        }
        return out;
    }

    // Every row of every folder's list: "folder | name type size date time deleted".
    std::vector<std::string> ListRows() {
        std::vector<std::string> out;
        ResultFolderLister lister(context);
        std::vector<ItemId> items{context.folders.root()};
        for (const FolderNode& node : context.folders.nodes()) items.push_back(node.treeItem);
        for (const ItemId item : items)
            for (const FileRow& row : lister.rows(item))
                out.push_back(context.folders.FolderPath(item) + " | " + row[file_col::Name] + " " +
                              row[file_col::Type] + " " + row[file_col::Size] + " " +
                              row[file_col::Date] + " " + row[file_col::Time] +
                              (row.deleted ? " deleted" : ""));
        return out;
    }

    struct Saved {
        SaveSummary summary;
        std::map<std::string, std::string> md5s;  // by path under the destination
    };
    Saved SaveEverything(const std::filesystem::path& destination) {
        const std::shared_ptr<ResultVolume> volume = MakeResultVolume(context);
        std::unique_ptr<FolderContents> contents = MakeFolderContents(context.folders, volume);
        Saved saved;
        saved.summary = test::SaveWholeTree(context.folders, *contents, volume, destination);
        saved.md5s = test::Md5OfFiles(destination);
        return saved;
    }

    test::RecordingObserver observer;
    test::ScriptedPrompter prompter;
    RecoveryContext context{observer, prompter};
    std::unique_ptr<test::ImageCopy> image;
    std::uint64_t sectors = 0;
    bool validated = false;

private:
    void Attach(const test::ImageCopy& copy) {
        context.slots.assign(0, copy.path());
        sectors = copy.sizeInBytes() / 512;
        context.currentDisk.totalSectors64 = sectors;
        context.currentDisk.modelText = "Crafted exFAT Card";
    }
};

// Every file of the "exfat" fixture is among the saved ones, bit-exact.
void ExpectEveryFixtureFileSaved(const ExfatRecovery::Saved& saved) {
    const std::vector<test::ManifestRow> files = test::ManifestRows("exfat", "file");
    ASSERT_FALSE(files.empty());
    for (const test::ManifestRow& row : files)
        EXPECT_EQ(saved.md5s.count(row.path) ? saved.md5s.at(row.path) : "", row.md5) << row.path;
}

std::string ManifestMd5(const std::vector<test::ManifestRow>& rows, const std::string& path) {
    for (const test::ManifestRow& row : rows)
        if (row.path == path) return row.md5;
    return "";
}

TEST(ExfatStandardSearch, EveryLiveAndDeletedFileSavesBitExactWithItsDate) {
    ExfatRecovery run(Fixture("exfat"));
    const SearchOutcome outcome = run.Standard();
    EXPECT_TRUE(outcome.foundAnything);
    EXPECT_TRUE(run.prompter.messages.empty());
    EXPECT_EQ(run.context.activeLayout.kind, VolumeKind::Exfat);
    const std::set<std::string> folders = run.FolderPaths();
    for (const test::ManifestRow& row : test::ManifestRows("exfat", "dir"))
        EXPECT_EQ(folders.count(row.path), 1u) << row.path;

    test::TempFolder out;
    const ExfatRecovery::Saved saved = run.SaveEverything(out.path);
    EXPECT_EQ(saved.summary.ending, SaveEnding::Finished);
    EXPECT_EQ(saved.summary.filesFailed, 0u);
    EXPECT_TRUE(saved.summary.incomplete.empty());
    // Nothing was written after the deletions: every deleted file is intact,
    // and only the one that had a FAT chain is said to be a guess.
    EXPECT_EQ(saved.summary.uncertain, (std::vector<std::string>{"Photos\\frag-deleted.bin"}));
    EXPECT_TRUE(saved.summary.overwritten.empty());
    ExpectEveryFixtureFileSaved(saved);

    // The copy's time is the entry's modification time.
    struct stat info {};
    ASSERT_EQ(::stat((out.path / "Docs/readme.txt").c_str(), &info), 0);
    const ExfatListing listing = [&] {
        auto volume = test::OpenExfatVolume(test::ExfatReaderFor(*run.image));
        return WalkExfatVolume(*volume);
    }();
    const auto readme =
        std::find_if(listing.files.begin(), listing.files.end(),
                     [](const ExfatItem& item) { return item.set.name == "readme.txt"; });
    ASSERT_NE(readme, listing.files.end());
    const std::optional<CopyTime> want =
        FatCopyTime(readme->set.modified.fatDate, readme->set.modified.fatTime);
    ASSERT_TRUE(want.has_value());
    EXPECT_EQ(info.st_mtim.tv_sec, want->seconds);
    EXPECT_TRUE(run.image->unchanged());
}

TEST(ExfatStandardSearch, AQuickFormattedVolumeGivesBackItsEarlierFoldersAndFiles) {
    ExfatRecovery run(Fixture("exfat-reformatted"));
    ASSERT_TRUE(run.Standard().foundAnything);
    // The earlier root was overwritten by the new one: its two folders are
    // found by their clusters and hang unnamed from the catch-all folder;
    // below them every name is back.
    std::set<std::string> tails;
    int tops = 0;
    for (const std::string& path : run.FolderPaths()) {
        if (path == kCatchAll || path == "Root") continue;
        ASSERT_EQ(path.rfind(std::string(kCatchAll) + "/Dir", 0), 0u) << path;
        const std::string below = path.substr(std::string(kCatchAll).size() + 1);
        const std::size_t slash = below.find('/');
        if (slash == std::string::npos)
            ++tops;
        else
            tails.insert(below.substr(slash + 1));
    }
    EXPECT_EQ(tops, 2);
    EXPECT_EQ(tails, (std::set<std::string>{"Sub", "Sub/Deeper"}));

    test::TempFolder out;
    const ExfatRecovery::Saved saved = run.SaveEverything(out.path);
    EXPECT_EQ(saved.summary.filesFailed, 0u);
    const std::vector<test::ManifestRow> rows = test::ManifestRows("exfat-reformatted");
    EXPECT_EQ(saved.md5s.at("new.txt"), ManifestMd5(rows, "new.txt"));
    // Each earlier file by the end of its path (its top folder is "Dir<n>"),
    // but the first one: the new file took its cluster, the new root its entry.
    for (const test::ManifestRow& row : test::ManifestRows("exfat-reformatted", "old-file")) {
        if (row.path == "Old first.txt") continue;
        const std::string tail = row.path.substr(row.path.find('/'));
        std::vector<std::string> found;
        for (const auto& [path, md5] : saved.md5s)
            if (path.ends_with(tail) && path.starts_with(kCatchAll)) found.push_back(md5);
        ASSERT_EQ(found.size(), 1u) << row.path;
        EXPECT_EQ(found[0], row.md5) << row.path;
    }
    EXPECT_TRUE(run.image->unchanged());
}

TEST(ExfatStandardSearch, TheQuickLookLeavesTheLostFoldersOut) {
    ExfatRecovery run(Fixture("exfat-reformatted"));
    ASSERT_TRUE(run.Standard(true).foundAnything);
    for (const std::string& path : run.FolderPaths())
        EXPECT_EQ(path.find("Dir"), std::string::npos) << path;
    EXPECT_TRUE(run.image->unchanged());
}

// The statuses of the lost-folder scan ("Clusters  <done> of <total>"), in order.
std::vector<std::string> ClusterStatuses(const std::vector<std::string>& statuses) {
    std::vector<std::string> out;
    for (const std::string& status : statuses)
        if (status.starts_with("Clusters  ")) out.push_back(status);
    return out;
}

std::string ClustersOf(std::uint64_t done, std::uint64_t total) {
    return "Clusters  " + std::to_string(done) + " of " + std::to_string(total);
}

TEST(ExfatStandardSearch, TheLostFolderScanCountsItsClustersOncePerPercentAndFillsTheBar) {
    ExfatRecovery run(Fixture("exfat-reformatted"));
    const std::uint64_t clusters =
        test::OpenExfatVolume(test::ExfatReaderFor(*run.image))->boot().clusterCount;
    ASSERT_GT(clusters, 0u);
    ASSERT_TRUE(run.Standard().foundAnything);
    const std::vector<std::string> shown = ClusterStatuses(run.observer.statuses);
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown.front(), ClustersOf(0, clusters));
    EXPECT_EQ(shown.back(), ClustersOf(clusters, clusters));
    EXPECT_LE(shown.size(), 102u);  // the first text, then at most one per percent
    EXPECT_EQ(std::set<std::string>(shown.begin(), shown.end()).size(), shown.size());
    EXPECT_EQ(run.observer.statuses.back(), kStoringStatus);
    ASSERT_FALSE(run.observer.percents.empty());
    EXPECT_EQ(run.observer.percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(run.observer.percents.begin(), run.observer.percents.end()));
    EXPECT_TRUE(run.image->unchanged());
}

TEST(ExfatStandardSearch, AZeroedMainBootRegionIsReadFromItsBackup) {
    ExfatRecovery intact(Fixture("exfat"));
    ASSERT_TRUE(intact.Standard().foundAnything);

    std::vector<std::uint8_t> bytes = Fixture("exfat");
    std::fill_n(bytes.begin(), kBootRegionBytes, 0);
    ExfatRecovery run(bytes);
    const SearchOutcome outcome = run.Standard();
    EXPECT_TRUE(run.validated);
    EXPECT_TRUE(outcome.foundAnything);
    EXPECT_TRUE(run.prompter.messages.empty());
    EXPECT_EQ(run.context.activeLayout, intact.context.activeLayout);
    EXPECT_EQ(run.FolderPaths(), intact.FolderPaths());
    EXPECT_EQ(run.ListRows(), intact.ListRows());

    test::TempFolder out;
    const ExfatRecovery::Saved saved = run.SaveEverything(out.path);
    ExpectEveryFixtureFileSaved(saved);
    EXPECT_TRUE(run.image->unchanged());
}

TEST(ExfatStandardSearch, WithBothBootRegionsGoneItSaysWhyAndFindsNothing) {
    ExfatRecovery run(FixtureWithoutBootRegions("exfat"));
    const SearchOutcome outcome = run.Standard();
    EXPECT_FALSE(run.validated);
    EXPECT_FALSE(outcome.foundAnything);
    EXPECT_FALSE(run.context.bootRecordValid);
    EXPECT_EQ(run.context.activeLayout.sectorsPerCluster, 0u);  // nothing to browse with
    ASSERT_EQ(run.prompter.messages.size(), 2u);
    EXPECT_EQ(run.prompter.messages[0].icon, MessageIcon::Error);
    EXPECT_NE(run.prompter.messages[0].text.find("Neither the exFAT boot region nor its backup"),
              std::string::npos)
        << run.prompter.messages[0].text;
    EXPECT_NE(run.prompter.messages[0].text.find("no exFAT boot sector"), std::string::npos);
    EXPECT_EQ(run.prompter.messages[1].text, kStandardNothingFoundNotice);
    EXPECT_TRUE(run.image->unchanged());
}

TEST(ExfatStandardSearch, ADamagedMainChecksumNamesItWhenTheBackupIsGoneToo) {
    std::vector<std::uint8_t> bytes = Fixture("exfat");
    bytes[11 * 512] ^= 0xFF;                                             // the main checksum
    std::fill_n(bytes.begin() + kBootRegionBytes, kBootRegionBytes, 0);  // the backup
    ExfatRecovery run(bytes);
    EXPECT_FALSE(run.Standard().foundAnything);
    ASSERT_FALSE(run.prompter.messages.empty());
    EXPECT_NE(run.prompter.messages[0].text.find("boot checksum"), std::string::npos)
        << run.prompter.messages[0].text;
    EXPECT_TRUE(run.image->unchanged());
}

TEST(ExfatStandardSearch, AnUnreadableDataSectorIsZerosInTheCopyAndSaid) {
    const std::vector<std::uint8_t> bytes = Fixture("exfat");
    ExfatRecovery run(bytes);
    std::uint64_t readmeSector = 0;
    {
        auto volume = test::OpenExfatVolume(test::ExfatReaderFor(*run.image));
        ASSERT_NE(volume, nullptr);
        for (const ExfatItem& item : WalkExfatVolume(*volume).files)
            if (item.set.name == "readme.txt")
                readmeSector = volume->clusterDiskByte(item.set.firstCluster) / 512;
    }
    ASSERT_NE(readmeSector, 0u);
    auto faulty = std::make_shared<test::FaultySource>(bytes);
    faulty->badSectors = {readmeSector + 1};
    run.context.slots.assign(0, faulty);
    ASSERT_TRUE(run.Standard().foundAnything);

    test::TempFolder out;
    const ExfatRecovery::Saved saved = run.SaveEverything(out.path);
    EXPECT_EQ(saved.summary.incomplete, (std::vector<std::string>{"Docs\\readme.txt"}));
    EXPECT_EQ(std::filesystem::file_size(out.path / "Docs/readme.txt"), 10000u);
    for (const test::ManifestRow& row : test::ManifestRows("exfat", "file")) {
        ASSERT_EQ(saved.md5s.count(row.path), 1u) << row.path;
        if (row.path == "Docs/readme.txt")
            EXPECT_NE(saved.md5s.at(row.path), row.md5);
        else
            EXPECT_EQ(saved.md5s.at(row.path), row.md5) << row.path;
    }
    EXPECT_TRUE(run.image->unchanged());
}

TEST(ExfatRecoveryLog, TheResultComesBackWithItsFilesUnderItsOwnKind) {
    ExfatRecovery run(Fixture("exfat"));
    ASSERT_TRUE(run.Standard().foundAnything);
    const std::vector<std::string> rows = run.ListRows();
    test::TempFolder folder;
    const std::filesystem::path log = folder.path / "scan.MPD";
    ASSERT_TRUE(SaveRecoveryLog(log, run.context, run.prompter));

    const auto bytes = ReadWholeLogFile(log);
    ASSERT_TRUE(bytes.has_value());
    const DecodedLog decoded = DecodeRecoveryLog(*bytes);
    ASSERT_EQ(decoded.status, LogDecodeStatus::Decoded);
    EXPECT_EQ(decoded.contents.activeKind, "exFAT");
    EXPECT_EQ(decoded.contents.partitionKind, "exFAT");
    EXPECT_EQ(decoded.contents.files.size(),
              static_cast<std::size_t>(run.context.catalogue.EntryTable.count()));

    ExfatRecovery later(run);
    ASSERT_EQ(LoadRecoveryLog(log, later.context, later.prompter), LogLoadOutcome::Loaded);
    EXPECT_EQ(later.context.activeLayout, run.context.activeLayout);
    EXPECT_EQ(later.FolderPaths(), run.FolderPaths());
    EXPECT_EQ(later.ListRows(), rows);  // names, sizes, dates and times, deleted marks

    test::TempFolder out;
    const ExfatRecovery::Saved saved = later.SaveEverything(out.path);
    ExpectEveryFixtureFileSaved(saved);
    EXPECT_EQ(saved.summary.uncertain, (std::vector<std::string>{"Photos\\frag-deleted.bin"}));
    EXPECT_TRUE(run.image->unchanged());
}

// The geometry the layout carries gives the same volume as the boot sector,
// for sectors larger than 512 bytes and a heap that starts closer to the
// volume start than two clusters.
TEST(ExfatLayout, TheLayoutDescribesTheVolumeItsBootSectorDoes) {
    ExfatBootSector boot;
    boot.bytesPerSectorShift = 12;    // 4096-byte sectors
    boot.sectorsPerClusterShift = 5;  // 128 KiB clusters: 256 disk sectors
    boot.fatOffset = 24;
    boot.fatLength = 8;
    boot.clusterHeapOffset = 40;  // 320 disk sectors: less than two clusters
    boot.clusterCount = 1000;
    boot.rootCluster = 4;
    boot.numberOfFats = 2;
    boot.volumeLength = 40 + 1000 * 32;
    const std::uint64_t start = 2048;
    FatLayout layout;
    std::string reason;
    ASSERT_TRUE(StoreExfatGeometry(start, boot, layout, reason)) << reason;
    EXPECT_EQ(layout.kind, VolumeKind::Exfat);
    EXPECT_EQ(layout.sectorsPerCluster, 256u);
    EXPECT_EQ(layout.firstFat, start + 24 * 8);
    EXPECT_EQ(layout.secondFat, layout.firstFat + 64);

    const DiskReader nothing;
    const ExfatVolume direct(nothing, start, boot);
    const std::unique_ptr<ExfatVolume> rebuilt = OpenExfatVolume(nothing, layout);
    ASSERT_NE(rebuilt, nullptr);
    for (const std::uint32_t cluster : {2u, 3u, 500u, 1001u})
        EXPECT_EQ(rebuilt->clusterDiskByte(cluster), direct.clusterDiskByte(cluster)) << cluster;
    EXPECT_EQ(rebuilt->boot().clusterCount, 1000u);
    EXPECT_EQ(rebuilt->boot().rootCluster, 4u);
    EXPECT_EQ(rebuilt->clusterBytes(), direct.clusterBytes());

    // A volume past what 32-bit sector numbers reach is refused with a reason.
    EXPECT_FALSE(StoreExfatGeometry(std::uint64_t{1} << 32, boot, layout, reason));
    EXPECT_NE(reason.find("beyond"), std::string::npos);
}

TEST(ExfatLayout, FieldsThatAreNoExfatGeometryOpenNoVolume) {
    FatLayout good;
    good.kind = VolumeKind::Exfat;
    good.sectorsPerCluster = 8;
    good.rootSectors = 100;  // cluster count
    good.rootStart = 4;
    good.reservedSectors = 24;
    good.firstFat = 24;
    good.sectorsPerFat = 8;
    good.cluster0Start = 48;
    const DiskReader nothing;
    ASSERT_NE(OpenExfatVolume(nothing, good), nullptr);

    const auto refused = [&](auto change) {
        FatLayout layout = good;
        change(layout);
        std::string reason;
        const bool opened = OpenExfatVolume(nothing, layout, &reason) != nullptr;
        return !opened && !reason.empty();
    };
    EXPECT_TRUE(refused([](FatLayout& l) { l.kind = VolumeKind::Fat32; }));
    EXPECT_TRUE(refused([](FatLayout& l) { l.sectorsPerCluster = 0; }));
    EXPECT_TRUE(refused([](FatLayout& l) { l.sectorsPerCluster = 12; }));
    EXPECT_TRUE(refused([](FatLayout& l) { l.sectorsPerCluster = 1u << 17; }));
    EXPECT_TRUE(refused([](FatLayout& l) { l.rootSectors = 0; }));
    EXPECT_TRUE(refused([](FatLayout& l) { l.rootSectors = 0xFFFFFFF6; }));
    EXPECT_TRUE(refused([](FatLayout& l) { l.reservedSectors = 25; }));
    EXPECT_TRUE(refused([](FatLayout& l) { l.rootStart = 1; }));
    EXPECT_TRUE(refused([](FatLayout& l) { l.rootStart = 102; }));
    EXPECT_TRUE(refused([](FatLayout& l) { l.firstFat = 4000; }));  // heap before the volume
}

TEST(ExfatAdvanceSearch, AVolumeRebuiltWithoutBothBootRegionsSavesItsFilesBitExact) {
    ExfatRecovery intact(Fixture("exfat"));
    ASSERT_TRUE(intact.Standard().foundAnything);

    ExfatRecovery run(FixtureWithoutBootRegions("exfat"));
    ASSERT_TRUE(run.AdvanceFirstVolume().foundAnything);
    // The clusters lie where the boot sector put them; the FAT's offset and
    // length are inferred, so only where the FAT starts is compared.
    const FatLayout& rebuilt = run.context.activeLayout;
    const FatLayout& booted = intact.context.activeLayout;
    EXPECT_EQ(rebuilt.kind, VolumeKind::Exfat);
    EXPECT_EQ(rebuilt.sectorsPerCluster, booted.sectorsPerCluster);
    EXPECT_EQ(rebuilt.cluster0Start, booted.cluster0Start);
    EXPECT_EQ(rebuilt.rootSectors, booted.rootSectors);
    EXPECT_EQ(rebuilt.rootStart, booted.rootStart);
    EXPECT_EQ(rebuilt.firstFat, booted.firstFat);
    EXPECT_EQ(run.FolderPaths(), intact.FolderPaths());

    test::TempFolder out;
    const ExfatRecovery::Saved saved = run.SaveEverything(out.path);
    EXPECT_EQ(saved.summary.ending, SaveEnding::Finished);
    EXPECT_EQ(saved.summary.filesFailed, 0u);
    EXPECT_TRUE(saved.summary.incomplete.empty());
    ExpectEveryFixtureFileSaved(saved);
    EXPECT_TRUE(run.image->unchanged());
}

TEST(ExfatAdvanceSearch, TheRebuiltVolumesLostFolderScanCountsItsClustersOncePerPercent) {
    ExfatRecovery run(FixtureWithoutBootRegions("exfat-reformatted"));
    ASSERT_TRUE(run.AdvanceFirstVolume().foundAnything);
    // The total is the cluster count of the volume as rebuilt.
    const std::optional<ExfatRebuiltVolume> rebuilt =
        ReadExfatVolumeRow(run.context.catalogue.VolumeTable, 0);
    ASSERT_TRUE(rebuilt.has_value());
    const std::uint64_t clusters = rebuilt->boot.clusterCount;
    const std::vector<std::string>& statuses = run.observer.statuses;
    const auto linking = std::find(statuses.begin(), statuses.end(), kLinkingStatus);
    ASSERT_NE(linking, statuses.end());
    const std::vector<std::string> shown =
        ClusterStatuses(std::vector<std::string>(linking, statuses.end()));
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), ClustersOf(clusters, clusters));
    EXPECT_LE(shown.size(), 101u);  // one per percent
    EXPECT_EQ(std::set<std::string>(shown.begin(), shown.end()).size(), shown.size());
    EXPECT_EQ(statuses.back(), kStoringStatus);
    EXPECT_TRUE(run.image->unchanged());
}

}  // namespace
}  // namespace datrevo
