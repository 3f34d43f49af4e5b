// datrevo-cli as a user runs it: output, exit statuses, and the image untouched.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/disk_builder.h"
#include "support/cli_command.h"
#include "support/image_fixture.h"

namespace datrevo {
namespace {

using test::CliWithProgress;
using test::RunCommand;
using test::ShellQuote;

constexpr const char* kTsvHeader =
    "path\ttype\tsize\tmodified\tstate\tcluster_or_record\tpast_disk_end\n";

TEST(CliPartitions, ListsEachPartitionWithItsBounds) {
    test::DiskBuilder disk(80000);
    disk.entry(0, 0, 0x07, 63, 40000);
    disk.bootSector(63, "NTFS");
    disk.entry(0, 1, 0x0C, 40063, 10000);
    disk.bootSector(40063, "FAT32");
    const auto image = test::CraftedImage(disk.bytes());
    const auto result = RunCommand(CliWithProgress("partitions " + ShellQuote(image->path())));
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.output.find("Partition - 1 ( NTFS )   63"), std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("Partition - 2 ( FAT32 )  40063           50063"),
              std::string::npos)
        << result.output;
}

TEST(CliPartitions, DiskWithoutPartitionsSaysSoAndExitsNothingFound) {
    const auto image = test::CraftedImage(std::vector<std::uint8_t>(2048 * 512));
    const auto result = RunCommand(CliWithProgress("partitions " + ShellQuote(image->path())));
    EXPECT_EQ(result.status, 4);
    EXPECT_NE(result.output.find("No FAT16, FAT32 or NTFS partition"), std::string::npos);
}

TEST(CliPartitions, CorruptedTableWarnsOnStderr) {
    test::DiskBuilder disk(30000);
    disk.entry(0, 0, 0x06, 20000, 100);  // within 24576 sectors of the end
    const auto image = test::CraftedImage(disk.bytes());
    const auto result =
        RunCommand(CliWithProgress("partitions " + ShellQuote(image->path()) + " 2>&1"));
    EXPECT_EQ(result.status, 4);
    EXPECT_NE(result.output.find("partition table is damaged"), std::string::npos) << result.output;
}

TEST(CliErrors, MissingImageAndEmptySlotAreClearErrors) {
    auto result = RunCommand(CliWithProgress("partitions /nonexistent/card.img 2>&1"));
    EXPECT_EQ(result.status, 3);
    EXPECT_NE(result.output.find("Cannot open /nonexistent/card.img"), std::string::npos);
    result = RunCommand(CliWithProgress("details 7 2>&1"));
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.output.find("there is no disk 7"), std::string::npos);
}

TEST(CliErrors, UnreadableImageSaysHowToGetAccess) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    const auto image = test::CraftedImage(std::vector<std::uint8_t>(512));
    std::filesystem::permissions(image->path(), std::filesystem::perms::none);
    const auto result =
        RunCommand(CliWithProgress("partitions " + ShellQuote(image->path()) + " 2>&1"));
    std::filesystem::permissions(
        image->path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(result.status, 3);
    EXPECT_NE(result.output.find("disk' group"), std::string::npos);
}

TEST(CliErrors, UsageErrorsExitTwoAndHelpWorksEverywhere) {
    EXPECT_EQ(RunCommand(CliWithProgress("2>&1")).status, 2);
    EXPECT_EQ(RunCommand(CliWithProgress("partitions 2>&1")).status, 2);
    EXPECT_EQ(RunCommand(CliWithProgress("frobnicate 2>&1")).status, 2);
    for (const char* command : {"", "disks ", "details ", "partitions ", "search "}) {
        const auto help = RunCommand(CliWithProgress(std::string(command) + "--help"));
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_NE(help.output.find("Usage"), std::string::npos) << command;
    }
}

TEST(CliDetails, ImageDetailsShowTheFourteenRows) {
    const auto image = test::CraftedImage(std::vector<std::uint8_t>(16065 * 2 * 512));
    const auto result = RunCommand(CliWithProgress("details " + ShellQuote(image->path())));
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.output.find("2. MediaType :"), std::string::npos);
    EXPECT_NE(result.output.find("Disk Image"), std::string::npos);
    EXPECT_NE(result.output.find("5. Cylinders :"), std::string::npos);
    EXPECT_NE(result.output.find("14. Physical Device ID :"), std::string::npos);
}

// The fixture's bytes with `edit` applied, as a crafted image of their own
// (the private copy of a fixture must stay as it was unpacked).
template <typename Edit>
std::unique_ptr<test::ImageCopy> EditedImage(const std::filesystem::path& gz, Edit edit) {
    std::vector<std::uint8_t> bytes = test::ReadGzip(gz);
    edit(bytes);
    return test::CraftedImage(bytes);
}
std::filesystem::path FixtureGz(const std::string& name) {
    return std::filesystem::path(DATREVO_FIXTURE_DIR) / "images" / (name + ".img.gz");
}

TEST(CliPartitions, GptDiskListsItsFat32AndNtfsPartitions) {
    const auto image = test::FixtureImage("gpt-fat32-ntfs");
    const auto result = RunCommand(CliWithProgress("partitions " + ShellQuote(image->path())));
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("Partition - 1 ( FAT32 )  2048            71680"),
              std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("Partition - 2 ( NTFS )   71680           79872"),
              std::string::npos)
        << result.output;
}

TEST(CliPartitions, GptDiskWithoutItsPrimaryHeaderIsListedFromTheBackup) {
    const auto image = EditedImage(FixtureGz("gpt-fat32-ntfs"), [](std::vector<std::uint8_t>& b) {
        std::fill_n(b.begin() + 512, 512, std::uint8_t{0});
    });
    const auto result =
        RunCommand(CliWithProgress("partitions " + ShellQuote(image->path()) + " 2>&1"));
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("Partition - 1 ( FAT32 )  2048"), std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("Partition - 2 ( NTFS )   71680"), std::string::npos);
    EXPECT_NE(result.output.find("read from its backup at sector 81919"), std::string::npos);
}

TEST(CliExfat, ListedAsExfatAndSearchedAsExfat) {
    const auto image = test::FixtureImage("mbr-exfat");
    auto result = RunCommand(CliWithProgress("partitions " + ShellQuote(image->path())));
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.output.find("Partition - 1 ( exFAT )  2048"), std::string::npos)
        << result.output;
    EXPECT_EQ(result.output.find("NTFS )"), std::string::npos);
    EXPECT_EQ(result.output.find("not supported"), std::string::npos) << result.output;

    // The volume is freshly made and empty: searched, nothing found.
    result = RunCommand(CliWithProgress("search " + ShellQuote(image->path()) + " -p 1 2>&1"));
    EXPECT_EQ(result.status, 4) << result.output;
    EXPECT_EQ(result.output.find("not supported"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("Recovery is not possible in Standard Search mode"),
              std::string::npos)
        << result.output;
    EXPECT_TRUE(image->unchanged());
}

TEST(CliPartitions, CutShortImageSaysThePartitionExtendsPastTheDiskEnd) {
    // fat-two-volumes cut after 40000 of its 79872 sectors: FAT32 at 10240 of 69632 sectors.
    const auto image = EditedImage(FixtureGz("fat-two-volumes"),
                                   [](std::vector<std::uint8_t>& b) { b.resize(40000 * 512); });
    const auto result = RunCommand(CliWithProgress("partitions " + ShellQuote(image->path())));
    EXPECT_EQ(result.status, 0) << result.output;
    const std::string warning =
        "Partition - 2 ( FAT32 ): The partition extends past the end of the disk (29760 of "
        "69632 sectors readable).";
    const auto at = result.output.find(warning);
    EXPECT_NE(at, std::string::npos) << result.output;
    EXPECT_EQ(result.output.find(warning, at + 1), std::string::npos) << "said once";
    EXPECT_EQ(result.output.find("Partition - 1 ( FAT16 ): The partition"), std::string::npos);
}

TEST(CliSearch, FilesBeyondTheEndOfACutShortVolumeAreMarked) {
    // The fat32 volume image (69615 sectors by its boot sector) cut after 1230
    // sectors: Frag/A.BIN
    // lies in sectors 1210-1225, D fills the hole.BIN from 1226 on, C.BIN from
    // 1238 on; Music and its files lie before 1181.
    const auto image =
        EditedImage(FixtureGz("fat32"), [](std::vector<std::uint8_t>& b) { b.resize(1230 * 512); });
    auto result = RunCommand(
        CliWithProgress("--quiet search " + ShellQuote(image->path()) + " -p 1 --files 2>&1"));
    EXPECT_EQ(result.status, 0) << result.output;
    const std::string warning =
        "The partition extends past the end of the disk (1230 of 69615 sectors readable)";
    const auto at = result.output.find(warning);
    EXPECT_NE(at, std::string::npos) << result.output;
    EXPECT_EQ(result.output.find(warning, at + 1), std::string::npos) << "said once";
    EXPECT_NE(result.output.find("D fills the hole.BIN  (20480 bytes)  [past disk end]"),
              std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("C.BIN  (8192 bytes)  [past disk end]"), std::string::npos);
    EXPECT_NE(result.output.find("A.BIN  (8192 bytes)\n"), std::string::npos);
    EXPECT_NE(result.output.find("01 First Track.mp3  (12000 bytes)\n"), std::string::npos);

    result =
        RunCommand(CliWithProgress("--quiet search " + ShellQuote(image->path()) + " -p 1 --tsv"));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output.rfind(kTsvHeader, 0), 0u) << result.output;
    EXPECT_NE(result.output.find("Frag/C.BIN\tFILE\t8192\t"), std::string::npos);
    std::istringstream lines(result.output);
    int marked = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("Frag/A.BIN\t", 0) == 0 || line.rfind("Music/", 0) == 0) {
            EXPECT_EQ(line.back(), '0') << line;
        }
        if (line.rfind("Frag/C.BIN\t", 0) == 0 || line.rfind("Frag/D fills", 0) == 0) {
            EXPECT_EQ(line.back(), '1') << line;
            ++marked;
        }
    }
    EXPECT_EQ(marked, 2);
}

// The columns are the same whatever the result: a whole image has the
// past_disk_end column too, 0 on every line.
TEST(CliSearch, AWholeImageHasThePastTheEndColumnAllZero) {
    const auto image = test::FixtureImage("fat16");
    const auto result =
        RunCommand(CliWithProgress("--quiet search " + ShellQuote(image->path()) + " -p 1 --tsv"));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output.rfind(kTsvHeader, 0), 0u);
    std::istringstream lines(result.output);
    std::string line;
    std::getline(lines, line);
    int checked = 0;
    for (; std::getline(lines, line); ++checked)
        EXPECT_EQ(line.substr(line.size() - 2), "\t0") << line;
    EXPECT_GT(checked, 10);
}

// A fake sysfs tree with one removable card of `sectors` 512-byte units and
// the given logical sector size.
std::filesystem::path FakeCardTree(const std::string& sectors, const std::string& logical) {
    const auto root = test::MakeTempDir("sysfs-cli");
    const auto write = [](const std::filesystem::path& path, const std::string& text) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << text << "\n";
    };
    const auto dir = root / "sys/block/sdz";
    write(dir / "dev", "8:200");
    write(dir / "removable", "1");
    write(dir / "size", sectors);
    write(dir / "device/model", "Card");
    write(dir / "queue/logical_block_size", logical);
    return root;
}

TEST(CliDisks, DiskWithFourKilobyteSectorsIsRefusedButItsDetailsShow) {
    const auto root = FakeCardTree("62333952", "4096");  // 29.7 GiB
    const std::string cli =
        test::CliProgram() + " --inventory-root " + ShellQuote(root.string()) + " ";
    auto result = RunCommand(cli + "partitions 0 2>&1");
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("4096-byte logical sectors"), std::string::npos) << result.output;
    result = RunCommand(cli + "search 0 -p 1 2>&1");
    EXPECT_EQ(result.status, 1) << result.output;
    result = RunCommand(cli + "details 0");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("30436 MB"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("4096"), std::string::npos) << result.output;
    std::filesystem::remove_all(root);
}

TEST(CliDisks, CapacityIsTheByteSizeNotWholeCylinders) {
    // 20 MiB: 2 whole cylinders of 255 x 63 and 40960 - 32130 sectors more.
    const auto image = test::CraftedImage(std::vector<std::uint8_t>(20 * 1048576));
    auto result = RunCommand(CliWithProgress("details " + ShellQuote(image->path())));
    EXPECT_NE(result.output.find("4. Capacity(size) :         20 MB"), std::string::npos)
        << result.output;
    result = RunCommand(CliWithProgress("--image " + ShellQuote(image->path()) + " disks"));
    EXPECT_NE(result.output.find("20 MB"), std::string::npos) << result.output;
}

}  // namespace
}  // namespace datrevo
