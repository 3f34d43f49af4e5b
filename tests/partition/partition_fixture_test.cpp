// Partition tables made by sfdisk and the mkfs tools, checked against the
// fixture manifest, against The Sleuth Kit's mmls where it is installed, and
// against the published layout of a public image with a hand-edited EBR.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "disk/file_source.h"
#include "partition/partition_table.h"
#include "support/image_fixture.h"
#include "support/manifest.h"

namespace datrevo {
namespace {

struct Span {
    std::uint64_t start;
    std::uint64_t sectors;
    bool operator==(const Span&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Span& span) {
    return out << span.start << "+" << span.sectors;
}

std::vector<Span> Listed(const std::string& path, std::vector<std::string>* kinds = nullptr) {
    const DiskReader reader(std::make_shared<FileSource>(path), nullptr);
    DiskPartitionList list;
    ListPartitions(reader, reader.totalSectors(), list, nullptr);
    std::vector<Span> spans;
    for (std::size_t i = 0; i < list.count(); ++i) {
        spans.push_back(
            {list.record(i).firstSector, list.record(i).endSector - list.record(i).firstSector});
        if (kinds != nullptr) kinds->push_back(std::string(VolumeKindText(list.kind(i))));
    }
    return spans;
}

// mmls's view: the entries with a type byte this program searches.
std::vector<Span> MmlsSearchable(const std::string& path) {
    const test::CommandResult mmls =
        test::RunCommand("mmls -B " + test::ShellQuote(path) + " 2>/dev/null");
    std::vector<Span> spans;
    std::istringstream lines(mmls.output);
    std::string line;
    while (std::getline(lines, line)) {
        // "002:  000:000   0000002048   0000034815   0000032768   16M   Win95 FAT32 (0x0c)"
        const auto type = line.rfind("(0x");
        if (type == std::string::npos || line.find("Meta") != std::string::npos) continue;
        const int byte = std::stoi(line.substr(type + 3, 2), nullptr, 16);
        if (!KindForType(static_cast<std::uint8_t>(byte), true)) continue;
        std::istringstream fields(line);
        std::string slot, table;
        std::uint64_t start = 0, end = 0, length = 0;
        fields >> slot >> table >> start >> end >> length;
        spans.push_back({start, length});
    }
    return spans;
}

class PartitionFixtures : public ::testing::TestWithParam<const char*> {};

TEST_P(PartitionFixtures, ListsWhatSfdiskWroteAndMmlsReads) {
    const auto image = test::FixtureImage(GetParam());
    std::vector<std::string> kinds;
    const std::vector<Span> listed = Listed(image->path(), &kinds);

    std::vector<Span> expected;
    std::vector<std::string> expectedKinds;
    for (const auto& partition : test::ManifestPartitions(GetParam())) {
        expected.push_back({partition.start, partition.sectors});
        expectedKinds.push_back(partition.fileSystem);
    }
    ASSERT_FALSE(expected.empty()) << "the manifest lists no partition for " << GetParam();
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(kinds, expectedKinds);

    if (test::RunCommand("command -v mmls >/dev/null").status == 0) {
        EXPECT_EQ(listed, MmlsSearchable(image->path()));
    }
}

INSTANTIATE_TEST_SUITE_P(Images, PartitionFixtures,
                         ::testing::Values("mbr-primary", "mbr-extended", "fat-two-volumes",
                                           "ntfs-disk"));

TEST(PartitionFixture, VolumeImagesAreOneWholeDiskPartition) {
    for (const char* name : {"fat16", "fat32", "ntfs"}) {
        const auto image = test::FixtureImage(name);
        std::vector<std::string> kinds;
        const auto listed = Listed(image->path(), &kinds);
        ASSERT_EQ(listed.size(), 1u) << name;
        EXPECT_EQ(listed[0], (Span{0, image->sizeInBytes() / 512})) << name;
    }
}

// mmls's view of a GPT: "004:  000  0000002048  0000071679  0000069632  EFI system".
std::vector<Span> MmlsGptPartitions(const std::string& path) {
    const test::CommandResult mmls =
        test::RunCommand("mmls -B " + test::ShellQuote(path) + " 2>/dev/null");
    std::vector<Span> spans;
    std::istringstream lines(mmls.output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string slot, table;
        std::uint64_t start = 0, end = 0, length = 0;
        if (!(fields >> slot >> table >> start >> end >> length)) continue;
        if (table.find_first_not_of("0123456789") != std::string::npos) continue;
        spans.push_back({start, length});
    }
    return spans;
}

TEST(PartitionFixture, GptDiskListsItsFat32AndNtfsPartitions) {
    const auto image = test::FixtureImage("gpt-fat32-ntfs");
    std::vector<std::string> kinds;
    const std::vector<Span> listed = Listed(image->path(), &kinds);
    std::vector<Span> expected;
    std::vector<std::string> expectedKinds;
    for (const auto& partition : test::ManifestPartitions("gpt-fat32-ntfs")) {
        expected.push_back({partition.start, partition.sectors});
        expectedKinds.push_back(partition.fileSystem);
    }
    EXPECT_EQ(listed, (std::vector<Span>{{2048, 69632}, {71680, 8192}}));
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(kinds, expectedKinds);
    if (test::RunCommand("command -v mmls >/dev/null").status == 0) {
        EXPECT_EQ(listed, MmlsGptPartitions(image->path()));
    }
}

// The image's bytes with `edit` applied, as a crafted image of their own.
template <typename Edit>
std::unique_ptr<test::ImageCopy> EditedFixture(const std::string& name, Edit edit) {
    std::vector<std::uint8_t> bytes =
        test::ReadGzip(std::filesystem::path(DATREVO_FIXTURE_DIR) / "images" / (name + ".img.gz"));
    edit(bytes);
    return test::CraftedImage(bytes);
}

TEST(PartitionFixture, GptDiskWithItsPrimaryHeaderZeroedIsReadFromTheBackup) {
    const auto image = EditedFixture("gpt-fat32-ntfs", [](std::vector<std::uint8_t>& bytes) {
        std::fill_n(bytes.begin() + 512, 512, std::uint8_t{0});
    });
    const DiskReader reader(std::make_shared<FileSource>(image->path()), nullptr);
    DiskPartitionList list;
    const PartitionTableResult result =
        ListPartitions(reader, reader.totalSectors(), list, nullptr);
    EXPECT_TRUE(result.gptFromBackup);
    ASSERT_EQ(list.count(), 2u);
    EXPECT_EQ(list.kind(0), VolumeKind::Fat32);
    EXPECT_EQ(list.record(0).firstSector, 2048u);
    EXPECT_EQ(list.kind(1), VolumeKind::Ntfs);
    EXPECT_EQ(list.record(1).firstSector, 71680u);
    EXPECT_EQ(list.record(1).endSector, 79872u);
}

TEST(PartitionFixture, ExfatPartitionIsNamedExfatNotNtfs) {
    const auto image = test::FixtureImage("mbr-exfat");
    std::vector<std::string> kinds;
    const std::vector<Span> listed = Listed(image->path(), &kinds);
    EXPECT_EQ(listed, (std::vector<Span>{{2048, 8192}}));
    EXPECT_EQ(kinds, std::vector<std::string>{"exFAT"});
}

TEST(PartitionFixture, PublicImageWithAThreeEntryExtendedRecordListsAllSix) {
    const auto image =
        test::PublicZipImage("dftt/1-extend-part.zip", "1-extend-part/ext-part-test-2.dd");
    if (!image) GTEST_SKIP() << "public evaluation images not present";
    std::vector<std::string> kinds;
    EXPECT_EQ(Listed(image->path(), &kinds), (std::vector<Span>{{63, 52353},
                                                                {52416, 52416},
                                                                {104832, 52416},
                                                                {157311, 52353},
                                                                {209727, 52353},
                                                                {262143, 50337}}));
    EXPECT_EQ(kinds, std::vector<std::string>(6, "FAT16"));
}

}  // namespace
}  // namespace datrevo
