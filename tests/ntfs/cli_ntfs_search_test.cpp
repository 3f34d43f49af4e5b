// datrevo-cli search on NTFS: a partition in Standard mode, a range in
// Advance mode with the choice of file system.
#include <gtest/gtest.h>

#include "support/cli_command.h"
#include "support/image_fixture.h"

namespace datrevo {
namespace {

using test::Cli;
using test::RunCommand;
using test::ShellQuote;

TEST(CliNtfsSearch, StandardSearchOfAVolumePrintsFoldersAndFiles) {
    // A volume without a partition table is listed as one partition.
    auto image = test::FixtureImage("ntfs");
    const auto result = RunCommand(Cli("search ") + ShellQuote(image->path()) + " --files 2>&1");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("  Documents/\n    Projects/\n      Alpha/\n"
                                 "        plan.txt  (9000 bytes)\n"),
              std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("  Old Stuff/  [deleted]\n"), std::string::npos);
    EXPECT_NE(result.output.find("  $MFT  ("), std::string::npos);
}

TEST(CliNtfsSearch, AdvanceSearchOfARangeChoosesTheVolume) {
    auto image = test::FixtureImage("ntfs-disk");
    const std::string range = " --mode advance --start 0 --end 10240 --kind NTFS --files";
    const auto first =
        RunCommand(Cli("search ") + ShellQuote(image->path()) + range + " --volume 1 2>&1");
    EXPECT_EQ(first.status, 0) << first.output;
    EXPECT_NE(first.output.find("File System 1 - NTFS  Cluster0Start 2048"), std::string::npos)
        << first.output;
    EXPECT_NE(first.output.find("2018 report.txt  (14000 bytes)"), std::string::npos);
    const auto missing =
        RunCommand(Cli("search ") + ShellQuote(image->path()) + range + " --volume 3 2>&1");
    EXPECT_EQ(missing.status, 2) << missing.output;
}

}  // namespace
}  // namespace datrevo
