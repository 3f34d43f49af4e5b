#include <gtest/gtest.h>

#include <random>

#include "log/fat_tree_rebuild.h"
#include "log/log_context.h"
#include "log/log_decoder.h"
#include "log/log_encoder.h"
#include "browse/build_folder_tree.h"
#include "log_samples.h"

namespace datrevo {
namespace {

using test::ByteSpeller;

std::vector<std::uint8_t> ValidNtfsLog() { return EncodeRecoveryLog(test::SampleNtfsLog()).bytes; }

// Restores decoded contents into tables and builds the tree as a load does,
// so hostile values reach the tree builders too.
void RestoreAndBuild(const LogContents& contents) {
    Catalogue catalogue;
    FolderTree tree;
    tree.createStage(kStageResults, 0);
    ASSERT_TRUE(RestoreLogTables(contents, catalogue, SilentObserver()));
    catalogue.FolderTable.sortByColumn(folder_col::Parent);
    if (LogHasFileRows(contents.activeKind))
        BuildFolderTree(catalogue.FolderTable, tree, SilentObserver());
    else
        ASSERT_TRUE(RebuildFatFolderTree(catalogue.FolderTable, tree, SilentObserver()));
    EXPECT_LE(tree.nodes().size(), contents.folders.size());
}

TEST(LogDamage, EveryCutOfAValidLogIsRefused) {
    for (const auto& full : {ValidNtfsLog(), EncodeRecoveryLog(test::SampleFatLog()).bytes}) {
        for (std::size_t length = 0; length < full.size(); ++length) {
            const DecodedLog decoded =
                DecodeRecoveryLog(std::span<const std::uint8_t>(full.data(), length));
            EXPECT_NE(decoded.status, LogDecodeStatus::Decoded) << "cut at " << length;
            const LogDecodeStatus expected =
                length < 23 + 10 ? LogDecodeStatus::ModelUnreadable : LogDecodeStatus::Damaged;
            EXPECT_EQ(decoded.status, expected) << "cut at " << length;
        }
    }
}

TEST(LogDamage, RandomByteFlipsNeverCrash) {
    const std::vector<std::uint8_t> valid = ValidNtfsLog();
    const std::vector<std::uint8_t> fat = EncodeRecoveryLog(test::SampleFatLog()).bytes;
    std::mt19937 random(20090305);
    int decodedCount = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> bytes = round % 2 == 0 ? valid : fat;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < flips; ++i) {
            const std::size_t at = random() % bytes.size();
            bytes[at] = static_cast<std::uint8_t>(random());
        }
        const DecodedLog decoded = DecodeRecoveryLog(bytes);
        if (decoded.status != LogDecodeStatus::Decoded) continue;
        ++decodedCount;
        RestoreAndBuild(decoded.contents);
    }
    // Most single-byte changes hit names and numbers and still decode.
    EXPECT_GT(decodedCount, 100);
}

TEST(LogDamage, HugeCountsAreRefusedBeforeAllocating) {
    LogContents header = test::SampleHeader("NTFS");
    std::vector<std::uint8_t> bytes = EncodeRecoveryLog(header).bytes;
    // The encoded log ends with the folder count 0 and the file count 0.
    ASSERT_GE(bytes.size(), 8u);
    const std::size_t folderCount = bytes.size() - 8;
    for (int i = 0; i < 4; ++i) bytes[folderCount + static_cast<std::size_t>(i)] = 0xFF;
    DecodedLog decoded = DecodeRecoveryLog(bytes);
    EXPECT_EQ(decoded.status, LogDecodeStatus::Damaged);
    EXPECT_NE(decoded.problem.find("count"), std::string::npos);

    bytes = EncodeRecoveryLog(header).bytes;
    for (int i = 0; i < 4; ++i) bytes[bytes.size() - 4 + static_cast<std::size_t>(i)] = 0xFF;
    decoded = DecodeRecoveryLog(bytes);
    EXPECT_EQ(decoded.status, LogDecodeStatus::Damaged);
}

TEST(LogDamage, HugeLengthsAreRefused) {
    ByteSpeller log;
    log.text("VantorrelWIN7SR2009").le32(0xFFFFFFF0u);
    EXPECT_EQ(DecodeRecoveryLog(log.bytes).status, LogDecodeStatus::ModelUnreadable);

    ByteSpeller folder;
    folder.text("VantorrelWIN7SR2009").le32(0).u8(1).u8(0).u8(0).u8(0);
    folder.u8(5).text("FAT32").u8(0).le64(0).le64(0);
    for (int i = 0; i < 24; ++i) folder.le32(0);
    folder.u8(5).text("FAT32").le32(1).le32(0xFFFFFFFFu);
    EXPECT_EQ(DecodeRecoveryLog(folder.bytes).status, LogDecodeStatus::Damaged);

    ByteSpeller kindText;
    kindText.text("VantorrelWIN7SR2009").le32(0).u8(1).u8(0).u8(0).u8(0).u8(200);
    kindText.text(std::string(300, 'K'));
    EXPECT_EQ(DecodeRecoveryLog(kindText.bytes).status, LogDecodeStatus::Damaged);
}

TEST(LogDamage, ParentLoopsInAFatLogDoNotGrowTheTree) {
    LogContents contents = test::SampleHeader("FAT32");
    contents.folders = {
        {"TOP", 7, 0, 0, 0, 0},
        {"SELF", 7, 7, 0, 0, 0},  // its own parent
        {"A", 8, 9, 0, 0, 0},     // A and B are each other's parent
        {"B", 9, 8, 0, 0, 0},
    };
    Catalogue catalogue;
    FolderTree tree;
    tree.createStage(kStageResults, 0);
    ASSERT_TRUE(RestoreLogTables(contents, catalogue, SilentObserver()));
    catalogue.FolderTable.sortByColumn(folder_col::Parent);
    ASSERT_TRUE(RebuildFatFolderTree(catalogue.FolderTable, tree, SilentObserver()));
    ASSERT_EQ(tree.nodes().size(), 2u);
    EXPECT_EQ(tree.FolderPath(tree.nodes()[1].treeItem), "TOP\\SELF");
}

TEST(LogDamage, UnnamedFolderOfAFatLogGetsADirName) {
    LogContents contents = test::SampleHeader("FAT16");
    contents.folders = {{"", 7, 0, 0, 0, 0}};
    Catalogue catalogue;
    FolderTree tree;
    tree.createStage(kStageResults, 0);
    ASSERT_TRUE(RestoreLogTables(contents, catalogue, SilentObserver()));
    ASSERT_TRUE(RebuildFatFolderTree(catalogue.FolderTable, tree, SilentObserver()));
    ASSERT_EQ(tree.nodes().size(), 1u);
    EXPECT_EQ(tree.nodes()[0].name, "DIR_1");
}

TEST(LogDamage, StopTokenEndsADecode) {
    std::stop_source source;
    source.request_stop();
    EXPECT_EQ(DecodeRecoveryLog(ValidNtfsLog(), source.get_token()).status,
              LogDecodeStatus::Stopped);
}

}  // namespace
}  // namespace datrevo
