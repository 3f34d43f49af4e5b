// File records and attributes: fix-up, names, sizes, attribute lists and
// index allocations, on crafted records, damaged ones included.
#include <gtest/gtest.h>

#include "ntfs/file_record.h"
#include "record_builder.h"

namespace datrevo {
namespace {

using test::RecordBuilder;

ByteView View(std::array<std::uint8_t, 1024>& bytes) {
    return ByteView(bytes.data(), bytes.size());
}

TEST(UpdateSequence, RestoresTheLastTwoBytesOfEachSector) {
    RecordBuilder record;
    record.put16(510, 0xBEEF);
    record.put16(1022, 0xCAFE);
    record.seal();
    ASSERT_EQ(record.bytes()[510], 7);
    ApplyUpdateSequence(record.bytes());
    EXPECT_EQ(View(record.bytes()).le16(510), 0xBEEF);
    EXPECT_EQ(View(record.bytes()).le16(1022), 0xCAFE);
}

TEST(UpdateSequence, AnArrayPastTheBufferChangesNothing) {
    RecordBuilder record;
    record.put16(4, 1023);  // the array would start at the very end
    record.put16(1022, 0x1234);
    const auto before = record.bytes();
    ApplyUpdateSequence(record.bytes());
    EXPECT_EQ(record.bytes(), before);
    record.put16(4, 48);
    record.put16(6, 0xFFFF);  // more entries than bytes
    const auto again = record.bytes();
    ApplyUpdateSequence(record.bytes());
    EXPECT_EQ(record.bytes(), again);
}

TEST(UpdateSequence, OnlySectorsInsideTheBufferAreTouched) {
    std::vector<std::uint8_t> block(600, 0);  // one whole sector and a part
    block[4] = 40;
    block[6] = 3;
    block[42] = 0xAA;
    block[44] = 0xBB;
    ApplyUpdateSequence(block);
    EXPECT_EQ(block[510], 0xAA);
    EXPECT_EQ(block.size(), 600u);
}

TEST(FileNames, Win32IsPreferredOverDos) {
    RecordBuilder record;
    record.fileName(u"LONGNA~1.TXT", kNameSpaceDos).fileName(u"Long name.txt", kNameSpaceWin32, 77);
    const auto name = FindPreferredFileName(View(record.bytes()));
    ASSERT_TRUE(name);
    EXPECT_EQ(name->name, "Long name.txt");
    EXPECT_EQ(name->parent, 77u);
    EXPECT_EQ(name->creationTime, 132000000000000000);
}

TEST(FileNames, DosOnlyYieldsTheDosName) {
    RecordBuilder record;
    record.fileName(u"SHORT.TXT", kNameSpaceDos);
    EXPECT_EQ(FindPreferredFileName(View(record.bytes()))->name, "SHORT.TXT");
}

TEST(FileNames, PosixNamesAreKeptAndBeatTheShortName) {
    RecordBuilder posixOnly;
    posixOnly.fileName(u"made on linux", kNameSpacePosix);
    EXPECT_FALSE(FindFileName(View(posixOnly.bytes()), kNameSpaceWin32));
    EXPECT_EQ(FindPreferredFileName(View(posixOnly.bytes()))->name, "made on linux");

    RecordBuilder both;
    both.fileName(u"CASEDI~1", kNameSpaceDos).fileName(u"CaseDifferent", kNameSpacePosix);
    EXPECT_EQ(FindPreferredFileName(View(both.bytes()))->name, "CaseDifferent");
}

TEST(FileNames, NonAsciiNamesDecodeToUtf8IncludingSurrogatePairs) {
    RecordBuilder record;
    record.fileName(u"Caf\u00e9 \u65e5\u672c \U0001F3B5.mp3", kNameSpaceWin32);
    EXPECT_EQ(FindPreferredFileName(View(record.bytes()))->name,
              "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xB5.mp3");
}

TEST(FileNames, ANameRunningPastTheRecordIsCutThere) {
    RecordBuilder record;
    record.fileName(u"abc", kNameSpaceWin32);
    // Move the content so the name starts 4 bytes before the record's end,
    // and claim 200 characters: two fit.
    auto& bytes = record.bytes();
    const std::size_t attribute = 56;
    record.put32(attribute + 4, 1024 - attribute);
    record.put16(attribute + 20, static_cast<std::uint16_t>(1024 - 4 - 66 - attribute));
    const std::size_t content = 1024 - 4 - 66;
    bytes[content + 64] = 200;
    bytes[content + 65] = kNameSpaceWin32;
    record.put16(content + 66, 'x');
    record.put16(content + 68, 'y');
    const auto name = FindPreferredFileName(View(bytes));
    ASSERT_TRUE(name);
    EXPECT_EQ(name->name, "xy");
}

// The link list and the preferred-name search read the same attributes: the
// first link is always the preferred name, DOS names are links only when
// there is nothing else, and each (parent, name) is listed once.
TEST(FileNames, LinkNamesBeginWithThePreferredNameInEveryMix) {
    const auto names = [](RecordBuilder& record) {
        std::vector<std::string> out;
        for (const FileNameInfo& link : ListLinkNames(View(record.bytes())))
            out.push_back(link.name + "@" + std::to_string(link.parent));
        return out;
    };
    RecordBuilder dosFirst;
    dosFirst.fileName(u"SONG~1.MP3", kNameSpaceDos, 7)
        .fileName(u"old link.mp3", kNameSpacePosix, 9)
        .fileName(u"Song one.mp3", kNameSpaceWin32, 7);
    EXPECT_EQ(names(dosFirst), (std::vector<std::string>{"Song one.mp3@7", "old link.mp3@9"}));
    EXPECT_EQ(FindPreferredFileName(View(dosFirst.bytes()))->name, "Song one.mp3");

    RecordBuilder both;
    both.fileName(u"a.txt", kNameSpacePosix, 5).fileName(u"A.TXT", kNameSpaceWin32AndDos, 5);
    EXPECT_EQ(names(both), (std::vector<std::string>{"A.TXT@5", "a.txt@5"}));

    RecordBuilder twice;
    twice.fileName(u"same", kNameSpaceWin32, 5)
        .fileName(u"same", kNameSpacePosix, 5)
        .fileName(u"same", kNameSpacePosix, 6);
    EXPECT_EQ(names(twice), (std::vector<std::string>{"same@5", "same@6"}));

    RecordBuilder dosOnly;
    dosOnly.fileName(u"SHORT.TXT", kNameSpaceDos, 5);
    EXPECT_EQ(names(dosOnly), (std::vector<std::string>{"SHORT.TXT@5"}));
    EXPECT_TRUE(ListLinkNames(View(RecordBuilder().bytes())).empty());
}

TEST(FileNames, AFileNameWithItsContentOutsideTheRecordEndsTheLinks) {
    // The second name's content offset points past the record: it and every
    // name after it are left out, for the preferred name as for the links.
    RecordBuilder record;
    record.fileName(u"kept", kNameSpacePosix, 5)
        .fileName(u"broken", kNameSpaceWin32, 5)
        .fileName(u"after", kNameSpaceWin32, 5);
    const std::size_t second = 56 + record.bytes()[56 + 4];
    record.put16(second + 20, 2000);
    const std::vector<FileNameInfo> links = ListLinkNames(View(record.bytes()));
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links.front().name, "kept");
    EXPECT_EQ(FindPreferredFileName(View(record.bytes()))->name, "kept");
}

TEST(AttributeWalk, StopsAtZeroOrOversizedLengths) {
    RecordBuilder zero;
    zero.fileName(u"a", kNameSpaceWin32);
    zero.put32(56 + 4, 0);
    EXPECT_TRUE(ListAttributes(View(zero.bytes())).empty());
    EXPECT_FALSE(FindPreferredFileName(View(zero.bytes())));

    RecordBuilder past;
    past.fileName(u"a", kNameSpaceWin32);
    past.put32(56 + 4, 4000);
    EXPECT_TRUE(ListAttributes(View(past.bytes())).empty());

    RecordBuilder firstOffsetOut;
    firstOffsetOut.put16(20, 1020);
    EXPECT_TRUE(ListAttributes(View(firstOffsetOut.bytes())).empty());
}

TEST(AttributeWalk, AContentOffsetPastTheRecordEndsTheNameSearch) {
    RecordBuilder record;
    record.fileName(u"a", kNameSpaceWin32);
    record.put16(56 + 20, 2000);
    EXPECT_FALSE(FindPreferredFileName(View(record.bytes())));
}

TEST(DataSize, ResidentNonResidentAndDirectory) {
    RecordBuilder resident;
    resident.residentData(300);
    EXPECT_EQ(GetUnnamedDataSize(View(resident.bytes())), 300u);
    RecordBuilder big;
    big.nonResidentData(5'000'000'000ull, {0x11, 0x01, 0x10, 0x00});
    EXPECT_EQ(GetUnnamedDataSize(View(big.bytes())), 5'000'000'000ull);
    RecordBuilder directory;
    directory.flags(3).fileName(u"dir", kNameSpaceWin32);
    EXPECT_FALSE(GetUnnamedDataSize(View(directory.bytes())));
}

TEST(AttributeList, ListsRecordsUpToTheCapacity) {
    RecordBuilder record;
    record.attributeList({0, 40, 41});
    std::vector<std::uint32_t> list{12};
    ListAttributeRecords(View(record.bytes()), list);
    EXPECT_EQ(list, (std::vector<std::uint32_t>{12, 0, 40, 41}));

    std::vector<std::uint32_t> full(67, 1);
    ListAttributeRecords(View(record.bytes()), full);
    EXPECT_EQ(full.size(), 68u);
}

TEST(AttributeList, AnEntryLengthOfZeroEndsTheList) {
    RecordBuilder record;
    record.attributeList({40, 41});
    record.put16(56 + 24 + 4, 0);
    std::vector<std::uint32_t> list{12};
    ListAttributeRecords(View(record.bytes()), list);
    EXPECT_EQ(list.size(), 1u);
}

TEST(IndexAllocation, FirstClusterOfTheI30Index) {
    RecordBuilder record;
    record.flags(3).indexAllocation(0x123456);
    EXPECT_EQ(GetIndexFirstRun(View(record.bytes())), 0x123456u);
    RecordBuilder none;
    none.flags(3).fileName(u"x", kNameSpaceWin32);
    EXPECT_EQ(GetIndexFirstRun(View(none.bytes())), 0u);
    // A run list offset pointing past the attribute gives 0.
    record.put16(56 + 32, 900);
    EXPECT_EQ(GetIndexFirstRun(View(record.bytes())), 0u);
}

}  // namespace
}  // namespace datrevo
