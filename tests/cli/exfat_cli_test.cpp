// The command line on exFAT volumes: the listings, the machine-readable
// outputs, --kind exFAT, the save and the recovery log.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../save/save_support.h"
#include "support/cli_command.h"
#include "support/image_fixture.h"
#include "support/manifest.h"

namespace datrevo {
namespace {

using test::Cli;
using test::RunCommand;
using test::ShellQuote;

// The --tsv lines by their path (first column).
std::map<std::string, std::vector<std::string>> TsvRows(const std::string& tsv) {
    std::map<std::string, std::vector<std::string>> rows;
    std::istringstream lines(tsv);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> cells;
        std::istringstream fields(line);
        for (std::string cell; std::getline(fields, cell, '\t');) cells.push_back(cell);
        if (!cells.empty()) rows[cells[0]] = cells;
    }
    return rows;
}

TEST(CliExfatSearch, TsvListsEveryFileWithItsSizeDateAndState) {
    const auto image = test::FixtureImage("exfat");
    const auto result = RunCommand(Cli("search " + ShellQuote(image->path()) + " --tsv"));
    ASSERT_EQ(result.status, 0) << result.output;
    const auto rows = TsvRows(result.output);
    ASSERT_TRUE(rows.count("path")) << result.output;  // the header
    for (const test::ManifestRow& row : test::ManifestRows("exfat")) {
        if (row.kind != "file" && row.kind != "dir") continue;
        ASSERT_EQ(rows.count(row.path), 1u) << row.path;
        const std::vector<std::string>& cells = rows.at(row.path);
        ASSERT_GE(cells.size(), 5u);
        EXPECT_EQ(cells[1], row.kind == "dir" ? "FOLDER" : "FILE") << row.path;
        if (row.kind == "file") {
            EXPECT_EQ(cells[2], std::to_string(row.size)) << row.path;
        }
        EXPECT_EQ(cells[4], row.deleted ? "deleted" : "live") << row.path;
    }
    EXPECT_EQ(rows.at("Docs/readme.txt")[3], "2022-11-30T23:59:58");
    EXPECT_TRUE(image->unchanged());
}

TEST(CliExfatSearch, KindExfatInAnyCaseSearchesARange) {
    const auto image = test::FixtureImage("exfat");
    const std::string end = std::to_string(image->sizeInBytes() / 512);
    const auto byPartition = RunCommand(Cli("search " + ShellQuote(image->path()) + " --tsv"));
    for (const char* word : {"exFAT", "EXFAT", "exfat"}) {
        const auto result =
            RunCommand(Cli("search " + ShellQuote(image->path()) + " --start 0 --end " + end +
                           " --kind " + word + " --tsv 2>&1"));
        EXPECT_EQ(result.status, 0) << word << ": " << result.output;
        EXPECT_EQ(result.output, byPartition.output) << word;
    }
    const auto help = RunCommand(Cli("search --help"));
    EXPECT_NE(help.output.find("exFAT"), std::string::npos);
    EXPECT_TRUE(image->unchanged());
}

TEST(CliExfatSearch, SaveWritesEveryFileBitExact) {
    const auto image = test::FixtureImage("exfat");
    test::TempFolder out;
    const auto result = RunCommand(
        Cli("search " + ShellQuote(image->path()) + " --save " + ShellQuote(out.path) + " 2>&1"));
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("Photos/frag-deleted.bin"), std::string::npos) << result.output;
    const auto md5s = test::Md5OfFiles(out.path);
    for (const test::ManifestRow& row : test::ManifestRows("exfat", "file")) {
        ASSERT_EQ(md5s.count(row.path), 1u) << row.path;
        EXPECT_EQ(md5s.at(row.path), row.md5) << row.path;
    }
    EXPECT_TRUE(image->unchanged());
}

TEST(CliExfatSearch, ALogLoadsToTheSameListing) {
    const auto image = test::FixtureImage("exfat-reformatted");
    test::TempFolder folder;
    const std::string log = (folder.path / "scan.MPD").string();
    const std::string disk = ShellQuote(image->path());
    const auto searched =
        RunCommand(Cli("search " + disk + " --log " + ShellQuote(log) + " --tsv"));
    ASSERT_EQ(searched.status, 0) << searched.output;
    const auto loaded = RunCommand(Cli("load " + ShellQuote(log) + " " + disk + " --tsv"));
    ASSERT_EQ(loaded.status, 0) << loaded.output;
    // The catch-all folder is dated when it is made: compare everything else.
    const auto without = [](std::map<std::string, std::vector<std::string>> rows) {
        rows.erase("Miscellaneous_001");
        return rows;
    };
    EXPECT_EQ(without(TsvRows(loaded.output)), without(TsvRows(searched.output)));
    EXPECT_TRUE(TsvRows(loaded.output).count("Miscellaneous_001/Dir1/Sub/old b.txt"));
    EXPECT_TRUE(image->unchanged());
}

TEST(CliExfatSearch, DfxmlNamesTheFileSystemAndTheByteRuns) {
    const auto image = test::FixtureImage("exfat");
    test::TempFolder folder;
    const std::filesystem::path xml = folder.path / "out.xml";
    const auto result = RunCommand(Cli("search " + ShellQuote(image->path()) + " --dfxml " +
                                       ShellQuote(xml.string()) + " 2>&1"));
    ASSERT_EQ(result.status, 0) << result.output;
    std::ifstream in(xml);
    std::stringstream text;
    text << in.rdbuf();
    const std::string dfxml = text.str();
    EXPECT_NE(dfxml.find("<ftype_str>exFAT</ftype_str>"), std::string::npos);
    const std::size_t readme = dfxml.find("<filename>Docs/readme.txt</filename>");
    ASSERT_NE(readme, std::string::npos);
    const std::size_t run = dfxml.find("<byte_run file_offset=\"0\"", readme);
    ASSERT_NE(run, std::string::npos);
    EXPECT_NE(dfxml.find("len=\"10000\"", run), std::string::npos);
    EXPECT_TRUE(image->unchanged());
}

}  // namespace
}  // namespace datrevo
