// Saving the compressed-folder NTFS image from the command line: files in a
// compressed folder (LZNT1 units, units kept as they are, holes, a short last
// unit), a deleted compressed file and a sparse file come back bit-exact
// after a Standard and an Advance search; alternate data streams are listed
// and saved when asked; the file system's own files stay out of a plain save.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <sstream>

#include "support/cli_command.h"
#include "support/image_fixture.h"
#include "support/manifest.h"

namespace datrevo {
namespace {

using test::Cli;
using test::RunCommand;
using test::ShellQuote;

std::string Md5Of(const std::filesystem::path& file) {
    return RunCommand("md5sum < " + ShellQuote(file.string())).output.substr(0, 32);
}

class CompressedSave : public ::testing::TestWithParam<const char*> {};

TEST_P(CompressedSave, EveryFileComesBackBitExact) {
    const auto image = test::FixtureImage("ntfs-compressed");
    const auto out = test::MakeTempDir("compressed");
    const std::string sectors = std::to_string(image->sizeInBytes() / 512);
    const std::string mode =
        GetParam() == std::string("advance")
            ? " --mode advance --start 0 --end " + sectors + " --kind NTFS --volume 1"
            : "";
    const auto result = RunCommand(
        Cli("search " + ShellQuote(image->path()) + mode + " --save " + ShellQuote(out.string())));
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find(", failed: 0\n"), std::string::npos) << result.output;
    std::size_t compared = 0;
    for (const test::ManifestRow& row : test::ManifestRows("ntfs-compressed", "file")) {
        SCOPED_TRACE(row.path);
        const auto saved = out / row.path;
        ASSERT_TRUE(std::filesystem::exists(saved)) << result.output;
        EXPECT_EQ(std::filesystem::file_size(saved), row.size);
        EXPECT_EQ(Md5Of(saved), row.md5);
        ++compared;
    }
    EXPECT_EQ(compared, 10u);
    std::filesystem::remove_all(out);
}

INSTANTIATE_TEST_SUITE_P(Searches, CompressedSave, ::testing::Values("standard", "advance"));

struct SavedVolume {
    test::CommandResult result;
    std::filesystem::path out;
    ~SavedVolume() { std::filesystem::remove_all(out); }
};

std::unique_ptr<SavedVolume> Save(const test::ImageCopy& image, const std::string& options) {
    auto saved = std::make_unique<SavedVolume>();
    saved->out = test::MakeTempDir("ntfs-save");
    saved->result = RunCommand(Cli("search " + ShellQuote(image.path()) + " --save " +
                                   ShellQuote(saved->out.string()) + options));
    return saved;
}

TEST(NtfsSystemFiles, APlainSaveLeavesThemOutAndTheFlagOrTheirNameBringsThemDated) {
    const auto image = test::FixtureImage("ntfs-compressed");
    const auto plain = Save(*image, "");
    EXPECT_EQ(plain->result.status, 0) << plain->result.output;
    for (const char* name : {"$MFT", "$MFTMirr", "$LogFile", "$Volume", "$AttrDef", "$Bitmap",
                             "$Boot", "$BadClus", "$Secure", "$UpCase", "$Extend"})
        EXPECT_FALSE(std::filesystem::exists(plain->out / name)) << name;
    EXPECT_TRUE(std::filesystem::exists(plain->out / "Plain/plain.txt"));

    const auto all = Save(*image, " --system-files");
    EXPECT_EQ(all->result.status, 0) << all->result.output;
    struct stat mft {};
    struct stat secure {};
    ASSERT_EQ(::stat((all->out / "$MFT").c_str(), &mft), 0);
    ASSERT_EQ(::stat((all->out / "$Secure").c_str(), &secure), 0);
    EXPECT_EQ(std::filesystem::file_size(all->out / "$Secure"), 0u);
    EXPECT_EQ(secure.st_mtime, mft.st_mtime) << "made with the volume, like $MFT";
    EXPECT_TRUE(std::filesystem::is_directory(all->out / "$Extend"));

    const auto named = Save(*image, " --select '$MFT'");
    EXPECT_EQ(named->result.status, 0) << named->result.output;
    EXPECT_TRUE(std::filesystem::exists(named->out / "$MFT"));
    EXPECT_FALSE(std::filesystem::exists(named->out / "$LogFile"));
}

TEST(NtfsStreams, ListedUnderTheirFileAndSavedBesideItOnlyWhenAsked) {
    const auto image = test::FixtureImage("ntfs-compressed");
    const auto tsv = RunCommand(Cli("search " + ShellQuote(image->path()) + " --tsv"));
    ASSERT_EQ(tsv.status, 0);
    const auto streams = test::ManifestRows("ntfs-compressed", "stream");
    ASSERT_EQ(streams.size(), 3u);
    for (const test::ManifestRow& row : streams) {
        const std::string file = row.path.substr(0, row.path.find(':'));
        const std::size_t fileAt = tsv.output.find("\n" + file + "\t");
        const std::size_t at =
            tsv.output.find("\n" + row.path + "\tFILE\t" + std::to_string(row.size) + "\t");
        EXPECT_NE(at, std::string::npos) << row.path << "\n" << tsv.output;
        EXPECT_LT(fileAt, at) << "the stream follows its file";
    }

    const auto plain = Save(*image, "");
    EXPECT_EQ(plain->result.status, 0) << plain->result.output;
    const auto with = Save(*image, " --streams");
    EXPECT_EQ(with->result.status, 0) << with->result.output;
    for (const test::ManifestRow& row : streams) {
        std::string copy = row.path;
        copy[copy.find(':')] = '_';  // ':' is made safe like in every other name
        EXPECT_FALSE(std::filesystem::exists(plain->out / copy)) << copy;
        ASSERT_TRUE(std::filesystem::exists(with->out / copy)) << copy << with->result.output;
        EXPECT_EQ(Md5Of(with->out / copy), row.md5) << copy;
        const std::string file = row.path.substr(0, row.path.find(':'));
        EXPECT_TRUE(std::filesystem::exists(with->out / file));
    }

    const auto named = Save(*image, " --select 'Downloads/setup.exe:Zone.Identifier'");
    EXPECT_EQ(named->result.status, 0) << named->result.output;
    EXPECT_TRUE(std::filesystem::exists(named->out / "Downloads/setup.exe_Zone.Identifier"));
    EXPECT_FALSE(std::filesystem::exists(named->out / "Downloads/setup.exe"));
}

}  // namespace
}  // namespace datrevo
