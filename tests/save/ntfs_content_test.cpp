// Reading NTFS file contents from records crafted byte by byte: compressed
// units in each of their stored forms, damaged units, encrypted data, a
// compression form not decoded here, and runs that leave the volume.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <filesystem>

#include "../ntfs/record_builder.h"
#include "disk/memory_source.h"
#include "ntfs/ntfs_content.h"
#include "save/save_task.h"
#include "save_support.h"

namespace datrevo {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Clusters of one sector, so a compression unit is 16 sectors (8 KiB, two
// chunks). The record lies at sector 2, data from cluster 32 on.
constexpr std::uint64_t kRecordSector = 2;
constexpr std::size_t kDiskSectors = 96;
constexpr std::size_t kUnitBytes = 16 * 512;

// A compressed chunk holding "abc" and a back-reference: "abcabcabcabc".
const Bytes kAbcChunk{0x05, 0xB0, 0x08, 'a', 'b', 'c', 0x06, 0x20};
// A compressed chunk holding "xy".
const Bytes kXyChunk{0x02, 0xB0, 0x00, 'x', 'y'};

std::uint8_t Pattern(std::size_t i) { return static_cast<std::uint8_t>(i * 13 + 1); }

struct CraftedFile {
    Bytes disk = Bytes(kDiskSectors * 512, 0);
    test::RecordBuilder record;

    void place(std::size_t sector, const Bytes& bytes) {
        std::copy(bytes.begin(), bytes.end(),
                  disk.begin() + static_cast<std::ptrdiff_t>(sector * 512));
    }
    // The data attribute (the record's first attribute, at 56) with its
    // header flags and compression unit.
    void data(std::uint64_t size, const Bytes& runs, std::uint16_t flags, std::uint8_t unit) {
        record.nonResidentData(size, runs);
        record.put16(56 + 12, flags);
        record.bytes()[56 + 34] = unit;
    }
    std::shared_ptr<const ContentReader> volume(std::uint64_t end = kDiskSectors) {
        record.seal();
        place(kRecordSector, Bytes(record.bytes().begin(), record.bytes().end()));
        return std::make_shared<NtfsContentReader>(
            DiskReader(std::make_shared<MemorySource>(disk), nullptr),
            NtfsGeometry{.sectorsPerCluster = 1, .cluster0Start = 0}, end, MftRunList{});
    }
};

Bytes Read(const std::shared_ptr<const ContentReader>& volume, std::uint64_t listedSize,
           ContentReport& report) {
    ContentSource source;
    source.kind = ContentKind::NtfsRecord;
    source.recordSector = kRecordSector;
    source.size = listedSize;
    Bytes out;
    report = volume->readContent(source,
                                 [&](std::span<const std::uint8_t> piece) {
                                     out.insert(out.end(), piece.begin(), piece.end());
                                     return true;
                                 },
                                 {});
    return out;
}

// Four units: LZNT1 in one cluster; 16 clusters stored as they are; all
// sparse; a short last unit of 3 clusters, LZNT1 in its first.
constexpr std::uint64_t kFourUnitSize = 3 * kUnitBytes + 1000;
const Bytes kFourUnitRuns{0x11, 0x01, 0x20,  // 1 cluster at 32
                          0x01, 0x0F,        // 15 sparse
                          0x11, 0x10, 0x08,  // 16 clusters at 40
                          0x01, 0x10,        // 16 sparse
                          0x11, 0x01, 0xF9,  // 1 cluster at 33
                          0x01, 0x02,        // 2 sparse
                          0x00};

CraftedFile FourUnitFile(std::uint16_t flags = 0x0001) {
    CraftedFile file;
    file.place(32, kAbcChunk);
    Bytes stored(kUnitBytes);
    for (std::size_t i = 0; i < stored.size(); ++i) stored[i] = Pattern(i);
    file.place(40, stored);
    file.place(33, kXyChunk);
    file.data(kFourUnitSize, kFourUnitRuns, flags, 4);
    return file;
}

Bytes FourUnitContent() {
    Bytes want(kFourUnitSize, 0);
    const std::string abc = "abcabcabcabc";
    std::copy(abc.begin(), abc.end(), want.begin());
    for (std::size_t i = 0; i < kUnitBytes; ++i) want[kUnitBytes + i] = Pattern(i);
    want[3 * kUnitBytes] = 'x';
    want[3 * kUnitBytes + 1] = 'y';
    return want;
}

TEST(NtfsCompressedContent, EachUnitFormDecodesToTheFileBytes) {
    CraftedFile file = FourUnitFile();
    ContentReport report;
    const Bytes got = Read(file.volume(), kFourUnitSize, report);
    EXPECT_EQ(report.failure, ContentFailure::None);
    EXPECT_FALSE(report.incomplete || report.unreadable);
    ASSERT_EQ(got.size(), kFourUnitSize);
    EXPECT_TRUE(got == FourUnitContent());
}

TEST(NtfsCompressedContent, ADamagedUnitFailsTheFileButTheOtherUnitsAreKept) {
    CraftedFile file = FourUnitFile();
    // The first unit's chunk now refers before its start.
    file.place(32, Bytes{0x03, 0xB0, 0x02, 'a', 0x00, 0x10});
    ContentReport report;
    const Bytes got = Read(file.volume(), kFourUnitSize, report);
    EXPECT_EQ(report.failure, ContentFailure::DamagedCompression);
    ASSERT_EQ(got.size(), kFourUnitSize);
    EXPECT_EQ(got[0], 'a');
    EXPECT_EQ(got[1], 0);
    const Bytes want = FourUnitContent();
    EXPECT_TRUE(std::equal(want.begin() + kUnitBytes, want.end(), got.begin() + kUnitBytes));
}

TEST(NtfsCompressedContent, AUnitOfGarbageNeverReadsOutsideIt) {
    CraftedFile file = FourUnitFile();
    // The whole first cluster: a chunk header claiming 4 KiB and garbage.
    Bytes garbage(512);
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<std::uint8_t>(0xFF - i);
    garbage[0] = 0xFF;
    garbage[1] = 0xBF;
    file.place(32, garbage);
    ContentReport report;
    const Bytes got = Read(file.volume(), kFourUnitSize, report);
    EXPECT_EQ(report.failure, ContentFailure::DamagedCompression);
    EXPECT_EQ(got.size(), kFourUnitSize);
}

TEST(NtfsCompressedContent, EncryptedDataIsSavedAsStoredAndNamedEncrypted) {
    CraftedFile file;
    file.place(40, Bytes(1024, 0x5A));
    file.data(1000, {0x11, 0x02, 0x28, 0x00}, 0x4000, 0);
    ContentReport report;
    const Bytes got = Read(file.volume(), 1000, report);
    EXPECT_EQ(report.failure, ContentFailure::Encrypted);
    EXPECT_EQ(got, Bytes(1000, 0x5A));
}

TEST(NtfsCompressedContent, ACompressionFormNotDecodedHereIsNamedSo) {
    for (const auto& [flags, unit] :
         {std::pair<std::uint16_t, std::uint8_t>{0x0002, 4}, {0x0001, 3}}) {
        CraftedFile file = FourUnitFile(flags);
        file.record.bytes()[56 + 34] = unit;
        ContentReport report;
        const Bytes got = Read(file.volume(), kFourUnitSize, report);
        EXPECT_EQ(report.failure, ContentFailure::Undecodable) << flags << " " << int(unit);
        EXPECT_EQ(got.size(), kFourUnitSize);
    }
}

TEST(NtfsCompressedContent, RunsPastTheVolumesEndGiveZerosAndAreNamed) {
    CraftedFile file;
    file.place(60, Bytes(512, 0x11));
    file.place(61, Bytes(512, 0x22));  // past the volume's end (61), though on the disk
    file.data(1024, {0x11, 0x02, 0x3C, 0x00}, 0, 0);
    ContentReport report;
    const Bytes got = Read(file.volume(61), 1024, report);
    EXPECT_EQ(report.failure, ContentFailure::OutsideVolume);
    ASSERT_EQ(got.size(), 1024u);
    EXPECT_EQ(got[0], 0x11);
    EXPECT_EQ(got[600], 0x00) << "the sector past the volume's end is not read";
}

TEST(NtfsContent, BytesPastTheInitializedSizeAreZerosNotWhatTheClustersHeldBefore) {
    CraftedFile file;
    file.place(40, Bytes(1024, 0x5A));  // old data in the file's clusters
    file.data(1000, {0x11, 0x02, 0x28, 0x00}, 0, 0);
    file.record.put64(56 + 56, 600);  // only 600 bytes were ever written
    ContentReport report;
    const Bytes got = Read(file.volume(), 1000, report);
    EXPECT_EQ(report.failure, ContentFailure::None);
    ASSERT_EQ(got.size(), 1000u);
    EXPECT_EQ(Bytes(got.begin(), got.begin() + 600), Bytes(600, 0x5A));
    EXPECT_EQ(Bytes(got.begin() + 600, got.end()), Bytes(400, 0));
}

TEST(NtfsCompressedContent, ASaveWritesWhatCanBeReadButCountsTheFileFailed) {
    CraftedFile file;
    file.place(40, Bytes(1024, 0x5A));
    file.data(1000, {0x11, 0x02, 0x28, 0x00}, 0x4000, 0);
    SavePlan plan;
    SaveJob job;
    job.path = {"letter.docx"};
    job.shownPath = "letter.docx";
    job.source.kind = ContentKind::NtfsRecord;
    job.source.recordSector = kRecordSector;
    job.source.size = 1000;
    plan.jobs.push_back(job);
    plan.fileCount = 1;
    test::TempFolder out;
    test::ScriptedSaveQuestions questions;
    test::RecordingSaveProgress progress;
    SaveTask task(std::move(plan), file.volume(), out.path.string(), questions, progress);
    const SaveSummary summary = task.run();
    EXPECT_EQ(summary.ending, SaveEnding::Finished);
    EXPECT_EQ(summary.filesSaved, 0u);
    EXPECT_EQ(summary.filesFailed, 1u);
    EXPECT_EQ(summary.encrypted, std::vector<std::string>{"letter.docx"});
    EXPECT_TRUE(summary.incomplete.empty());
    EXPECT_EQ(std::filesystem::file_size(out.path / "letter.docx"), 1000u);
    EXPECT_NE(SummaryText(summary).find("failed: 1"), std::string::npos);
}

TEST(NtfsCompressedContent, SummaryCountsSuchFilesFailedUnderTheirReason) {
    SaveSummary summary;
    summary.filesFailed = 2;
    summary.encrypted = {"Secret\\letter.docx"};
    summary.damagedCompression = {"Comp\\notes.txt"};
    const std::string text = SummaryText(summary);
    EXPECT_NE(text.find("failed: 2"), std::string::npos);
    EXPECT_NE(text.find("encrypted"), std::string::npos);
    EXPECT_NE(text.find("  Secret\\letter.docx\n"), std::string::npos);
    EXPECT_NE(text.find("compressed data damaged"), std::string::npos);
    EXPECT_NE(text.find("  Comp\\notes.txt\n"), std::string::npos);
}

}  // namespace
}  // namespace datrevo
