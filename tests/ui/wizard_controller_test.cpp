// The wizard's steps driven headless on the real engine and the test images:
// disk page, partition page, the searches, the file-system page, Back from
// every page, Stop, the field checks and the recovery log.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "log/recovery_log.h"
#include "partition/partition_list.h"
#include "search/notices.h"
#include "ui/wizard_controller.h"
#include "wizard_harness.h"

namespace datrevo {
namespace {

using ui::WizardPage;
using ui::WizardStep;

std::vector<std::string> RootFolderNames(RecoveryContext& context) {
    std::vector<std::string> names;
    const TreeModel& model = context.folders.model();
    for (ItemId child : model.children(context.folders.root()))
        names.push_back(model.item(child).text);
    return names;
}

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

class Wizard : public ::testing::Test {
protected:
    // Disk 0 is `image`, chosen with `mode`; "Next" leads to the partition page.
    void ToPartitionPage(const char* image, SearchMode mode) {
        disk = test::FixtureImage(image);
        harness.start(*disk);
        wizard().selectDevice(0);
        wizard().chooseMode(mode);
        wizard().next();
        ASSERT_EQ(wizard().step(), WizardStep::Partition);
    }
    ui::WizardController& wizard() { return harness.wizard(); }

    std::unique_ptr<test::ImageCopy> disk;
    test::WizardHarness harness;
};

TEST_F(Wizard, TheDiskPageWaitsForADiskAndAMode) {
    disk = test::FixtureImage("fat16");
    harness.start(*disk);
    EXPECT_EQ(wizard().step(), WizardStep::Disk);
    EXPECT_EQ(wizard().guide(), ui::kGuideDiskPage);
    ASSERT_EQ(wizard().deviceItems().size(), 1u);
    EXPECT_FALSE(wizard().controls().nextEnabled);
    EXPECT_FALSE(wizard().controls().backEnabled);
    wizard().chooseMode(SearchMode::Standard);
    EXPECT_FALSE(wizard().controls().nextEnabled);  // no disk yet
    wizard().next();
    EXPECT_EQ(wizard().step(), WizardStep::Disk);
    wizard().selectDevice(0);
    EXPECT_TRUE(wizard().controls().nextEnabled);
    EXPECT_FALSE(wizard().details().empty());  // the disk's details
}

TEST_F(Wizard, StandardFatSearchEndsOnTheResultsWithTheSaveButtons) {
    ToPartitionPage("mbr-primary", SearchMode::Standard);
    EXPECT_EQ(wizard().guide(), ui::kGuidePartitionPage);
    ASSERT_EQ(wizard().partitionItems().size(), 3u);
    EXPECT_EQ(wizard().partitionItems()[1], PartitionItemText(2, VolumeKind::Fat32));
    EXPECT_FALSE(
        wizard().controls().typeFieldsEnabled);  // Standard: the fields are the partition's
    wizard().selectPartition(1);
    EXPECT_EQ(wizard().startField(), "10240");
    EXPECT_EQ(wizard().endField(), "79872");
    EXPECT_EQ(wizard().typeChoice(), 1);

    wizard().next();
    EXPECT_EQ(wizard().step(), WizardStep::Results);  // already while the search runs
    EXPECT_EQ(wizard().page(), WizardPage::Searching);
    EXPECT_EQ(wizard().guide(), ui::kGuideSearching);
    EXPECT_EQ(wizard().searchPage().range, "10240 to 79872");
    EXPECT_EQ(wizard().searchPage().fileSystem, "FAT32");
    EXPECT_EQ(wizard().searchPage().criteria, "Standard Search");
    EXPECT_FALSE(wizard().controls().backEnabled);
    harness.finishWorkers();

    EXPECT_EQ(wizard().page(), WizardPage::Results);
    EXPECT_TRUE(wizard().resultReady());
    EXPECT_EQ(wizard().guide(), kGuideStandardDone);
    EXPECT_TRUE(wizard().controls().saveEnabled);
    EXPECT_TRUE(wizard().controls().saveLogEnabled);
    EXPECT_TRUE(harness.prompter.messages.empty());
    // The FAT32 partition's only file lies in its root; the tree holds a root.
    EXPECT_EQ(harness.context().folders.model().item(harness.context().folders.root()).text,
              "Root");
}

TEST_F(Wizard, StandardSearchNamesTheFatFoldersOfTheTree) {
    ToPartitionPage("fat16", SearchMode::Standard);
    wizard().next();
    harness.finishWorkers();
    ASSERT_EQ(wizard().page(), WizardPage::Results);
    EXPECT_TRUE(Contains(RootFolderNames(harness.context()), "Music"));
}

// Every folder is named from its parent's directory on the recovery's
// worker, before the results page shows (not on the window's thread).
TEST_F(Wizard, AdvanceFatRecoveryNamesItsFoldersOnItsWorker) {
    ToPartitionPage("fat16", SearchMode::Advance);
    wizard().next();
    harness.finishWorkers();
    ASSERT_EQ(wizard().page(), WizardPage::FileSystems);
    EXPECT_EQ(wizard().guide(), kGuideAdvanceChoose);  // the FAT search's own text
    ASSERT_FALSE(wizard().fileSystemItems().empty());
    wizard().selectFileSystem(1);
    wizard().next();
    EXPECT_TRUE(wizard().searchRunning());
    harness.finishWorkers();
    ASSERT_EQ(wizard().page(), WizardPage::Results);
    RecoveryContext& context = harness.context();
    const TreeModel& model = context.folders.model();
    std::vector<std::string> names;
    for (ItemId id = 1; id <= model.size(); ++id) names.push_back(model.item(id).text);
    EXPECT_TRUE(Contains(names, "Music"));
    EXPECT_TRUE(Contains(names, "Artist One"));
    EXPECT_TRUE(Contains(names, "Album A"));
    EXPECT_TRUE(disk->unchanged());
}

TEST_F(Wizard, BackFromEveryStandardPage) {
    ToPartitionPage("fat16", SearchMode::Standard);
    wizard().next();
    harness.finishWorkers();
    wizard().back();  // results -> partition page
    EXPECT_EQ(wizard().step(), WizardStep::Partition);
    EXPECT_EQ(wizard().guide(), ui::kGuidePartitionPage);
    EXPECT_TRUE(wizard().controls().nextEnabled);
    EXPECT_FALSE(wizard().partitionItems().empty());
    wizard().back();  // partition page -> disk page
    EXPECT_EQ(wizard().step(), WizardStep::Disk);
    EXPECT_EQ(wizard().guide(), ui::kGuideDiskPage);
    EXPECT_FALSE(wizard().mode().has_value());
    EXPECT_FALSE(wizard().controls().nextEnabled);
    EXPECT_TRUE(wizard().controls().refreshVisible);
    wizard().back();  // nothing before the disk page
    EXPECT_EQ(wizard().step(), WizardStep::Disk);
}

TEST_F(Wizard, AdvanceNtfsSearchRecoversTheChosenFileSystem) {
    ToPartitionPage("ntfs-disk", SearchMode::Advance);
    EXPECT_TRUE(wizard().controls().typeFieldsEnabled);
    EXPECT_EQ(wizard().typeChoice(), 2);
    wizard().next();
    EXPECT_EQ(wizard().step(), WizardStep::FileSystems);
    EXPECT_EQ(wizard().searchPage().criteria, "Advance Search");
    harness.finishWorkers();

    EXPECT_EQ(wizard().page(), WizardPage::FileSystems);
    EXPECT_EQ(wizard().guide(), ui::kGuideNtfsProceed);  // not the FAT search's text
    ASSERT_FALSE(wizard().fileSystemItems().empty());
    EXPECT_EQ(wizard().fileSystemItems()[0], "File System 1 - NTFS");
    ASSERT_EQ(wizard().details().size(), 4u);
    EXPECT_EQ(wizard().details()[1].value, "NTFS");
    wizard().selectFileSystem(1);
    wizard().next();
    EXPECT_FALSE(wizard().controls().nextVisible);
    harness.finishWorkers();

    EXPECT_EQ(wizard().page(), WizardPage::Results);
    EXPECT_EQ(wizard().guide(), kGuideStandardDone);
    const auto names = RootFolderNames(harness.context());
    EXPECT_TRUE(Contains(names, "Projects"));
    EXPECT_TRUE(Contains(names, "Archive"));

    wizard().back();  // results -> file-system page
    EXPECT_EQ(wizard().step(), WizardStep::FileSystems);
    EXPECT_EQ(wizard().guide(), kGuideAdvanceChoose);
    wizard().back();  // file-system page -> partition page
    EXPECT_EQ(wizard().step(), WizardStep::Partition);
    EXPECT_EQ(wizard().guide(), ui::kGuidePartitionPage);
    wizard().back();
    EXPECT_EQ(wizard().step(), WizardStep::Disk);
}

TEST_F(Wizard, PartitionPageChecksItsFieldsAndStays) {
    ToPartitionPage("ntfs-disk", SearchMode::Advance);
    wizard().setTypeChoice(3);
    wizard().next();
    EXPECT_EQ(wizard().step(), WizardStep::Partition);
    EXPECT_EQ(wizard().guide(), ui::kGuideSelectType);
    ASSERT_EQ(harness.prompter.messages.size(), 1u);
    EXPECT_EQ(harness.prompter.messages[0].text, "Select partition type");

    wizard().setTypeChoice(2);
    wizard().setStartField("12ab");
    wizard().next();
    EXPECT_EQ(harness.prompter.messages.back().text, "Start sector is not valid");
    wizard().setStartField("2048");
    wizard().setEndField("end");
    wizard().next();
    EXPECT_EQ(harness.prompter.messages.back().text, "Ending sector is not valid");
    EXPECT_EQ(wizard().step(), WizardStep::Partition);
    EXPECT_TRUE(wizard().controls().nextEnabled);
    EXPECT_FALSE(wizard().searchRunning());
}

TEST_F(Wizard, AnExfatPartitionIsNamedAndSearched) {
    ToPartitionPage("mbr-exfat", SearchMode::Standard);
    ASSERT_EQ(wizard().partitionItems().size(), 1u);
    EXPECT_EQ(wizard().partitionItems()[0], "Partition - 1 ( exFAT )");
    wizard().selectPartition(0);
    EXPECT_EQ(wizard().typeChoice(), 4);  // "exFAT", after the four specified choices
    EXPECT_STREQ(ui::kPartitionTypeItems[4], "exFAT");
    wizard().next();
    EXPECT_EQ(wizard().step(), WizardStep::Results);
    EXPECT_EQ(wizard().searchPage().fileSystem, "exFAT");
    harness.finishWorkers();
    // An empty volume: the one nothing-found notice, no refusal.
    ASSERT_EQ(harness.prompter.messages.size(), 1u);
    EXPECT_EQ(harness.prompter.messages[0].text, kStandardNothingFoundNotice);
}

TEST_F(Wizard, AnExfatVolumeShowsItsFoldersOnTheResults) {
    ToPartitionPage("exfat", SearchMode::Standard);
    ASSERT_EQ(wizard().partitionItems().size(), 1u);
    wizard().selectPartition(0);
    wizard().next();
    harness.finishWorkers();
    ASSERT_EQ(wizard().page(), WizardPage::Results);
    EXPECT_TRUE(wizard().resultReady());
    EXPECT_TRUE(harness.prompter.messages.empty());
    const std::vector<std::string> names = RootFolderNames(harness.context());
    EXPECT_TRUE(Contains(names, "Docs"));
    EXPECT_TRUE(Contains(names, "Trash Folder"));
}

TEST_F(Wizard, APartitionPastTheEndOfACutShortImageIsSaidOnItsDetailsAndSearch) {
    // fat-two-volumes cut after 40000 of its 79872 sectors: FAT32 at 10240 of 69632 sectors.
    std::vector<std::uint8_t> bytes =
        test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/fat-two-volumes.img.gz");
    bytes.resize(40000 * 512);
    disk = test::CraftedImage(bytes);
    harness.start(*disk);
    wizard().selectDevice(0);
    wizard().chooseMode(SearchMode::Standard);
    wizard().next();
    ASSERT_EQ(wizard().step(), WizardStep::Partition);
    const std::string warning =
        "The partition extends past the end of the disk (29760 of 69632 sectors readable)";
    wizard().selectPartition(0);
    for (const DetailsRow& row : wizard().details()) EXPECT_NE(row.value, warning);
    wizard().selectPartition(1);
    ASSERT_FALSE(wizard().details().empty());
    EXPECT_EQ(wizard().details().back().value, warning);
    wizard().next();
    ASSERT_EQ(wizard().step(), WizardStep::Results);
    EXPECT_EQ(wizard().details().back().value, warning);
    harness.finishWorkers();
}

TEST_F(Wizard, ADiskWithFourKilobyteSectorsIsRefusedOnTheDiskPage) {
    // A card reader's disk in the inventory's sysfs tree, before the image.
    const std::filesystem::path card = harness.context().inventoryOptions.root / "sys/block/sdz";
    const auto write = [](const std::filesystem::path& path, const std::string& text) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << text << "\n";
    };
    write(card / "dev", "8:200");
    write(card / "removable", "1");
    write(card / "size", "62333952");
    write(card / "queue/logical_block_size", "4096");
    disk = test::FixtureImage("fat16");
    harness.start(*disk);
    ASSERT_EQ(wizard().deviceItems().size(), 2u);
    wizard().selectDevice(0);
    EXPECT_EQ(wizard().details()[3].value, "30436 MB");
    wizard().chooseMode(SearchMode::Standard);
    wizard().next();
    EXPECT_EQ(wizard().step(), WizardStep::Disk);
    ASSERT_EQ(harness.prompter.messages.size(), 1u);
    EXPECT_NE(harness.prompter.messages[0].text.find("4096-byte logical sectors"),
              std::string::npos);
    wizard().selectDevice(1);  // the image: 512-byte sectors
    wizard().next();
    EXPECT_EQ(wizard().step(), WizardStep::Partition);
}

TEST_F(Wizard, TheSearchEndsWhereTheEndFieldSaysWithinTheDisk) {
    ToPartitionPage("ntfs-disk", SearchMode::Advance);
    wizard().setStartField("2048");
    wizard().setEndField("99999999");  // past the disk's end: limited to it
    wizard().next();
    harness.finishWorkers();
    EXPECT_EQ(harness.context().search.searchStart, 2048u);
    EXPECT_EQ(harness.context().search.searchEnd, 26624u);

    wizard().back();
    wizard().setStartField("2048");
    wizard().setEndField("10240");  // the end the user set is kept
    wizard().next();
    harness.finishWorkers();
    EXPECT_EQ(harness.context().search.searchEnd, 10240u);
}

TEST_F(Wizard, AnEmptyStandardRangeShowsTheNoticeAndStays) {
    ToPartitionPage("fat16", SearchMode::Standard);
    wizard().setStartField("100");
    wizard().setEndField("100");
    wizard().next();
    EXPECT_EQ(wizard().step(), WizardStep::Partition);
    EXPECT_EQ(wizard().guide(), ui::kGuideSelectPartition);
    ASSERT_EQ(harness.prompter.messages.size(), 1u);
    EXPECT_EQ(harness.prompter.messages[0].text, kStandardNothingFoundNotice);
}

TEST_F(Wizard, StopDuringASearchKeepsWhatWasFound) {
    ToPartitionPage("fat32", SearchMode::Standard);
    wizard().next();
    wizard().stopSearch();
    harness.finishWorkers();
    EXPECT_EQ(wizard().page(), WizardPage::Results);
    EXPECT_TRUE(wizard().resultReady());
    // Stopped before its end or finished first: either way a result to save.
    EXPECT_TRUE(wizard().guide() == kGuideStopped || wizard().guide() == kGuideStandardDone);
    EXPECT_EQ(harness.context().folders.model().item(harness.context().folders.root()).text,
              "Root");
    EXPECT_TRUE(wizard().controls().saveEnabled);
}

TEST_F(Wizard, LeavingStopsTheSearchAndTheLostPartitionSearchAndWaits) {
    ToPartitionPage("fat16", SearchMode::Advance);
    wizard().searchMorePartitions();
    EXPECT_TRUE(wizard().lostPartitionSearchRunning());
    wizard().stopWorkers();  // returns once the worker has ended
    harness.finishWorkers();
    EXPECT_FALSE(wizard().lostPartitionSearchRunning());

    wizard().next();  // an Advance scan of every sector
    EXPECT_TRUE(wizard().searchRunning());
    wizard().stopWorkers();
    harness.finishWorkers();  // only the end report is left to run
    EXPECT_FALSE(wizard().searchRunning());
    EXPECT_EQ(wizard().step(), WizardStep::FileSystems);
}

TEST_F(Wizard, ALogSavedOnTheResultsLoadsOnThePartitionPage) {
    ToPartitionPage("fat16", SearchMode::Standard);
    EXPECT_FALSE(wizard().saveLog("/nonexistent/x.MPD"));  // not on the results yet
    wizard().next();
    harness.finishWorkers();
    const std::size_t folders = harness.context().folders.nodes().size();
    const auto names = RootFolderNames(harness.context());
    const auto folder = test::MakeTempDir("wizard-log");
    const std::string log = (folder / "fat16.MPD").string();
    ASSERT_TRUE(wizard().saveLog(log));

    wizard().back();
    ASSERT_EQ(wizard().step(), WizardStep::Partition);
    ASSERT_TRUE(wizard().loadLog(log));  // on a worker, behind the search page
    EXPECT_EQ(wizard().page(), WizardPage::Searching);
    EXPECT_EQ(wizard().guide(), kLogPleaseWait);
    EXPECT_FALSE(wizard().resultReady());
    harness.finishWorkers();
    EXPECT_EQ(wizard().page(), WizardPage::Results);
    EXPECT_EQ(wizard().guide(), kLogLoadedGuide);
    EXPECT_EQ(harness.context().folders.nodes().size(), folders);
    EXPECT_EQ(RootFolderNames(harness.context()), names);
    EXPECT_FALSE(wizard().loadLog(log));  // only from the partition page
    std::filesystem::remove_all(folder);
}

TEST_F(Wizard, APartitionWithoutALayoutDoesNotShowThePartitionSearchedBefore) {
    // mbr-extended with the boot sector and both FATs of partition 2 (FAT16
    // at 12288, one reserved sector, two FATs of 32) wiped.
    std::vector<std::uint8_t> bytes =
        test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/mbr-extended.img.gz");
    std::fill_n(bytes.begin() + 12288 * 512, (1 + 2 * 32) * 512, 0);
    disk = test::CraftedImage(bytes);
    harness.start(*disk);
    wizard().selectDevice(0);
    wizard().chooseMode(SearchMode::Standard);
    wizard().next();
    ASSERT_EQ(wizard().step(), WizardStep::Partition);
    ASSERT_GE(wizard().partitionItems().size(), 2u);

    wizard().selectPartition(0);
    wizard().next();
    harness.finishWorkers();
    ASSERT_TRUE(Contains(RootFolderNames(harness.context()), "Primary"));
    const auto folder = test::MakeTempDir("wizard-stale");
    const std::string log = (folder / "p1.MPD").string();
    ASSERT_TRUE(wizard().saveLog(log));

    for (bool fromLog : {false, true}) {
        wizard().back();
        ASSERT_EQ(wizard().step(), WizardStep::Partition);
        if (fromLog) {  // the log of partition 1 loaded, then partition 2 searched
            ASSERT_TRUE(wizard().loadLog(log));  // on a worker
            harness.finishWorkers();
            ASSERT_EQ(wizard().page(), WizardPage::Results);
            wizard().back();
        }
        harness.prompter.messages.clear();
        wizard().selectPartition(1);
        wizard().next();
        harness.finishWorkers();
        EXPECT_EQ(wizard().page(), WizardPage::Results);
        // Nothing found: not even the catch-all folder, which is listed only when it holds
        // something.
        EXPECT_TRUE(RootFolderNames(harness.context()).empty());
        ASSERT_FALSE(harness.prompter.messages.empty());
        EXPECT_EQ(harness.prompter.messages.back().text, kStandardNothingFoundNotice);
    }
    std::filesystem::remove_all(folder);
}

TEST_F(Wizard, ADiskWithoutPartitionTableStartsTheLostPartitionSearch) {
    disk = test::CraftedImage(std::vector<std::uint8_t>(8192 * 512));
    harness.start(*disk);
    wizard().selectDevice(0);
    wizard().chooseMode(SearchMode::Advance);
    wizard().next();
    EXPECT_EQ(wizard().step(), WizardStep::Partition);
    EXPECT_EQ(wizard().guide(), ui::kGuideCorruptedTable);
    EXPECT_TRUE(wizard().controls().stopSearchingVisible);
    EXPECT_FALSE(wizard().controls().searchMoreVisible);
    EXPECT_FALSE(wizard().controls().typeFieldsEnabled);  // the range waits for the search
    harness.finishWorkers();
    EXPECT_TRUE(wizard().controls().typeFieldsEnabled);
    // Nothing found: one item stands for the whole disk.
    EXPECT_EQ(wizard().partitionItems(), std::vector<std::string>{"Unknown Partition"});
    EXPECT_EQ(wizard().selectedPartition(), 0);
    EXPECT_FALSE(wizard().controls().stopSearchingVisible);
    EXPECT_TRUE(wizard().controls().searchMoreVisible);
    EXPECT_EQ(wizard().typeChoice(), 3);  // "UNKNOWN": nothing listed
    EXPECT_EQ(wizard().startField(), "0");
    EXPECT_EQ(wizard().endField(), "8192");
    wizard().selectPartition(0);  // the item shows the whole disk
    EXPECT_EQ(wizard().endField(), "8192");
    // Once per visit of the disk page.
    wizard().readFailureNotice();
    EXPECT_FALSE(wizard().lostPartitionSearchRunning());
}

TEST_F(Wizard, ChoosingAPartitionWaitsForTheLostPartitionSearch) {
    ToPartitionPage("mbr-primary", SearchMode::Standard);
    wizard().searchMorePartitions();
    ASSERT_TRUE(wizard().lostPartitionSearchRunning());
    // The worker appends to the partition list: nothing reads it meanwhile,
    // and nothing leaves the page.
    EXPECT_FALSE(wizard().controls().nextEnabled);
    EXPECT_FALSE(wizard().controls().backEnabled);
    EXPECT_FALSE(wizard().controls().loadLogEnabled);
    wizard().selectPartition(1);
    EXPECT_EQ(wizard().selectedPartition(), 0);
    EXPECT_EQ(wizard().startField(), "2048");
    wizard().back();
    EXPECT_EQ(wizard().step(), WizardStep::Partition);

    harness.finishWorkers();
    EXPECT_TRUE(wizard().controls().nextEnabled);
    EXPECT_TRUE(wizard().controls().backEnabled);
    EXPECT_TRUE(wizard().controls().loadLogEnabled);
    wizard().selectPartition(1);
    EXPECT_EQ(wizard().selectedPartition(), 1);
    EXPECT_EQ(wizard().startField(), "10240");
}

TEST_F(Wizard, ATableWithACorruptedEntryStartsTheLostPartitionSearch) {
    constexpr std::size_t kSectors = 8192;
    std::vector<std::uint8_t> bytes(kSectors * 512);
    const auto entry = [&](int index, std::uint8_t type, std::uint32_t first, std::uint32_t count) {
        std::uint8_t* at = bytes.data() + 446 + 16 * index;
        at[4] = type;
        for (int b = 0; b < 4; ++b) {
            at[8 + b] = static_cast<std::uint8_t>(first >> (8 * b));
            at[12 + b] = static_cast<std::uint8_t>(count >> (8 * b));
        }
    };
    entry(0, 0x06, 2048, 4096);         // a FAT16 partition
    entry(1, 0x06, 0xFFFFF000u, 4096);  // starts far beyond the disk's end
    bytes[510] = 0x55;
    bytes[511] = 0xAA;
    disk = test::CraftedImage(bytes);
    harness.start(*disk);
    wizard().selectDevice(0);
    wizard().chooseMode(SearchMode::Standard);
    wizard().next();
    EXPECT_EQ(wizard().step(), WizardStep::Partition);
    EXPECT_EQ(wizard().guide(), ui::kGuideCorruptedTable);
    EXPECT_TRUE(wizard().lostPartitionSearchRunning());
    harness.finishWorkers();
    EXPECT_EQ(wizard().guide(), ui::kGuideLostDone);
    EXPECT_TRUE(disk->unchanged());
}

TEST_F(Wizard, TheLostPartitionSearchSaysHowToStopItAndAsksBeforeStopping) {
    ToPartitionPage("mbr-primary", SearchMode::Standard);
    wizard().searchMorePartitions();
    EXPECT_EQ(wizard().guide(), ui::kGuideLostSearching);
    harness.prompter.yes = false;
    wizard().stopSearchingPartitions();
    ASSERT_EQ(harness.prompter.questions.size(), 1u);
    EXPECT_EQ(harness.prompter.questions[0], ui::kStopLostSearchQuestion);
    EXPECT_TRUE(wizard().lostPartitionSearchRunning());  // No: it goes on
    harness.prompter.yes = true;
    wizard().stopSearchingPartitions();
    harness.finishWorkers();
    EXPECT_EQ(wizard().guide(), ui::kGuideLostDone);
    EXPECT_EQ(wizard().selectedPartition(), 0);  // the details of the first partition
    EXPECT_EQ(wizard().startField(), "2048");
}

TEST_F(Wizard, DisksTellThemselvesApartByTheirImageFileNames) {
    disk = test::FixtureImage("fat16");
    harness.start(*disk);
    ASSERT_EQ(wizard().deviceItems().size(), 1u);
    const std::string name = std::filesystem::path(disk->path()).filename().string();
    EXPECT_EQ(wizard().deviceItems()[0], "Disk Image (Disk0) - " + name);
    DiskDescription device;
    device.index = 2;
    device.mediaType = "Removable Media";
    device.model = "Card Reader";
    device.totalSectors = 15523840;  // 7.4 GiB
    EXPECT_EQ(ui::DeviceTreeItemText(device), DeviceItemText(device) + " - Card Reader, 7.4 GB");
}

TEST_F(Wizard, ARejectedLogAndACancelledLoadGoBackToTheDiskPage) {
    ToPartitionPage("fat16", SearchMode::Standard);
    const auto folder = test::MakeTempDir("wizard-bad-log");
    const std::string log = (folder / "bad.MPD").string();
    {
        std::ofstream out(log, std::ios::binary);
        out << "not a recovery log at all";
    }
    ASSERT_TRUE(wizard().loadLog(log));
    harness.finishWorkers();
    EXPECT_EQ(wizard().step(), WizardStep::Disk);
    ASSERT_EQ(harness.prompter.messages.size(), 1u);
    EXPECT_EQ(harness.prompter.messages[0].icon, MessageIcon::Error);

    wizard().selectDevice(0);
    wizard().chooseMode(SearchMode::Standard);
    wizard().next();
    ASSERT_EQ(wizard().step(), WizardStep::Partition);
    wizard().loadLogCancelled();
    EXPECT_EQ(wizard().step(), WizardStep::Disk);
    EXPECT_EQ(wizard().guide(), ui::kGuideDiskPage);
    std::filesystem::remove_all(folder);
    EXPECT_TRUE(disk->unchanged());
}

}  // namespace
}  // namespace datrevo
