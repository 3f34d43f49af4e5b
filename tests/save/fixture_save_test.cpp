#include <gtest/gtest.h>

#include <sys/stat.h>

#include "../fat/fat_test_support.h"
#include "../ntfs/ntfs_session.h"
#include "fat/fat_content.h"
#include "fat/fat_standard_search.h"
#include "fat/fat_volume_layout.h"
#include "save/folder_contents.h"
#include "save/save_plan.h"
#include "save_support.h"
#include "support/manifest.h"

namespace datrevo {
namespace {

using test::ManifestRow;

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Where a manifest file lands in the copy: its path; an 8.3-only name as the
// directory entry spells it (upper case: the entry's lower-case flags are
// not read); a deleted one with its lost first letter as '_'.
std::string CopyPath(const std::map<std::string, std::string>& md5s, const ManifestRow& row) {
    if (md5s.count(row.path) != 0) return row.path;
    const std::size_t slash = row.path.rfind('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    std::string shortName = row.path;
    shortName[start] = '_';
    for (const auto& [path, md5] : md5s)
        if (SameIgnoringCase(path, row.path) || (row.deleted && SameIgnoringCase(path, shortName)))
            return path;
    return row.path;
}

struct SavedResult {
    SaveSummary summary;
    std::map<std::string, std::string> md5s;
};

SavedResult SaveEverything(const FolderTree& tree, FolderContents& contents,
                           std::shared_ptr<const ContentReader> volume,
                           const std::filesystem::path& destination) {
    test::ScriptedSaveQuestions questions;
    SavedResult saved;
    saved.summary = test::SaveWholeTree(tree, contents, std::move(volume), destination, questions);
    EXPECT_TRUE(questions.replaceAsked.empty());
    EXPECT_TRUE(questions.errorAsked.empty());
    saved.md5s = test::Md5OfFiles(destination);
    return saved;
}

bool Contains(const std::vector<std::string>& list, const std::string& text) {
    return std::find(list.begin(), list.end(), text) != list.end();
}

class FatSaveOnFixtures : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(FatSaveOnFixtures, LiveAndIntactDeletedFilesComeBackBitExactReusedOnesAreNamed) {
    const auto [image, kind] = GetParam();
    const auto copy = test::FixtureImage(image);
    test::FatHarness run(test::ReaderFor(*copy));
    const std::uint64_t sectors = copy->sizeInBytes() / 512;
    const bool valid =
        ReadFatBootLayout(run.disk, 0, VolumeKindFromText(kind), run.partitionLayout);
    FatSearchScope scope = run.scope(0, sectors, VolumeKindFromText(kind), valid);
    RunFatStandardSearch(scope);

    FatFolderContents contents(run.tree, run.disk, run.activeLayout);
    test::TempFolder out;
    const SavedResult saved = SaveEverything(
        run.tree, contents, std::make_shared<FatContentReader>(run.disk, run.activeLayout, sectors),
        out.path);
    EXPECT_EQ(saved.summary.ending, SaveEnding::Finished);
    EXPECT_EQ(saved.summary.filesFailed, 0u);

    std::size_t checked = 0;
    for (const ManifestRow& row : test::ManifestRows(image, "file")) {
        SCOPED_TRACE(row.path);
        const std::string path = CopyPath(saved.md5s, row);
        ASSERT_EQ(saved.md5s.count(path), 1u) << SummaryText(saved.summary);
        const std::string shown = [&] {
            std::string s = path;
            for (char& c : s)
                if (c == '/') c = '\\';
            return s;
        }();
        if (row.path == "Frag/B.BIN" || row.path == "DATA/BALLAST.BIN") {
            // Deleted, and their first clusters belong to "D fills the hole.BIN" now.
            EXPECT_NE(saved.md5s.at(path), row.md5);
            EXPECT_TRUE(Contains(saved.summary.overwritten, shown));
            continue;
        }
        EXPECT_EQ(saved.md5s.at(path), row.md5);
        ++checked;
    }
    EXPECT_GE(checked, 17u);

    // The copy carries the entry's time: the image's files were written at
    // 2020-01-01 00:00 by the tools' clock.
    struct stat info {};
    ASSERT_EQ(::stat((out.path / "README.TXT").c_str(), &info), 0);
    std::tm local{};
    const std::time_t mtime = info.st_mtime;
    localtime_r(&mtime, &local);
    EXPECT_EQ(local.tm_year + 1900, 2020);
    EXPECT_EQ(local.tm_mon, 0);
    EXPECT_EQ(local.tm_mday, 1);
}

INSTANTIATE_TEST_SUITE_P(Fat, FatSaveOnFixtures,
                         ::testing::Values(std::make_pair("fat16", "FAT16"),
                                           std::make_pair("fat32", "FAT32")));

TEST(NtfsSaveOnFixtures, ResidentFragmentedSparseAndDeletedFilesComeBackBitExact) {
    const auto image = test::FixtureImage("ntfs");
    test::NtfsSession session(image->path());
    ASSERT_TRUE(session.validate());
    session.standard();

    NtfsFolderContents contents(session.tree, session.catalogue.EntryTable);
    test::TempFolder out;
    const SavedResult saved = SaveEverything(session.tree, contents, session.content(), out.path);
    EXPECT_EQ(saved.summary.ending, SaveEnding::Finished);
    EXPECT_EQ(saved.summary.filesFailed, 0u);

    std::size_t exact = 0;
    std::size_t reusedIntact = 0;
    for (const ManifestRow& row : test::ManifestRows("ntfs", "file")) {
        SCOPED_TRACE(row.path);
        ASSERT_EQ(saved.md5s.count(row.path), 1u);
        const bool reused = row.deleted && (row.path.rfind("Frag/fill", 0) == 0 ||
                                            row.path.rfind("Comb/tooth", 0) == 0);
        if (reused) {
            // Their runs now hold "fragmented.bin" and "many runs.bin", except
            // for the teeth whose clusters were not needed.
            reusedIntact += saved.md5s.at(row.path) == row.md5;
            continue;
        }
        EXPECT_EQ(saved.md5s.at(row.path), row.md5);
        ++exact;
    }
    EXPECT_GE(exact, 3000u);
    EXPECT_EQ(reusedIntact, 19u);
    EXPECT_TRUE(saved.summary.overwritten.empty());
}

}  // namespace
}  // namespace datrevo
