// The catch-all folder on the command line: not listed nor saved when it
// holds nothing; dated with the day of the search when it does.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <sstream>

#include "browse/catch_all_folder.h"
#include "browse/date_texts.h"
#include "support/cli_command.h"
#include "support/image_fixture.h"

namespace datrevo {
namespace {

using test::Cli;
using test::RunCommand;
using test::ShellQuote;

// The TSV row of `path`: path, type, size, modified, state, cluster_or_record,
// past_disk_end.
std::vector<std::string> TsvRow(const std::string& tsv, const std::string& path) {
    std::istringstream lines(tsv);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> cells;
        std::istringstream fields(line);
        for (std::string cell; std::getline(fields, cell, '\t');) cells.push_back(cell);
        if (!cells.empty() && cells[0] == path) return cells;
    }
    return {};
}

TEST(CatchAllCli, AVolumeWithoutLostFoldersListsAndSavesNoCatchAllFolder) {
    for (const char* fixture : {"fat16", "fat32", "ntfs"}) {
        SCOPED_TRACE(fixture);
        const auto image = test::FixtureImage(fixture);
        const auto listed = RunCommand(Cli("search " + ShellQuote(image->path()) + " --tsv"));
        ASSERT_EQ(listed.status, 0);
        EXPECT_EQ(listed.output.find("Miscellaneous_001"), std::string::npos) << listed.output;
        const auto dir = test::MakeTempDir("catch-all");
        const auto saved = RunCommand(Cli("search " + ShellQuote(image->path()) + " --save " +
                                          ShellQuote((dir / "out").string())));
        EXPECT_EQ(saved.status, 0) << saved.output;
        EXPECT_FALSE(std::filesystem::exists(dir / "out" / "Miscellaneous_001"));
        std::filesystem::remove_all(dir);
    }
}

TEST(CatchAllCli, AnOrphanFileListsTheCatchAllFolderDatedWithTheSearch) {
    const auto image =
        test::PublicZipImage("dftt/7-undel-ntfs.zip", "7-undel-ntfs/7-ntfs-undel.dd");
    if (!image) GTEST_SKIP() << "public evaluation images not present";
    const std::time_t before = std::time(nullptr);
    const auto result = RunCommand(Cli("search " + ShellQuote(image->path()) + " --tsv"));
    const std::time_t after = std::time(nullptr);
    ASSERT_EQ(result.status, 0);
    const std::vector<std::string> row = TsvRow(result.output, "Miscellaneous_001");
    ASSERT_EQ(row.size(), 7u) << result.output;
    // ISO 8601 in UTC, as NTFS keeps its times.
    const auto iso = [](std::time_t seconds) {
        std::tm utc{};
        gmtime_r(&seconds, &utc);
        char text[32];
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
        return std::string(text);
    };
    EXPECT_TRUE(row[3] >= iso(before) && row[3] <= iso(after)) << row[3];
    EXPECT_EQ(row[4], "orphan");
    const std::vector<std::string> file = TsvRow(result.output, "Miscellaneous_001/sing2.dat");
    ASSERT_EQ(file.size(), 7u);
    EXPECT_EQ(file[4], "deleted");
}

}  // namespace
}  // namespace datrevo
