// The Advance search on exFAT, through the search phases of a recovery
// context: the volume found from its boot sector, or inferred from its
// directory clusters when both boot regions are gone (its cluster size,
// heap, root and FAT equal to the real ones, its files listed and read as
// the intact volume's); no volume where there is no exFAT; hostile links.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "catalogue/catalogue.h"
#include "exfat/exfat_advance_search.h"
#include "exfat/exfat_catalogue.h"
#include "exfat/exfat_content.h"
#include "exfat/exfat_geometry_inference.h"
#include "exfat/exfat_walk.h"
#include "exfat_test_support.h"
#include "search/notices.h"
#include "search/search_phases.h"
#include "support/faulty_source.h"
#include "support/manifest.h"
#include "support/recording_observer.h"

namespace datrevo {
namespace {

constexpr std::size_t kSector = 512;

std::vector<std::uint8_t> ExfatBytes() {
    return test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/exfat.img.gz");
}

// The real parameters, from the intact boot sector.
ExfatBootSector RealBoot() {
    const std::vector<std::uint8_t> bytes = ExfatBytes();
    const ExfatBootDecode decoded =
        DecodeExfatBootSector(std::span<const std::uint8_t>(bytes.data(), kSector));
    EXPECT_EQ(decoded.outcome, ExfatDecode::Decoded);
    return decoded.boot;
}

void Zero(std::vector<std::uint8_t>& bytes, std::uint64_t firstSector, std::uint64_t sectors) {
    std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(firstSector * kSector),
              bytes.begin() + static_cast<std::ptrdiff_t>((firstSector + sectors) * kSector), 0);
}

using Listed = std::set<std::tuple<std::string, std::string, bool>>;  // path, size, deleted

// Every folder and file of a stored result by its path.
Listed ResultPaths(const Catalogue& catalogue, const FolderTree& tree) {
    Listed out;
    std::map<std::uint32_t, std::string> folderPath{{kExfatRootNumber, ""}};
    for (const FolderNode& node : tree.nodes()) {
        std::string path = tree.FolderPath(node.treeItem);
        for (char& c : path)
            if (c == '\\') c = '/';
        folderPath.try_emplace(node.selfNumber, path);
        out.insert({path, "folder", node.deleted});
    }
    const CatalogueTable& entries = catalogue.EntryTable;
    for (int row = 0; row < entries.count(); ++row) {
        const std::string& parent = folderPath[entries.cellUnsigned(row, folder_col::Parent)];
        out.insert({(parent.empty() ? "" : parent + "/") + entries.cell(row, folder_col::Name),
                    entries.cell(row, folder_col::Size),
                    entries.cell(row, folder_col::Deleted) == "1"});
    }
    return out;
}

class ExfatAdvance : public ::testing::Test {
protected:
    void Open(const std::vector<std::uint8_t>& bytes) {
        image = test::CraftedImage(bytes);
        context.slots.assign(0, image->path());
        context.currentDisk.totalSectors64 = bytes.size() / kSector;
        context.currentDisk.modelText = "Crafted Card";
    }

    SearchOutcome Advance(std::uint64_t start, std::uint64_t end, std::stop_token stop = {}) {
        context.search = {SearchMode::Advance, 0,     0,  VolumeKind::Exfat,
                          "Advance Search",    start, end};
        return RunPartitionSearch(context, stop);
    }

    std::string VolumeCell(int column, int row = 0) const {
        return context.catalogue.VolumeTable.cell(row, column);
    }

    // The volume of VolumeTable row `row` as the recovery rebuilds it, walked.
    std::unique_ptr<ExfatVolume> Rebuilt(int row = 0) {
        const std::optional<ExfatRebuiltVolume> rebuilt =
            ReadExfatVolumeRow(context.catalogue.VolumeTable, row);
        if (!rebuilt) return nullptr;
        return std::make_unique<ExfatVolume>(context.selectedDisk(), rebuilt->start, rebuilt->boot);
    }

    test::RecordingObserver observer;
    test::ScriptedPrompter prompter;
    RecoveryContext context{observer, prompter};
    std::unique_ptr<test::ImageCopy> image;
};

// What the intact fixture lists, from its own boot region.
Listed IntactListing() {
    const auto image = test::FixtureImage("exfat");
    const DiskReader disk = test::ExfatReaderFor(*image);
    const std::unique_ptr<ExfatVolume> volume = test::OpenExfatVolume(disk);
    EXPECT_NE(volume, nullptr);
    if (!volume) return {};
    const ExfatListing listing = WalkExfatVolume(*volume);
    Catalogue catalogue;
    FolderTree tree;
    tree.createStage(kStageResults, 0);
    StoreExfatListing(listing, catalogue, tree);
    return ResultPaths(catalogue, tree);
}

TEST_F(ExfatAdvance, BothBootRegionsGoneTheVolumeIsInferredWithItsRealGeometry) {
    const ExfatBootSector real = RealBoot();
    std::vector<std::uint8_t> bytes = ExfatBytes();
    Zero(bytes, 0, 24);
    Open(bytes);
    const SearchOutcome outcome = Advance(0, bytes.size() / kSector);
    ASSERT_EQ(outcome.volumesFound, 1);
    EXPECT_EQ(context.catalogue.BootRecordTable.count(), 0);
    const std::uint64_t spc = real.sectorsPerCluster();
    EXPECT_EQ(VolumeCell(boot_col::Sector), "0");  // inferred: no boot sector
    EXPECT_EQ(VolumeCell(boot_col::Spc), std::to_string(spc));
    EXPECT_EQ(VolumeCell(boot_col::Cluster0Start),
              std::to_string(real.clusterHeapOffset - 2 * spc));
    EXPECT_EQ(VolumeCell(boot_col::RootStart), std::to_string(real.rootCluster));
    EXPECT_EQ(VolumeCell(boot_col::RootSectors), std::to_string(real.clusterCount));
    EXPECT_EQ(VolumeCell(boot_col::FirstFat), std::to_string(real.fatOffset));
    EXPECT_EQ(VolumeCell(boot_col::PartType), "exFAT");
    EXPECT_EQ(context.details.at(1).value, "exFAT");
    EXPECT_EQ(observer.guides.back(), kGuideAdvanceChoose);
    // The scan's progress: its status from the first sector, its counters, the bar full.
    EXPECT_EQ(observer.statuses.front(), "Sectors  0 of 16384");
    EXPECT_GE(observer.foldersCounter, 8u);
    EXPECT_EQ(observer.bootSectorsCounter, 0u);
    EXPECT_EQ(observer.percents.back(), 100);

    const std::unique_ptr<ExfatVolume> volume = Rebuilt();
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(volume->clusterDiskByte(real.rootCluster),
              (real.clusterHeapOffset + (real.rootCluster - 2) * spc) * kSector);
    EXPECT_TRUE(volume->hasFat());
}

TEST_F(ExfatAdvance, TheInferredVolumeListsWhatTheIntactOneListsAndReadsItsFiles) {
    std::vector<std::uint8_t> bytes = ExfatBytes();
    Zero(bytes, 0, 24);
    Open(bytes);
    ASSERT_EQ(Advance(0, bytes.size() / kSector).volumesFound, 1);
    const SearchOutcome recovered = RunVolumeRecovery(context, 1);
    EXPECT_TRUE(recovered.foundAnything);
    EXPECT_EQ(context.activeLayout.kind, VolumeKind::Exfat);
    const Listed intact = IntactListing();
    EXPECT_GT(intact.size(), 50u);
    EXPECT_EQ(ResultPaths(context.catalogue, context.folders), intact);

    // Every live file reads bit-exact from the rebuilt volume.
    const std::unique_ptr<ExfatVolume> volume = Rebuilt();
    ASSERT_NE(volume, nullptr);
    const ExfatListing listing = WalkExfatVolume(*volume);
    EXPECT_TRUE(listing.bitmapLoaded);
    EXPECT_EQ(listing.volumeLabel, "DATREVO-EX");
    std::map<std::uint32_t, std::string> folderPath{{kExfatRootNumber, ""}};
    for (const ExfatItem& folder : listing.folders)
        folderPath.try_emplace(folder.set.firstCluster,
                               folderPath[folder.parent] + folder.set.name + "/");
    std::map<std::string, std::vector<std::uint8_t>> contents;
    for (const ExfatItem& file : listing.files) {
        if (file.set.deleted) continue;
        std::vector<std::uint8_t>& out = contents[folderPath[file.parent] + file.set.name];
        const ExfatContentRead read =
            ReadExfatFileContent(*volume, file.set, [&](std::span<const std::uint8_t> piece) {
                out.insert(out.end(), piece.begin(), piece.end());
                return true;
            });
        EXPECT_TRUE(read.complete) << file.set.name;
        EXPECT_FALSE(read.mayBeIncomplete) << file.set.name;
    }
    std::map<std::string, std::string> want;
    for (const test::ManifestRow& row : test::ManifestRows("exfat", "file"))
        if (!row.deleted) want[row.path] = row.md5;
    EXPECT_EQ(test::Md5Of(contents), want);
}

TEST_F(ExfatAdvance, AnIntactVolumeIsFoundByItsBootSectorAndItsBackup) {
    const ExfatBootSector real = RealBoot();
    Open(ExfatBytes());
    ASSERT_EQ(Advance(0, 16384).volumesFound, 1);
    const CatalogueTable& boots = context.catalogue.BootRecordTable;
    ASSERT_EQ(boots.count(), 2);
    EXPECT_EQ(boots.cell(0, boot_col::Sector), "0");
    EXPECT_EQ(boots.cell(1, boot_col::Sector), "12");
    // The boot sector's own FAT length, not the one the inference would give.
    EXPECT_EQ(VolumeCell(boot_col::Spf), std::to_string(real.fatLength));
    EXPECT_EQ(VolumeCell(boot_col::TotalSectors), std::to_string(real.volumeLength));
    EXPECT_EQ(VolumeCell(boot_col::ReserveSectors), std::to_string(real.fatOffset));
    ASSERT_TRUE(RunVolumeRecovery(context, 1).foundAnything);
    EXPECT_EQ(ResultPaths(context.catalogue, context.folders), IntactListing());
}

TEST_F(ExfatAdvance, ALoneBackupBootSectorPlacesTheVolumeTwelveSectorsBeforeIt) {
    std::vector<std::uint8_t> bytes = ExfatBytes();
    Zero(bytes, 0, 12);
    Open(bytes);
    ASSERT_EQ(Advance(0, bytes.size() / kSector).volumesFound, 1);
    EXPECT_EQ(VolumeCell(boot_col::Sector), "12");
    EXPECT_EQ(VolumeCell(boot_col::FirstFat), std::to_string(RealBoot().fatOffset));
    ASSERT_TRUE(RunVolumeRecovery(context, 1).foundAnything);
    EXPECT_EQ(ResultPaths(context.catalogue, context.folders), IntactListing());
}

TEST_F(ExfatAdvance, WithoutBootRegionsAndFatChainedFilesAreReadAsContiguousAndFlagged) {
    const ExfatBootSector real = RealBoot();
    std::vector<std::uint8_t> bytes = ExfatBytes();
    Zero(bytes, 0, 24);
    Zero(bytes, real.fatOffset, real.fatLength);
    Open(bytes);
    ASSERT_EQ(Advance(0, bytes.size() / kSector).volumesFound, 1);
    EXPECT_EQ(VolumeCell(boot_col::FirstFat), "0");
    EXPECT_EQ(VolumeCell(boot_col::Spf), "0");
    EXPECT_EQ(VolumeCell(boot_col::Spc), std::to_string(real.sectorsPerCluster()));
    ASSERT_TRUE(RunVolumeRecovery(context, 1).foundAnything);
    // Every folder and file is still found where it was, but for the files
    // of the one folder whose directory was not contiguous (Many: clusters
    // 10 and 60, its later files in a set that straddles the two): only those
    // of its first cluster are listed.
    const Listed listed = ResultPaths(context.catalogue, context.folders);
    for (const test::ManifestRow& row : test::ManifestRows("exfat")) {
        if (row.path.starts_with("Many/") && row.path > "Many/file 22") continue;
        EXPECT_TRUE(listed.count(
            {row.path, row.kind == "dir" ? "folder" : std::to_string(row.size), row.deleted}))
            << row.path;
    }

    const std::unique_ptr<ExfatVolume> volume = Rebuilt();
    ASSERT_NE(volume, nullptr);
    EXPECT_FALSE(volume->hasFat());
    const ExfatListing listing = WalkExfatVolume(*volume);
    for (const ExfatItem& file : listing.files) {
        if (file.set.deleted || file.set.dataLength == 0) continue;
        const ExfatContentRead read = ReadExfatFileContent(
            *volume, file.set, [](std::span<const std::uint8_t>) { return true; });
        EXPECT_EQ(read.mayBeIncomplete, !file.set.noFatChain) << file.set.name;
    }
}

TEST_F(ExfatAdvance, TwoVolumesInOneRangeTheSecondWithoutItsBootRegions) {
    const ExfatBootSector real = RealBoot();
    std::vector<std::uint8_t> bytes = ExfatBytes();
    const std::uint64_t second = bytes.size() / kSector;
    std::vector<std::uint8_t> copy = bytes;
    Zero(copy, 0, 24);
    bytes.insert(bytes.end(), copy.begin(), copy.end());
    Open(bytes);
    ASSERT_EQ(Advance(0, bytes.size() / kSector).volumesFound, 2);
    EXPECT_EQ(VolumeCell(boot_col::Sector, 0), "0");
    EXPECT_EQ(VolumeCell(boot_col::Spf, 0), std::to_string(real.fatLength));
    EXPECT_EQ(VolumeCell(boot_col::Cluster0Start, 1),
              std::to_string(second + real.clusterHeapOffset - 2 * real.sectorsPerCluster()));
    EXPECT_EQ(VolumeCell(boot_col::FirstFat, 1), std::to_string(second + real.fatOffset));
    ASSERT_TRUE(RunVolumeRecovery(context, 2).foundAnything);
    EXPECT_EQ(ResultPaths(context.catalogue, context.folders), IntactListing());
}

TEST_F(ExfatAdvance, AQuickFormattedVolumeWithoutBootRegionsGivesBackItsEarlierFolders) {
    std::vector<std::uint8_t> bytes =
        test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/exfat-reformatted.img.gz");
    const std::uint64_t sectors = bytes.size() / kSector;
    Listed intact;
    {
        Open(bytes);
        ASSERT_EQ(Advance(0, sectors).volumesFound, 1);
        ASSERT_TRUE(RunVolumeRecovery(context, 1).foundAnything);
        intact = ResultPaths(context.catalogue, context.folders);
    }
    Zero(bytes, 0, 24);
    Open(bytes);
    ASSERT_EQ(Advance(0, sectors).volumesFound, 1);
    EXPECT_EQ(VolumeCell(boot_col::Sector), "0");
    ASSERT_TRUE(RunVolumeRecovery(context, 1).foundAnything);
    EXPECT_EQ(ResultPaths(context.catalogue, context.folders), intact);
    // The earlier tree's folders below its top ones keep their names.
    std::size_t oldFolders = 0;
    for (const test::ManifestRow& row : test::ManifestRows("exfat-reformatted", "old-dir")) {
        const std::string name = row.path.substr(row.path.rfind('/') + 1);
        if (row.path.find('/') == std::string::npos) continue;
        ++oldFolders;
        EXPECT_TRUE(std::any_of(intact.begin(), intact.end(), [&](const auto& item) {
            const std::string& path = std::get<0>(item);
            return std::get<1>(item) == "folder" && path.size() >= name.size() &&
                   path.compare(path.size() - name.size(), name.size(), name) == 0;
        })) << row.path;
    }
    EXPECT_GT(oldFolders, 0u);
}

TEST_F(ExfatAdvance, AnUnreadableFolderSectorCostsOnlyThatFolder) {
    const ExfatBootSector real = RealBoot();
    std::vector<std::uint8_t> bytes = ExfatBytes();
    Zero(bytes, 0, 24);
    // Docs: the first folder of the root, its directory in cluster 6.
    const std::uint64_t docs = real.clusterHeapOffset + (6 - 2) * real.sectorsPerCluster();
    auto source = std::make_shared<test::FaultySource>(bytes);
    source->badSectors = {docs};
    context.slots.assign(0, source);
    context.currentDisk.totalSectors64 = bytes.size() / kSector;
    ASSERT_EQ(Advance(0, bytes.size() / kSector).volumesFound, 1);
    EXPECT_FALSE(observer.failures.empty());
    EXPECT_EQ(VolumeCell(boot_col::Spc), std::to_string(real.sectorsPerCluster()));
    EXPECT_EQ(VolumeCell(boot_col::RootStart), std::to_string(real.rootCluster));
    ASSERT_TRUE(RunVolumeRecovery(context, 1).foundAnything);
    const Listed listed = ResultPaths(context.catalogue, context.folders);
    EXPECT_TRUE(listed.count({"Docs", "folder", false}));
    EXPECT_FALSE(listed.count({"Docs/readme.txt", "10000", false}));
    EXPECT_TRUE(listed.count({"Music/Café del Mar/Привет.mp3", "20000", false}));
}

TEST_F(ExfatAdvance, ARootThatNamesNoFolderIsPlacedByItsUpcaseTable) {
    const ExfatBootSector real = RealBoot();
    const std::uint64_t spc = real.sectorsPerCluster();
    const std::uint64_t rootSector = real.clusterHeapOffset + (real.rootCluster - 2) * spc;
    std::vector<std::uint8_t> bytes = ExfatBytes();
    Zero(bytes, 0, 24);
    // Only the root's label, bitmap and up-case entries stay, and nothing after the root.
    std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(rootSector * kSector + 3 * 32),
              bytes.end(), 0);
    for (const bool withFat : {true, false}) {
        SCOPED_TRACE(withFat ? "with its FAT" : "without its FAT");
        if (!withFat) Zero(bytes, real.fatOffset, real.fatLength);
        Open(bytes);
        ASSERT_EQ(Advance(0, bytes.size() / kSector).volumesFound, 1);
        EXPECT_EQ(VolumeCell(boot_col::Spc), std::to_string(spc));
        EXPECT_EQ(VolumeCell(boot_col::Cluster0Start),
                  std::to_string(real.clusterHeapOffset - 2 * spc));
        EXPECT_EQ(VolumeCell(boot_col::RootStart), std::to_string(real.rootCluster));
        EXPECT_EQ(VolumeCell(boot_col::FirstFat), withFat ? std::to_string(real.fatOffset) : "0");
        ASSERT_TRUE(RunVolumeRecovery(context, 1).foundAnything);
    }
}

TEST_F(ExfatAdvance, ARangeWithoutExfatGivesNoVolume) {
    Open(test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/fat16.img.gz"));
    const SearchOutcome outcome = Advance(0, context.currentDisk.totalSectors64);
    EXPECT_EQ(outcome.volumesFound, 0);
    EXPECT_EQ(context.catalogue.VolumeTable.count(), 0);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, kAdvanceNothingFoundNotice);
    EXPECT_FALSE(RunVolumeRecovery(context, 1).foundAnything);
}

TEST_F(ExfatAdvance, AStoppedScanKeepsWhatItFound) {
    std::vector<std::uint8_t> bytes = ExfatBytes();
    Zero(bytes, 0, 24);
    Open(bytes);
    std::stop_source stop;
    stop.request_stop();
    const SearchOutcome outcome = Advance(0, bytes.size() / kSector, stop.get_token());
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(outcome.volumesFound, 0);
}

// A crafted disk: directory clusters of 1 sector from sector 64, with the
// folder links given. Clusters 2.. lie at 64, 65, ...
std::vector<std::uint8_t> LinkedClusters(
    const std::vector<std::vector<std::uint32_t>>& linksPerCluster) {
    std::vector<std::uint8_t> bytes(4096 * kSector, 0);
    for (std::size_t c = 0; c < linksPerCluster.size(); ++c) {
        std::size_t at = (64 + c) * kSector;
        int n = 0;
        for (std::uint32_t target : linksPerCluster[c]) {
            test::CraftedSet set;
            set.name = u"d" + std::u16string(1, static_cast<char16_t>(u'a' + n++));
            set.attributes = exfat_file::kAttrDirectory;
            set.firstCluster = target;
            set.dataLength = set.validDataLength = kSector;
            const std::vector<std::uint8_t> entries = set.bytes();
            std::copy(entries.begin(), entries.end(),
                      bytes.begin() + static_cast<std::ptrdiff_t>(at));
            at += entries.size();
        }
    }
    return bytes;
}

TEST_F(ExfatAdvance, LinksThatAllPointOutsideTheDiskGiveNoVolume) {
    Open(LinkedClusters({{0xFFFFFFF0u, 0xFFFFFFFFu}, {0xFFFFFFF1u, 0x7FFFFFFFu}}));
    EXPECT_EQ(Advance(0, 4096).volumesFound, 0);
}

TEST_F(ExfatAdvance, CyclicLinksAreWalkedOnce) {
    // 2 -> 3 -> 4 -> 2, and 2 names itself.
    Open(LinkedClusters({{3, 2}, {4}, {2}}));
    ASSERT_EQ(Advance(0, 4096).volumesFound, 1);
    EXPECT_EQ(VolumeCell(boot_col::Spc), "1");
    EXPECT_EQ(VolumeCell(boot_col::Cluster0Start), "62");
    EXPECT_EQ(VolumeCell(boot_col::RootStart), "0");  // no root directory found
    EXPECT_EQ(VolumeCell(boot_col::FirstFat), "0");   // nor a FAT
    const SearchOutcome recovered = RunVolumeRecovery(context, 1);
    EXPECT_TRUE(recovered.foundAnything);
    EXPECT_FALSE(recovered.stopped);
}

TEST(ExfatGeometry, TheGeometryThatExplainsMostLinksWins) {
    // Heap at 10 000, 8 sectors per cluster: clusters 5, 9, 12 at 10 024, 10 056, 10 080;
    // 10 004 is a sector that starts a set but is no folder's first.
    const std::vector<std::uint64_t> sectors{10004, 10024, 10056, 10080};
    const std::vector<std::uint32_t> links{5, 9, 12, 12, 700000};
    const std::vector<ExfatGeometryCandidate> best = InferExfatClusterGeometry(sectors, links, 4);
    ASSERT_FALSE(best.empty());
    EXPECT_EQ(best[0].sectorsPerCluster, 8u);
    EXPECT_EQ(best[0].heapStart, 10000u);
    EXPECT_EQ(best[0].linksExplained, 3u);
    // One link alone proves nothing.
    EXPECT_TRUE(InferExfatClusterGeometry(sectors, std::vector<std::uint32_t>{5}, 4).empty());
}

TEST(ExfatGeometry, HostileRowsAreNotRebuilt) {
    Catalogue catalogue;
    CatalogueTable& volumes = catalogue.VolumeTable;
    ExfatFoundVolume volume;
    volume.start = 2048;
    volume.boot.bytesPerSectorShift = 9;
    volume.boot.sectorsPerClusterShift = 3;
    volume.boot.fatLength = 13;
    volume.boot.clusterHeapOffset = 2048;
    volume.boot.clusterCount = 1536;
    volume.boot.rootCluster = 5;
    volume.boot.numberOfFats = 1;
    volume.boot.volumeLength = 2048 + 1536 * 8;
    AppendExfatVolumeRow(volumes, volume);
    const std::optional<ExfatRebuiltVolume> good = ReadExfatVolumeRow(volumes, 0);
    ASSERT_TRUE(good);
    EXPECT_EQ(good->start, 2048u);
    EXPECT_EQ(good->boot.clusterHeapOffset, 2048u);
    EXPECT_EQ(good->boot.fatLength, 13u);
    for (const auto& [column, text] :
         std::vector<std::pair<int, std::string>>{{boot_col::Spc, "3"},
                                                  {boot_col::Spc, "0"},
                                                  {boot_col::Spc, "131072"},
                                                  {boot_col::RootSectors, "0"},
                                                  {boot_col::RootSectors, "99999999999"},
                                                  {boot_col::RootStart, "1538"},
                                                  {boot_col::TotalSectors, "100"},
                                                  {boot_col::ReserveSectors, "4096"},
                                                  {boot_col::Cluster0Start, "-5"}}) {
        const int row = volumes.appendRow("0");
        for (int c = 1; c < volumes.columnCount(); ++c) volumes.setCell(row, c, volumes.cell(0, c));
        volumes.setCell(row, column, text);
        EXPECT_FALSE(ReadExfatVolumeRow(volumes, row)) << column << " " << text;
    }
    EXPECT_FALSE(ReadExfatVolumeRow(volumes, 99));
}

}  // namespace
}  // namespace datrevo
