#include <gtest/gtest.h>

#include "support/cli_command.h"
#include "support/image_fixture.h"

namespace datrevo {
namespace {

using test::Cli;
using test::RunCommand;
using test::ShellQuote;

TEST(FatSearchCommand, StandardPrintsTheNamedTreeWithDeletedFoldersMarked) {
    const auto image = test::FixtureImage("fat16");
    const test::CommandResult result =
        RunCommand(Cli("search ") + ShellQuote(image->path()) + " 2>/dev/null");
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(
        result.output.find("Root\n  Music/\n    Artist One/\n      Album A/\n    Café del Mar/\n"),
        std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("  Trash Folder/  [deleted]\n    Sub Folder/  [deleted]\n"),
              std::string::npos);
}

TEST(FatSearchCommand, AdvanceListsTheVolumesThenRecoversTheChosenOne) {
    const auto image = test::FixtureImage("fat-two-volumes");
    const test::CommandResult result =
        RunCommand(Cli("search ") + ShellQuote(image->path()) +
                   " --mode advance --start 0 --end 79872 --kind FAT16 --volume 2 2>/dev/null");
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.output.find("File System 1 - FAT16  Cluster0Start "), std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("File System 2 - FAT32  Cluster0Start "), std::string::npos);
    EXPECT_NE(result.output.find("Root\n  Documents/\n    Letters/\n  Spreadsheets/\n"),
              std::string::npos);
}

TEST(FatSearchCommand, AnEmptyVolumeExitsWithNothingFound) {
    std::vector<std::uint8_t> bytes(4096 * 512, 0);
    const auto image = test::CraftedImage(bytes);
    const test::CommandResult result = RunCommand(Cli("search ") + ShellQuote(image->path()) +
                                                  " --start 0 --end 4096 --kind FAT32 2>&1");
    EXPECT_EQ(result.status, 4);
    EXPECT_NE(result.output.find("Unable to calculate partition parameters"), std::string::npos)
        << result.output;
}

}  // namespace
}  // namespace datrevo
