// Saving from the public images with published answers (skipped when absent).
#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <regex>

#include "../fat/fat_test_support.h"
#include "../ntfs/ntfs_session.h"
#include "fat/fat_content.h"
#include "fat/fat_standard_search.h"
#include "fat/fat_volume_layout.h"
#include "save/folder_contents.h"
#include "save_support.h"

namespace datrevo {
namespace {

// A JSON string's \uXXXX escapes (letters of the basic plane) as UTF-8.
std::string JsonUnescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 5 >= text.size() || text[i + 1] != 'u') {
            out += text[i];
            continue;
        }
        const auto code = static_cast<unsigned>(std::stoul(text.substr(i + 2, 4), nullptr, 16));
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
        i += 5;
    }
    return out;
}

// The Standard search of the NTFS image at `path`, everything it found
// saved into `destination`; nothing when the partition does not validate.
std::optional<SaveSummary> SaveNtfsStandardResult(const std::string& path,
                                                  const std::filesystem::path& destination) {
    test::NtfsSession session(path);
    if (!session.validate()) return std::nullopt;
    session.standard();
    NtfsFolderContents contents(session.tree, session.catalogue.EntryTable);
    return test::SaveWholeTree(session.tree, contents, session.content(), destination);
}

TEST(PublicSave, FatUndeleteGivesTheThreeUnfragmentedFilesAndFlagsTheOthers) {
    const auto image = test::PublicZipImage("dftt/6-undel-fat.zip", "6-undel-fat/6-fat-undel.dd");
    if (!image) GTEST_SKIP() << "public images absent";
    test::FatHarness run(test::ReaderFor(*image));
    const std::uint64_t sectors = image->sizeInBytes() / 512;
    const bool valid = ReadFatBootLayout(run.disk, 0, VolumeKind::Fat16, run.partitionLayout);
    FatSearchScope scope = run.scope(0, sectors, VolumeKind::Fat16, valid);
    RunFatStandardSearch(scope);
    FatFolderContents contents(run.tree, run.disk, run.activeLayout);
    test::TempFolder out;
    const SaveSummary summary = test::SaveWholeTree(
        run.tree, contents, std::make_shared<FatContentReader>(run.disk, run.activeLayout, sectors),
        out.path);
    const auto md5s = test::Md5OfFiles(out.path);
    for (const char* path : {"_ing.dat", "_ult1.dat", "_ir1/mult2.dat"})
        ASSERT_EQ(md5s.count(path), 1u) << ::testing::PrintToString(md5s);

    // Names lost their first letter with deletion.
    EXPECT_EQ(md5s.at("_ing.dat"), "59b20779f69ff9f0ac5fcd2c38835a79");
    EXPECT_EQ(md5s.at("_ult1.dat"), "ffd27bd782bdce67750b6b9ee069d2ef");
    EXPECT_EQ(md5s.at("_ir1/mult2.dat"), "59cf0e9cd107bc1e75afb7374f6e05bb");
    // The fragmented ones need more than one cluster, taken from free
    // clusters after the first: the summary names them.
    for (const char* path : {"_rag1.dat", "_rag2.dat", "_ir1\\dir2\\frag3.dat"}) {
        EXPECT_NE(std::find(summary.uncertain.begin(), summary.uncertain.end(), path),
                  summary.uncertain.end())
            << path << "\n"
            << SummaryText(summary);
    }
    EXPECT_TRUE(summary.overwritten.empty());
}

TEST(PublicSave, NtfsUndeleteGivesAllEightDeletedFilesBitExact) {
    auto image = test::PublicZipImage("dftt/7-undel-ntfs.zip", "7-undel-ntfs/7-ntfs-undel.dd");
    if (!image) GTEST_SKIP() << "public images absent";
    test::TempFolder out;
    const std::optional<SaveSummary> summary = SaveNtfsStandardResult(image->path(), out.path);
    ASSERT_TRUE(summary.has_value()) << "the NTFS partition does not validate";
    EXPECT_EQ(summary->filesFailed, 0u);
    const auto md5s = test::Md5OfFiles(out.path);
    const std::map<std::string, std::string> expected{
        {"res1.dat", "9036637712b491904cd0bfbdbe648453"},
        {"sing1.dat", "59b20779f69ff9f0ac5fcd2c38835a79"},
        {"mult1.dat", "ffd27bd782bdce67750b6b9ee069d2ef"},
        {"frag1.dat", "7a3bc5b763bef201202108f4ba128149"},
        {"frag2.dat", "0e80ab84ef0087e60dfc67b88a1cf13e"},
        {"dir1/mult2.dat", "59cf0e9cd107bc1e75afb7374f6e05bb"},
        {"dir1/dir2/frag3.dat", "21121699487f3fbbdb9a4b3391b6d3e0"},
        {"Miscellaneous_001/sing2.dat", "c229626f6a71b167ad7e50c4f2fccdb1"}};
    for (const auto& [path, md5] : expected) {
        ASSERT_EQ(md5s.count(path), 1u) << path;
        EXPECT_EQ(md5s.at(path), md5) << path;
    }
}

TEST(PublicSave, ReferenceNtfsVolumeGivesItsNineFilesBitExact) {
    auto image = test::PublicGzImage("recuperabit/reference_ntfs.img.gz");
    if (!image) GTEST_SKIP() << "public images absent";
    test::TempFolder out;
    const std::optional<SaveSummary> summary = SaveNtfsStandardResult(image->path(), out.path);
    ASSERT_TRUE(summary.has_value()) << "the NTFS partition does not validate";
    EXPECT_EQ(summary->filesFailed, 0u);

    std::ifstream json(*test::PublicEvalDir() / "recuperabit/reference_ntfs.json");
    const std::string text(std::istreambuf_iterator<char>(json), {});
    const std::size_t start = text.find("\"reference_files_hashes\"");
    ASSERT_NE(start, std::string::npos);
    const std::string hashes = text.substr(start, text.find('}', start) - start);
    const std::regex pair("\"([^\"]+)\": \"([0-9a-f]{64})\"");
    std::size_t checked = 0;
    for (std::sregex_iterator it(hashes.begin(), hashes.end(), pair), end; it != end; ++it) {
        const std::string path = JsonUnescape((*it)[1]);
        const test::CommandResult sum =
            test::RunCommand("sha256sum " + test::ShellQuote((out.path / path).string()));
        EXPECT_EQ(sum.output.substr(0, 64), (*it)[2].str()) << path;
        ++checked;
    }
    EXPECT_EQ(checked, 9u);
}

}  // namespace
}  // namespace datrevo
