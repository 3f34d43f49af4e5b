// The Standard walk of the exFAT fixtures: every file and folder of the
// manifest, live and deleted, with its size, date and content; the
// catalogue and tree made from it; loops and unreadable sectors.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "browse/folder_tree.h"
#include "catalogue/catalogue.h"
#include "exfat/exfat_catalogue.h"
#include "exfat/exfat_content.h"
#include "exfat/exfat_lost_folders.h"
#include "exfat/exfat_walk.h"
#include "exfat_test_support.h"
#include "support/faulty_source.h"
#include "support/manifest.h"

namespace datrevo {
namespace {

using test::ExfatReaderFor;
using test::FixtureImage;
using test::OpenExfatVolume;

struct Listed {
    const ExfatItem* item;
    std::string path;
};

// Every item of the listing by its path from the root.
std::map<std::string, Listed> ByPath(const ExfatListing& listing) {
    std::map<std::uint32_t, std::string> folderPath{{kExfatRootNumber, ""}};
    // Breadth-first: a folder comes after its parent in the listing.
    for (const ExfatItem& folder : listing.folders)
        folderPath.try_emplace(folder.set.firstCluster,
                               folderPath[folder.parent] + folder.set.name + "/");
    std::map<std::string, Listed> out;
    for (const ExfatItem& folder : listing.folders) {
        const std::string path = folderPath[folder.parent] + folder.set.name;
        out[path] = {&folder, path};
    }
    for (const ExfatItem& file : listing.files) {
        const std::string path = folderPath[file.parent] + file.set.name;
        out[path] = {&file, path};
    }
    return out;
}

std::vector<std::uint8_t> Content(const ExfatVolume& volume, const ExfatEntrySet& set,
                                  ExfatContentRead* read = nullptr) {
    std::vector<std::uint8_t> out;
    const ExfatContentRead r =
        ReadExfatFileContent(volume, set, [&](std::span<const std::uint8_t> piece) {
            out.insert(out.end(), piece.begin(), piece.end());
            return true;
        });
    if (read) *read = r;
    return out;
}

class ExfatWalk : public ::testing::Test {
protected:
    void SetUp() override {
        image = FixtureImage("exfat");
        disk = ExfatReaderFor(*image);
        volume = OpenExfatVolume(disk);
        ASSERT_NE(volume, nullptr);
        listing = WalkExfatVolume(*volume);
        items = ByPath(listing);
    }

    std::unique_ptr<test::ImageCopy> image;
    DiskReader disk;
    std::unique_ptr<ExfatVolume> volume;
    ExfatListing listing;
    std::map<std::string, Listed> items;
};

TEST_F(ExfatWalk, ListsEveryManifestRowLiveAndDeletedWithItsSize) {
    EXPECT_TRUE(listing.bitmapLoaded);
    EXPECT_EQ(listing.volumeLabel, "DATREVO-EX");
    EXPECT_EQ(listing.damagedSets, 0u);
    std::set<std::string> expected;
    for (const test::ManifestRow& row : test::ManifestRows("exfat")) {
        expected.insert(row.path);
        const auto found = items.find(row.path);
        ASSERT_NE(found, items.end()) << row.path;
        const ExfatEntrySet& set = found->second.item->set;
        EXPECT_EQ(set.isDirectory(), row.kind == "dir") << row.path;
        EXPECT_EQ(set.deleted, row.deleted) << row.path;
        if (row.kind == "file") {
            EXPECT_EQ(set.dataLength, row.size) << row.path;
        }
    }
    std::set<std::string> listed;
    for (const auto& [path, item] : items) listed.insert(path);
    EXPECT_EQ(listed, expected);
}

TEST_F(ExfatWalk, ContiguousAndChainedFilesAreTold) {
    EXPECT_TRUE(items.at("Docs/readme.txt").item->set.noFatChain);
    EXPECT_FALSE(items.at("Photos/fragmented.jpg").item->set.noFatChain);
    EXPECT_FALSE(items.at("Photos/frag-deleted.bin").item->set.noFatChain);
    // The folder of 40 files spans more than one 4 KiB cluster.
    EXPECT_GT(items.at("Many").item->set.dataLength, 4096u);
}

TEST_F(ExfatWalk, ModificationTimesWithTheirWholeSeconds) {
    for (const auto& [path, listed] : items) {
        const ExfatEntrySet& set = listed.item->set;
        if (set.isDirectory() || set.deleted) continue;
        std::int64_t unix = 0;
        ASSERT_TRUE(ExfatTimeToUnix(set.modified, unix)) << path;
        // 2022-11-30 23:59:58 UTC, else 2021-03-04 05:06:07 UTC (an odd second: in the 10 ms part)
        EXPECT_EQ(unix, path == "Docs/readme.txt" ? 1669852798 : 1614834367) << path;
    }
    const ExfatTime& odd = items.at("tail.txt").item->set.modified;
    EXPECT_EQ(odd.second(), 7);
    EXPECT_EQ(odd.tenMs, 100);
}

TEST_F(ExfatWalk, LiveFilesReadBitExact) {
    std::map<std::string, std::vector<std::uint8_t>> contents;
    std::map<std::string, std::string> want;
    for (const test::ManifestRow& row : test::ManifestRows("exfat", "file")) {
        if (row.deleted) continue;
        ExfatContentRead read;
        contents[row.path] = Content(*volume, items.at(row.path).item->set, &read);
        EXPECT_TRUE(read.complete) << row.path;
        EXPECT_FALSE(read.mayBeIncomplete) << row.path;
        want[row.path] = row.md5;
    }
    EXPECT_EQ(test::Md5Of(contents), want);
}

TEST_F(ExfatWalk, DeletedFilesReadFromTheirClustersOrTheFreeOnes) {
    std::map<std::string, std::vector<std::uint8_t>> contents;
    std::map<std::string, std::string> want;
    for (const test::ManifestRow& row : test::ManifestRows("exfat", "file")) {
        if (!row.deleted) continue;
        ExfatContentRead read;
        contents[row.path] = Content(*volume, items.at(row.path).item->set, &read);
        EXPECT_TRUE(read.complete) << row.path;
        // Only the file that had a FAT chain is read over free clusters.
        EXPECT_EQ(read.mayBeIncomplete, row.path == "Photos/frag-deleted.bin") << row.path;
        want[row.path] = row.md5;
    }
    // Nothing was written after the deletions: every deleted file is intact.
    EXPECT_EQ(test::Md5Of(contents), want);
}

TEST_F(ExfatWalk, CatalogueAndTreeAsTheFatEngineGivesThem) {
    Catalogue catalogue;
    FolderTree tree;
    tree.createStage(kStageResults, 0);
    ASSERT_TRUE(StoreExfatListing(listing, catalogue, tree));
    std::map<std::string, bool> folders;
    for (const FolderNode& node : tree.nodes()) {
        std::string path = tree.FolderPath(node.treeItem);
        for (char& c : path)
            if (c == '\\') c = '/';
        folders[path] = node.deleted;
    }
    std::map<std::string, bool> expected;
    for (const test::ManifestRow& row : test::ManifestRows("exfat", "dir"))
        expected[row.path] = row.deleted;
    EXPECT_EQ(folders, expected);

    const std::ptrdiff_t docs = tree.nodes().firstBySelf(items.at("Docs").item->set.firstCluster);
    ASSERT_GE(docs, 0);
    std::vector<FileRow> rows;
    FillExfatFileRows(rows, catalogue.EntryTable,
                      tree.nodes()[static_cast<std::size_t>(docs)].selfNumber);
    std::map<std::string, std::vector<std::string>> shown;
    for (const FileRow& row : rows)
        shown[row[file_col::Name]] = {row[file_col::Size], row[file_col::Date], row[file_col::Time],
                                      row.deleted ? "deleted" : "live"};
    EXPECT_EQ(shown["readme.txt"],
              (std::vector<std::string>{"10000", "30-NOV-2022", "23:59", "live"}));
    EXPECT_EQ(shown["old notes.txt"],
              (std::vector<std::string>{"12000", "04-MAR-2021", "05:06", "deleted"}));
    EXPECT_EQ(shown.size(), 3u);
}

// Bytes of the fixture with one entry set of the root rewritten.
class ExfatCrafted : public ::testing::Test {
protected:
    void SetUp() override {
        bytes = test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/exfat.img.gz");
        const auto image = FixtureImage("exfat");
        const DiskReader reader = ExfatReaderFor(*image);
        volume = OpenExfatVolume(reader);
        ASSERT_NE(volume, nullptr);
        rootByte = volume->clusterDiskByte(volume->boot().rootCluster);
    }

    // Offset in `bytes` of the root's set named `name`.
    std::size_t RootSet(const std::string& name) {
        for (std::size_t at = rootByte; at < rootByte + 4096; at += 32) {
            const ExfatSetDecode d = DecodeExfatEntrySet(
                std::span<const std::uint8_t>(bytes).subspan(at, rootByte + 4096 - at));
            if (d.outcome == ExfatDecode::Decoded && d.set.name == name) return at;
        }
        ADD_FAILURE() << name;
        return 0;
    }
    void SetFirstCluster(std::size_t set, std::uint32_t cluster) {
        SetStreamField(set, 20, 4, cluster);
    }
    // Writes a field of the set's Stream Extension entry and seals the set again.
    void SetStreamField(std::size_t set, std::size_t offset, int width, std::uint64_t value) {
        for (int i = 0; i < width; ++i)
            bytes[set + 32 + offset + static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>(value >> (8 * i));
        const std::size_t length = (std::size_t{bytes[set + 1]} + 1) * 32;
        const std::uint16_t sum =
            ExfatSetChecksum(std::span<const std::uint8_t>(bytes).subspan(set, length));
        bytes[set + 2] = static_cast<std::uint8_t>(sum);
        bytes[set + 3] = static_cast<std::uint8_t>(sum >> 8);
    }

    std::vector<std::uint8_t> bytes;
    std::unique_ptr<ExfatVolume> volume;
    std::uint64_t rootByte = 0;
};

TEST_F(ExfatCrafted, PastValidDataLengthTheFileReadsAsZeros) {
    const ExfatListing original = WalkExfatVolume(*volume);
    const std::vector<std::uint8_t> whole =
        Content(*volume, ByPath(original).at("tail.txt").item->set);
    ASSERT_EQ(whole.size(), 2500u);
    SetStreamField(RootSet("tail.txt"), 8, 8, 1000);  // ValidDataLength
    const auto image = test::CraftedImage(bytes);
    const DiskReader reader = ExfatReaderFor(*image);
    auto crafted = OpenExfatVolume(reader);
    const ExfatListing listing = WalkExfatVolume(*crafted);
    ExfatContentRead read;
    const std::vector<std::uint8_t> content =
        Content(*crafted, ByPath(listing).at("tail.txt").item->set, &read);
    EXPECT_TRUE(read.complete);
    ASSERT_EQ(content.size(), 2500u);
    EXPECT_TRUE(std::equal(content.begin(), content.begin() + 1000, whole.begin()));
    EXPECT_TRUE(
        std::all_of(content.begin() + 1000, content.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST_F(ExfatCrafted, DeletedFileOverClustersNowInUseMayBeIncomplete) {
    const ExfatListing original = WalkExfatVolume(*volume);
    const ExfatEntrySet old = ByPath(original).at("Docs/old notes.txt").item->set;
    ASSERT_TRUE(old.noFatChain);
    // The bitmap (cluster 2) marks the deleted file's last cluster in use.
    const std::uint32_t last = old.firstCluster + 2;
    bytes[volume->clusterDiskByte(2) + (last - 2) / 8] |=
        static_cast<std::uint8_t>(1u << ((last - 2) % 8));
    const auto image = test::CraftedImage(bytes);
    const DiskReader reader = ExfatReaderFor(*image);
    auto crafted = OpenExfatVolume(reader);
    const ExfatListing listing = WalkExfatVolume(*crafted);
    ExfatContentRead read;
    Content(*crafted, ByPath(listing).at("Docs/old notes.txt").item->set, &read);
    EXPECT_TRUE(read.mayBeIncomplete);
    ExfatContentRead before;
    Content(*volume, old, &before);
    EXPECT_FALSE(before.mayBeIncomplete);
}

TEST_F(ExfatCrafted, AStoppedWalkSaysSo) {
    std::stop_source stop;
    stop.request_stop();
    const ExfatListing listing = WalkExfatVolume(*volume, stop.get_token());
    EXPECT_TRUE(listing.stopped);
    EXPECT_TRUE(listing.files.empty());
}

TEST_F(ExfatCrafted, FolderNamingTheRootIsListedNotEnteredAgain) {
    SetFirstCluster(RootSet("Docs"), volume->boot().rootCluster);
    const auto image = test::CraftedImage(bytes);
    const DiskReader reader = ExfatReaderFor(*image);
    auto crafted = OpenExfatVolume(reader);
    const ExfatListing listing = WalkExfatVolume(*crafted);
    const auto items = ByPath(listing);
    EXPECT_EQ(items.count("Docs"), 1u);
    EXPECT_EQ(items.count("Docs/readme.txt"), 0u);
    EXPECT_EQ(items.count("Music/Café del Mar/Привет.mp3"), 1u);
}

TEST_F(ExfatCrafted, RootChainLoopingOnItselfEnds) {
    // The root's FAT entry points back at the root.
    const std::uint32_t root = volume->boot().rootCluster;
    const std::size_t fatByte = std::size_t{volume->boot().fatOffset} * 512 + root * 4;
    for (int i = 0; i < 4; ++i)
        bytes[fatByte + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(root >> (8 * i));
    const auto image = test::CraftedImage(bytes);
    const DiskReader reader = ExfatReaderFor(*image);
    auto crafted = OpenExfatVolume(reader);
    const ExfatClusterList chain = ExfatFatChain(*crafted, root, 1000);
    EXPECT_EQ(chain.clusters, 1u);
    EXPECT_FALSE(chain.complete);
    const ExfatListing listing = WalkExfatVolume(*crafted);
    EXPECT_EQ(ByPath(listing).count("Docs/readme.txt"), 1u);
}

TEST_F(ExfatCrafted, HugeLengthsReadNothingInsteadOfEndlessZeros) {
    const std::size_t set = RootSet("tail.txt");
    for (int i = 0; i < 8; ++i)
        bytes[set + 32 + 24 + static_cast<std::size_t>(i)] = 0x7F;  // DataLength
    SetFirstCluster(set, 2);
    const auto image = test::CraftedImage(bytes);
    const DiskReader reader = ExfatReaderFor(*image);
    auto crafted = OpenExfatVolume(reader);
    const ExfatListing listing = WalkExfatVolume(*crafted);
    const ExfatEntrySet& tail = ByPath(listing).at("tail.txt").item->set;
    ExfatContentRead read;
    const std::vector<std::uint8_t> content = Content(*crafted, tail, &read);
    EXPECT_FALSE(read.complete);
    EXPECT_TRUE(content.empty());
}

TEST(ExfatFaultyMedium, UnreadableDirectoryLosesOnlyWhatItHeld) {
    std::vector<std::uint8_t> bytes =
        test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/exfat.img.gz");
    auto source = std::make_shared<test::FaultySource>(bytes);
    const DiskReader healthy(std::make_shared<MemorySource>(bytes), nullptr);
    auto probe = OpenExfatVolume(healthy);
    ASSERT_NE(probe, nullptr);
    const ExfatListing healthyListing = WalkExfatVolume(*probe);
    const auto healthyItems = ByPath(healthyListing);
    // Every sector of the Many folder's first cluster fails.
    const std::uint64_t first =
        probe->clusterDiskByte(healthyItems.at("Many").item->set.firstCluster) / 512;
    for (std::uint64_t s = first; s < first + 8; ++s) source->badSectors.insert(s);
    const DiskReader faulty(source, nullptr);
    auto volume = OpenExfatVolume(faulty);
    ASSERT_NE(volume, nullptr);
    const ExfatListing listing = WalkExfatVolume(*volume);
    const auto items = ByPath(listing);
    EXPECT_EQ(items.count("Docs/readme.txt"), 1u);
    EXPECT_EQ(items.count("Trash Folder/Inner/c.txt"), 1u);
    EXPECT_LT(items.size(), healthyItems.size());
}

TEST(ExfatReformatted, TheNewTreeIsListedAndTheEarlierOneIsNot) {
    const auto image = FixtureImage("exfat-reformatted");
    const DiskReader disk = ExfatReaderFor(*image);
    auto volume = OpenExfatVolume(disk);
    ASSERT_NE(volume, nullptr);
    const ExfatListing listing = WalkExfatVolume(*volume);
    const auto items = ByPath(listing);
    EXPECT_EQ(listing.volumeLabel, "LATER");
    ASSERT_EQ(items.count("new.txt"), 1u);
    EXPECT_EQ(items.at("new.txt").item->set.dataLength, 2000u);
    EXPECT_EQ(items.count("Old Folder"), 0u);
}

}  // namespace
}  // namespace datrevo

namespace datrevo {
namespace {

// The folders of a tree as "A/B" paths.
std::set<std::string> TreePaths(const FolderTree& tree) {
    std::set<std::string> out;
    for (const FolderNode& node : tree.nodes()) {
        std::string path = tree.FolderPath(node.treeItem);
        for (char& c : path)
            if (c == '\\') c = '/';
        out.insert(path);
    }
    return out;
}

TEST(ExfatLostFolders, QuickFormatGivesBackTheEarlierFoldersWithTheirContents) {
    const auto image = FixtureImage("exfat-reformatted");
    const DiskReader disk = ExfatReaderFor(*image);
    auto volume = OpenExfatVolume(disk);
    ASSERT_NE(volume, nullptr);
    ExfatListing listing = WalkExfatVolume(*volume);
    const ExfatLostScan scan = FindExfatLostFolders(*volume, listing);
    EXPECT_EQ(scan.clustersScanned, volume->boot().clusterCount);
    EXPECT_FALSE(scan.stopped);

    Catalogue catalogue;
    FolderTree tree;
    tree.createStage(kStageResults, 0);
    ASSERT_TRUE(StoreExfatListing(listing, catalogue, tree));
    // The old root was overwritten by the new one: its folders are unnamed
    // under the catch-all; below them every name is back.
    const std::set<std::string> paths = TreePaths(tree);
    std::set<std::string> tails;
    int tops = 0;
    for (const std::string& path : paths) {
        if (path == "Miscellaneous_001") continue;
        ASSERT_EQ(path.rfind("Miscellaneous_001/", 0), 0u) << path;
        const std::string below = path.substr(std::string("Miscellaneous_001/").size());
        const auto slash = below.find('/');
        if (slash == std::string::npos) {
            EXPECT_EQ(below.rfind("Dir", 0), 0u) << below;
            ++tops;
        } else {
            tails.insert(below.substr(slash + 1));
        }
    }
    EXPECT_EQ(tops, 2);
    EXPECT_EQ(tails, (std::set<std::string>{"Sub", "Sub/Deeper"}));

    // Every earlier file is found by its name, with its content, but the
    // first one: the new file took its cluster, and the old root its entry.
    std::map<std::string, const ExfatItem*> byName;
    for (const ExfatItem& file : listing.files) byName[file.set.name] = &file;
    std::map<std::string, std::vector<std::uint8_t>> contents;
    std::map<std::string, std::string> want;
    for (const test::ManifestRow& row : test::ManifestRows("exfat-reformatted", "old-file")) {
        if (row.path == "Old first.txt") continue;
        const std::string name = row.path.substr(row.path.rfind('/') + 1);
        ASSERT_EQ(byName.count(name), 1u) << row.path;
        EXPECT_EQ(byName[name]->set.dataLength, row.size);
        contents[row.path] = Content(*volume, byName[name]->set);
        want[row.path] = row.md5;
    }
    EXPECT_EQ(test::Md5Of(contents), want);
}

TEST(ExfatLostFolders, NothingLostOnAVolumeWhoseFoldersAreAllReached) {
    const auto image = FixtureImage("exfat");
    const DiskReader disk = ExfatReaderFor(*image);
    auto volume = OpenExfatVolume(disk);
    ASSERT_NE(volume, nullptr);
    ExfatListing listing = WalkExfatVolume(*volume);
    const std::size_t folders = listing.folders.size(), files = listing.files.size();
    const ExfatLostScan scan = FindExfatLostFolders(*volume, listing);
    EXPECT_EQ(scan.foldersFound, 0u);
    EXPECT_EQ(listing.folders.size(), folders);
    EXPECT_EQ(listing.files.size(), files);
}

TEST(ExfatLostFolders, StopEndsTheScan) {
    const auto image = FixtureImage("exfat-reformatted");
    const DiskReader disk = ExfatReaderFor(*image);
    auto volume = OpenExfatVolume(disk);
    ExfatListing listing = WalkExfatVolume(*volume);
    std::stop_source stop;
    stop.request_stop();
    const ExfatLostScan scan = FindExfatLostFolders(*volume, listing, stop.get_token());
    EXPECT_TRUE(scan.stopped);
    EXPECT_EQ(scan.foldersFound, 0u);
}

}  // namespace
}  // namespace datrevo
