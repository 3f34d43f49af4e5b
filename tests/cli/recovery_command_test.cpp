// The whole recovery from the command line: search, TSV listing, the
// recovery log, lost partitions and the public answer keys.
#include <gtest/gtest.h>

#include <filesystem>
#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "support/cli_command.h"
#include "support/image_fixture.h"
#include "support/manifest.h"

namespace datrevo {
namespace {

using test::Cli;
using test::RunCommand;
using test::ShellQuote;

// Paths are compared without regard to case: 8.3 names written by the tools
// in mixed case come back in capitals.
std::string Folded(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// TSV rows keyed by path (case-folded): type, size, modified, state,
// cluster_or_record, past_disk_end.
std::map<std::string, std::vector<std::string>> TsvRows(const std::string& tsv) {
    std::map<std::string, std::vector<std::string>> rows;
    std::istringstream lines(tsv);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        std::vector<std::string> cells;
        std::istringstream fields(line);
        for (std::string cell; std::getline(fields, cell, '\t');) cells.push_back(cell);
        if (cells.size() == 7) rows[Folded(cells[0])] = {cells.begin() + 1, cells.end()};
    }
    return rows;
}

class LogRoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(LogRoundTrip, LoadingTheLogGivesTheIdenticalListing) {
    const auto image = test::FixtureImage(GetParam());
    const auto dir = test::MakeTempDir("log");
    const std::string log = (dir / "scan.MPD").string();
    const auto searched =
        RunCommand(Cli("search " + ShellQuote(image->path()) + " --tsv --log " + ShellQuote(log)));
    ASSERT_EQ(searched.status, 0) << searched.output;
    const auto loaded =
        RunCommand(Cli("load " + ShellQuote(log) + " " + ShellQuote(image->path()) + " --tsv"));
    EXPECT_EQ(loaded.status, 0);
    EXPECT_EQ(loaded.output, searched.output);
    EXPECT_GT(TsvRows(searched.output).size(), 10u);
    std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Volumes, LogRoundTrip, ::testing::Values("fat16", "fat32", "ntfs"));

TEST(RecoveryLogCli, LogOfAnotherDiskModelIsRefused) {
    const auto first = test::FixtureImage("fat16");
    const auto other = test::FixtureImage("fat32");
    const auto dir = test::MakeTempDir("log");
    const std::string log = (dir / "scan.MPD").string();
    ASSERT_EQ(
        RunCommand(Cli("search " + ShellQuote(first->path()) + " --log " + ShellQuote(log))).status,
        0);
    const auto refused =
        RunCommand(Cli("load " + ShellQuote(log) + " " + ShellQuote(other->path()) + " 2>&1"));
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.output.find("Either the selected log file is corrupted or you have selected "
                                  "the wrong disk for recovery."),
              std::string::npos)
        << refused.output;
    std::filesystem::remove_all(dir);
}

TEST(RecoveryCli, TsvListsEveryLiveFileOfTheVolumeWithItsSize) {
    const auto image = test::FixtureImage("fat32");
    const auto result = RunCommand(Cli("search " + ShellQuote(image->path()) + " --tsv"));
    ASSERT_EQ(result.status, 0);
    const auto rows = TsvRows(result.output);
    std::size_t checked = 0;
    for (const auto& row : test::ManifestRows("fat32", "file")) {
        if (row.deleted) continue;
        const auto found = rows.find(Folded(row.path));
        ASSERT_NE(found, rows.end()) << row.path;
        EXPECT_EQ(found->second[0], "FILE");
        EXPECT_EQ(found->second[1], std::to_string(row.size)) << row.path;
        EXPECT_EQ(found->second[3], "live") << row.path;
        ++checked;
    }
    EXPECT_GT(checked, 300u);
}

TEST(RecoveryCli, StandardAndAdvanceFindTheSameFolders) {
    const auto image = test::FixtureImage("fat16");
    const auto sectors = std::to_string(image->sizeInBytes() / 512);
    const auto folders = [](const std::string& tsv) {
        std::set<std::string> paths;
        for (const auto& [path, cells] : TsvRows(tsv))
            if (cells[0] == "FOLDER") paths.insert(path);
        return paths;
    };
    const auto standard = RunCommand(Cli("search " + ShellQuote(image->path()) + " --tsv"));
    const auto advance =
        RunCommand(Cli("search " + ShellQuote(image->path()) + " --mode advance --start 0 --end " +
                       sectors + " --kind FAT16 --tsv"));
    ASSERT_EQ(standard.status, 0);
    ASSERT_EQ(advance.status, 0) << advance.output;
    EXPECT_EQ(folders(advance.output), folders(standard.output));
}

TEST(RecoveryCli, AdvanceNtfsListsEachFileOnceThoughTheMirrorCopiesItsRecords) {
    const auto image = test::FixtureImage("ntfs-disk");
    const auto sectors = std::to_string(image->sizeInBytes() / 512);
    const auto result =
        RunCommand(Cli("search " + ShellQuote(image->path()) + " --mode advance --start 0 --end " +
                       sectors + " --kind NTFS --tsv"));
    ASSERT_EQ(result.status, 0);
    std::map<std::string, int> seen;
    std::istringstream lines(result.output);
    for (std::string line; std::getline(lines, line);) ++seen[line.substr(0, line.find('\t'))];
    for (const char* name : {"$MFT", "$MFTMirr", "$LogFile", "$Volume"})
        EXPECT_EQ(seen[name], 1) << name;
}

TEST(RecoveryCli, ListShowsOneFoldersRowsAsTheFileListDoes) {
    const auto image = test::FixtureImage("fat16");
    const auto result = RunCommand(
        Cli("search " + ShellQuote(image->path()) + " --list 'Music/Artist One/Album A'"));
    ASSERT_EQ(result.status, 0);
    EXPECT_NE(result.output.find("Name                                    Type            Size"),
              std::string::npos);
    EXPECT_NE(result.output.find("01 First Track.mp3"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("  [deleted]"), std::string::npos);
    const auto missing =
        RunCommand(Cli("search " + ShellQuote(image->path()) + " --list 'No Such' 2>&1"));
    EXPECT_EQ(missing.status, 2);
}

TEST(RecoveryCli, ZeroedPartitionEntryIsFoundAgainAndSearched) {
    std::vector<std::uint8_t> bytes =
        test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/mbr-primary.img.gz");
    std::fill(bytes.begin() + 0x1BE, bytes.begin() + 0x1FE, 0);  // every entry gone
    const auto image = test::CraftedImage(bytes);
    auto result = RunCommand(Cli("partitions " + ShellQuote(image->path())));
    EXPECT_EQ(result.status, 4);
    result = RunCommand(Cli("lost-partitions " + ShellQuote(image->path())));
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.output.find("3 partition(s) found"), std::string::npos) << result.output;
    result = RunCommand(Cli("search " + ShellQuote(image->path()) + " --partition 2 --tsv"));
    EXPECT_EQ(result.status, 0) << result.output;
    const auto rows = TsvRows(result.output);
    for (const auto& row : test::ManifestRows("mbr-primary", "file"))
        if (row.path.rfind("p2/", 0) == 0) {
            EXPECT_TRUE(rows.count(Folded(row.path.substr(3)))) << row.path;
        }
}

TEST(RecoveryCli, SaveWritesTheSelectedFilesWithTheirBytesAndNothingElse) {
    const auto image = test::FixtureImage("fat32");
    const auto dir = test::MakeTempDir("save");
    const auto result = RunCommand(Cli("search " + ShellQuote(image->path()) + " --save " +
                                       ShellQuote(dir.string()) + " --select Music"));
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("Save finished."), std::string::npos);
    std::size_t compared = 0;
    for (const auto& row : test::ManifestRows("fat32", "file")) {
        const auto saved = dir / row.path;
        if (row.path.rfind("Music/", 0) != 0) {
            EXPECT_FALSE(std::filesystem::exists(saved)) << row.path;
            continue;
        }
        if (row.deleted) continue;
        const auto md5 = RunCommand("md5sum " + ShellQuote(saved.string()));
        EXPECT_EQ(md5.output.substr(0, 32), row.md5) << row.path;
        ++compared;
    }
    EXPECT_GE(compared, 3u);
    std::filesystem::remove_all(dir);
}

TEST(RecoveryCli, PublicFatUndeleteImageListsTheSixDeletedFilesInTheirFolders) {
    const auto image = test::PublicZipImage("dftt/6-undel-fat.zip", "6-undel-fat/6-fat-undel.dd");
    if (!image) GTEST_SKIP() << "public evaluation images not present";
    const auto rows =
        TsvRows(RunCommand(Cli("search " + ShellQuote(image->path()) + " --tsv")).output);
    // The first character of a deleted 8.3 name is gone from the medium.
    const std::map<std::string, std::string> expected = {
        {"_ing.dat", "780"},   {"_ult1.dat", "3801"},      {"_rag1.dat", "1584"},
        {"_rag2.dat", "3873"}, {"_ir1/mult2.dat", "1715"}, {"_ir1/dir2/frag3.dat", "2027"}};
    for (const auto& [path, size] : expected) {
        const auto found = rows.find(path);
        ASSERT_NE(found, rows.end()) << path;
        EXPECT_EQ(found->second[1], size) << path;
        EXPECT_EQ(found->second[3], "deleted") << path;
    }
    EXPECT_EQ(rows.at("_ir1/dir2")[3], "deleted");
}

TEST(RecoveryCli, PublicNtfsUndeleteImageShowsItsLeapDayDates) {
    const auto image =
        test::PublicZipImage("dftt/7-undel-ntfs.zip", "7-undel-ntfs/7-ntfs-undel.dd");
    if (!image) GTEST_SKIP() << "public evaluation images not present";
    const auto rows =
        TsvRows(RunCommand(Cli("search " + ShellQuote(image->path()) + " --tsv")).output);
    for (const char* path :
         {"res1.dat", "sing1.dat", "mult1.dat", "frag1.dat", "frag2.dat", "dir1/mult2.dat",
          "dir1/dir2/frag3.dat", "miscellaneous_001/sing2.dat"}) {
        const auto found = rows.find(path);
        ASSERT_NE(found, rows.end()) << path;
        EXPECT_EQ(found->second[2].rfind("2004-02-29T", 0), 0u) << path << " " << found->second[2];
        EXPECT_EQ(found->second[2].back(), 'Z') << "NTFS times are UTC";
        EXPECT_EQ(found->second[3], "deleted") << path;
    }
}

}  // namespace
}  // namespace datrevo
