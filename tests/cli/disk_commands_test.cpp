// datrevo-cli as a user runs it: output, exit statuses, and the image untouched.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/disk_builder.h"
#include "support/image_fixture.h"

namespace datrevo {
namespace {

using test::RunCommand;
using test::ShellQuote;

std::string Cli(const std::string& arguments) {
    return std::string(DATREVO_CLI_PATH) + " --inventory-root /nonexistent " + arguments;
}

TEST(CliPartitions, ListsEachPartitionWithItsBounds) {
    test::DiskBuilder disk(80000);
    disk.entry(0, 0, 0x07, 63, 40000);
    disk.bootSector(63, "NTFS");
    disk.entry(0, 1, 0x0C, 40063, 10000);
    disk.bootSector(40063, "FAT32");
    const auto image = test::CraftedImage(disk.bytes());
    const auto result = RunCommand(Cli("partitions " + ShellQuote(image->path())));
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.output.find("Partition - 1 ( NTFS )   63"), std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("Partition - 2 ( FAT32 )  40063           50063"),
              std::string::npos)
        << result.output;
}

TEST(CliPartitions, DiskWithoutPartitionsSaysSoAndExitsNothingFound) {
    const auto image = test::CraftedImage(std::vector<std::uint8_t>(2048 * 512));
    const auto result = RunCommand(Cli("partitions " + ShellQuote(image->path())));
    EXPECT_EQ(result.status, 4);
    EXPECT_NE(result.output.find("No FAT16, FAT32 or NTFS partition"), std::string::npos);
}

TEST(CliPartitions, CorruptedTableWarnsOnStderr) {
    test::DiskBuilder disk(30000);
    disk.entry(0, 0, 0x06, 20000, 100);  // within 24576 sectors of the end
    const auto image = test::CraftedImage(disk.bytes());
    const auto result = RunCommand(Cli("partitions " + ShellQuote(image->path()) + " 2>&1"));
    EXPECT_EQ(result.status, 4);
    EXPECT_NE(result.output.find("partition table is damaged"), std::string::npos)
        << result.output;
}

TEST(CliErrors, MissingImageAndEmptySlotAreClearErrors) {
    auto result = RunCommand(Cli("partitions /nonexistent/card.img 2>&1"));
    EXPECT_EQ(result.status, 3);
    EXPECT_NE(result.output.find("Cannot open /nonexistent/card.img"), std::string::npos);
    result = RunCommand(Cli("details 7 2>&1"));
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.output.find("there is no disk 7"), std::string::npos);
}

TEST(CliErrors, UnreadableImageSaysHowToGetAccess) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    const auto image = test::CraftedImage(std::vector<std::uint8_t>(512));
    std::filesystem::permissions(image->path(), std::filesystem::perms::none);
    const auto result = RunCommand(Cli("partitions " + ShellQuote(image->path()) + " 2>&1"));
    std::filesystem::permissions(image->path(), std::filesystem::perms::owner_read |
                                                    std::filesystem::perms::owner_write);
    EXPECT_EQ(result.status, 3);
    EXPECT_NE(result.output.find("disk' group"), std::string::npos);
}

TEST(CliErrors, UsageErrorsExitTwoAndHelpWorksEverywhere) {
    EXPECT_EQ(RunCommand(Cli("2>&1")).status, 2);
    EXPECT_EQ(RunCommand(Cli("partitions 2>&1")).status, 2);
    EXPECT_EQ(RunCommand(Cli("frobnicate 2>&1")).status, 2);
    for (const char* command : {"", "disks ", "details ", "partitions ", "search "}) {
        const auto help = RunCommand(Cli(std::string(command) + "--help"));
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_NE(help.output.find("Usage"), std::string::npos) << command;
    }
}

TEST(CliDetails, ImageDetailsShowTheFourteenRows) {
    const auto image = test::CraftedImage(std::vector<std::uint8_t>(16065 * 2 * 512));
    const auto result = RunCommand(Cli("details " + ShellQuote(image->path())));
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.output.find("2. MediaType :"), std::string::npos);
    EXPECT_NE(result.output.find("Disk Image"), std::string::npos);
    EXPECT_NE(result.output.find("5. Cylinders :"), std::string::npos);
    EXPECT_NE(result.output.find("14. Physical Device ID :"), std::string::npos);
}

}  // namespace
}  // namespace datrevo
