// The command line on a partition whose volume cannot be read: one
// nothing-found notice, an empty result and the nothing-found exit status.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/cli_command.h"
#include "support/image_fixture.h"

namespace datrevo {
namespace {

using test::Cli;
using test::RunCommand;
using test::ShellQuote;

constexpr const char* kNotice =
    "Recovery is not possible in Standard Search mode, use Advance Search to recover your data.";

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST(FailedValidationCli, AnInvalidNtfsRangeGivesOneNoticeAndNoFiles) {
    // mbr-extended: sectors 2048 to 10240 hold a FAT16 volume, no NTFS.
    const auto image = test::FixtureImage("mbr-extended");
    const auto result = RunCommand(Cli("search " + ShellQuote(image->path()) +
                                       " --start 2048 --end 10240 --kind NTFS --tsv 2>&1"));
    EXPECT_EQ(result.status, 4) << result.output;
    EXPECT_EQ(Occurrences(result.output, kNotice), 1u) << result.output;
    EXPECT_EQ(result.output.find("Primary"), std::string::npos) << result.output;
}

TEST(FailedValidationCli, AWipedFatPartitionShowsNoFolderOfAnother) {
    std::vector<std::uint8_t> bytes =
        test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/mbr-extended.img.gz");
    std::fill_n(bytes.begin() + 12288 * 512, (1 + 2 * 32) * 512, 0);  // boot sector and FATs
    const auto image = test::CraftedImage(bytes);
    const auto result = RunCommand(Cli("search " + ShellQuote(image->path()) + " -p 2 2>&1"));
    EXPECT_EQ(result.status, 4) << result.output;
    EXPECT_EQ(Occurrences(result.output, kNotice), 1u) << result.output;
    EXPECT_NE(result.output.find("Unable to calculate partition parameters"), std::string::npos);
    EXPECT_EQ(result.output.find("Primary"), std::string::npos) << result.output;
}

}  // namespace
}  // namespace datrevo
