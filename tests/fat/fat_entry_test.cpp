#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "fat/fat_entry.h"

namespace datrevo {
namespace {

using Entry = std::array<std::uint8_t, 32>;

Entry ShortEntry(const char (&name11)[12], std::uint8_t attributes = 0x20) {
    Entry e{};
    std::memcpy(e.data(), name11, 11);
    e[11] = attributes;
    return e;
}

ByteView View(const Entry& e) { return ByteView(e.data(), e.size()); }

// The long-name entries of `name` for `shortEntry`, last piece first, as
// they lie before it on disk.
std::vector<Entry> LongEntries(const std::u16string& name, const Entry& shortEntry) {
    const std::uint8_t sum = ShortNameChecksum(View(shortEntry), shortEntry[0]);
    const std::size_t pieces = (name.size() + 12) / 13;
    std::vector<Entry> out;
    for (std::size_t p = pieces; p-- > 0;) {
        Entry e{};
        e[0] = static_cast<std::uint8_t>(p + 1 + (p + 1 == pieces ? 0x40 : 0));
        e[11] = 0x0F;
        e[13] = sum;
        for (std::size_t i = 0; i < 13; ++i) {
            const std::size_t at = p * 13 + i;
            char16_t unit = at < name.size() ? name[at] : (at == name.size() ? 0 : 0xFFFF);
            const std::size_t off = fat_dirent::kLongUnitOffsets[i];
            e[off] = static_cast<std::uint8_t>(unit);
            e[off + 1] = static_cast<std::uint8_t>(unit >> 8);
        }
        out.push_back(e);
    }
    return out;
}

std::vector<std::uint8_t> Directory(const std::vector<Entry>& entries) {
    std::vector<std::uint8_t> bytes;
    for (const Entry& e : entries) bytes.insert(bytes.end(), e.begin(), e.end());
    return bytes;
}

std::optional<std::string> LongNameOfLast(const std::vector<std::uint8_t>& dir) {
    return ReadLongName(ByteView(dir.data(), dir.size()), dir.size() - 32);
}

TEST(ShortNames, BlanksAreDroppedAndTheExtensionJoinsWithADot) {
    EXPECT_EQ(ReadShortName(View(ShortEntry("READ    TXT"))).text, "READ.TXT");
    EXPECT_EQ(ReadShortName(View(ShortEntry("A B D      "))).text, "ABD");
}

TEST(ShortNames, ADeletedEntryShowsAnUnderscoreAndIsFlagged) {
    Entry e = ShortEntry("xOTES   TXT");
    e[0] = 0xE5;
    const ShortName name = ReadShortName(View(e));
    EXPECT_EQ(name.text, "_OTES.TXT");
    EXPECT_TRUE(name.deleted);
}

TEST(ShortNames, CaseFlagsGiveBackSmallLetters) {
    Entry e = ShortEntry("README  TXT");
    e[12] = 0x08 | 0x10;  // "readme.txt", written in small letters
    EXPECT_EQ(ReadShortName(View(e)).text, "readme.txt");
    e[12] = 0x10;  // only the extension ("README.txt")
    EXPECT_EQ(ReadShortName(View(e)).text, "README.txt");
    e[12] = 0x08;
    e[0] = 0xE5;  // deleted: the lost first letter stays "_", the rest folds
    EXPECT_EQ(ReadShortName(View(e)).text, "_eadme.TXT");
    Entry cafe = ShortEntry("CAFx    TXT");
    cafe[3] = 0x90;  // code page 437 capital E acute: only ASCII capitals fold
    cafe[12] = 0x08;
    EXPECT_EQ(ReadShortName(View(cafe)).text, "caf\xC3\x89.TXT");
}

TEST(ShortNames, BytesAboveAsciiAreCodePage437) {
    Entry e = ShortEntry("CAFx    TXT");
    e[3] = 0x90;  // É
    EXPECT_EQ(ReadShortName(View(e)).text, "CAFÉ.TXT");
    EXPECT_TRUE(IsAcceptableName(ReadShortName(View(e)).text));
}

TEST(AcceptableNames, ControlCharactersAndReservedPunctuationAreRefused) {
    EXPECT_TRUE(IsAcceptableName("Café del Mar"));
    EXPECT_TRUE(IsAcceptableName("日本.txt"));
    EXPECT_FALSE(IsAcceptableName("a\x01z"));
    for (const char* bad : {"a\"b", "a\\b", "a/b", "a?b", "a*b", "a<b", "a>b", "a|b"})
        EXPECT_FALSE(IsAcceptableName(bad)) << bad;
}

TEST(LongNames, ANameEndsAtItsTerminatorOrAtTheLastEntry) {
    const Entry shortEntry = ShortEntry("THIRTE~1TXT");
    std::vector<Entry> entries = LongEntries(u"thirteen.abc", shortEntry);  // 12 + terminator
    entries.push_back(shortEntry);
    EXPECT_EQ(LongNameOfLast(Directory(entries)), "thirteen.abc");

    std::vector<Entry> exact = LongEntries(u"exactly13.txt", shortEntry);
    ASSERT_EQ(exact.size(), 1u);
    exact.push_back(shortEntry);
    EXPECT_EQ(LongNameOfLast(Directory(exact)), "exactly13.txt");
}

TEST(LongNames, ANameSpanningTwoSectorsIsReadWhole) {
    const Entry shortEntry = ShortEntry("ARATHE~1MP3");
    const std::u16string name = u"03 Third Track With A Rather Long Name.mp3";
    std::vector<Entry> entries(16 - 2, Entry{});  // a first sector, its last two slots long-name
    for (Entry& filler : entries) filler = ShortEntry("FILLER  BIN");
    std::vector<Entry> pieces = LongEntries(name, shortEntry);
    ASSERT_EQ(pieces.size(), 4u);
    entries.insert(entries.end(), pieces.begin(), pieces.end());
    entries.push_back(shortEntry);  // at offset 64 of the second sector
    EXPECT_EQ(LongNameOfLast(Directory(entries)), "03 Third Track With A Rather Long Name.mp3");
}

TEST(LongNames, UnitsBeyondTheBasicPlaneAndNonLatinLettersDecode) {
    const Entry shortEntry = ShortEntry("_D83D_~1TXT");
    std::vector<Entry> entries = LongEntries(u"Привет 😀.txt", shortEntry);
    entries.push_back(shortEntry);
    EXPECT_EQ(LongNameOfLast(Directory(entries)), "Привет 😀.txt");
}

TEST(LongNames, LeftoversOfAnotherNameAreNotTaken) {
    // A deleted file's long-name entries sit before a short entry whose own
    // long name was never written: their checksum names another entry.
    const Entry other = ShortEntry("OLDNAM~1TXT");
    std::vector<Entry> entries = LongEntries(u"old long name.txt", other);
    entries.push_back(ShortEntry("NEW     TXT"));
    EXPECT_FALSE(LongNameOfLast(Directory(entries)).has_value());
}

TEST(LongNames, ADeletedEntryIsCheckedWithItsLongNamesFirstCharacter) {
    Entry shortEntry = ShortEntry("TRASHF~1   ", 0x10);
    std::vector<Entry> entries = LongEntries(u"Trash Folder", shortEntry);
    for (Entry& e : entries) e[0] = 0xE5;
    shortEntry[0] = 0xE5;
    entries.push_back(shortEntry);
    EXPECT_EQ(LongNameOfLast(Directory(entries)), "Trash Folder");

    // The same leftovers before a deleted entry of another name are refused.
    Entry stranger = ShortEntry("XYZ     TXT");
    stranger[0] = 0xE5;
    entries.back() = stranger;
    EXPECT_FALSE(LongNameOfLast(Directory(entries)).has_value());
}

// A deleted entry and its long-name entries, as a deletion leaves them: the
// first byte of each replaced by 0xE5.
std::vector<std::uint8_t> DeletedWithLongName(const std::u16string& name, Entry shortEntry) {
    std::vector<Entry> entries = LongEntries(name, shortEntry);
    for (Entry& e : entries) e[0] = 0xE5;
    shortEntry[0] = 0xE5;
    entries.push_back(shortEntry);
    return Directory(entries);
}

TEST(LongNames, ADeletedEntryKeepsANameWhoseShortFormBeginsOtherwise) {
    // The short name drops leading dots and turns characters a short name
    // cannot hold into '_', so its lost first byte is not the long name's first.
    EXPECT_EQ(LongNameOfLast(DeletedWithLongName(u".hidden", ShortEntry("HIDDEN~1   "))),
              ".hidden");
    EXPECT_EQ(LongNameOfLast(DeletedWithLongName(u"+plus file.txt", ShortEntry("_PLUSF~1TXT"))),
              "+plus file.txt");
    EXPECT_EQ(LongNameOfLast(DeletedWithLongName(u".BigMamma.swp", ShortEntry("BIGMAM~1SWP"))),
              ".BigMamma.swp");
    EXPECT_EQ(LongNameOfLast(DeletedWithLongName(u"[01] Intro.mp3", ShortEntry("_01_IN~1MP3"))),
              "[01] Intro.mp3");
    EXPECT_EQ(LongNameOfLast(DeletedWithLongName(u"._Track 7.m4a", ShortEntry("_TRACK~1M4A"))),
              "._Track 7.m4a");
    EXPECT_EQ(LongNameOfLast(DeletedWithLongName(u" spaced.txt", ShortEntry("SPACED~1TXT"))),
              " spaced.txt");
}

TEST(LongNames, ADeletedEntryRefusesLeftoversThatFitNoFirstByteOfItsName) {
    // Leftovers of ".hidden" written for a short name that began with 'Q':
    // neither the name's first character nor the first one its short form
    // keeps gives that checksum.
    Entry written = ShortEntry("QIDDEN~1   ");
    std::vector<Entry> entries = LongEntries(u".hidden", written);
    for (Entry& e : entries) e[0] = 0xE5;
    Entry deleted = ShortEntry("HIDDEN~1   ");
    deleted[0] = 0xE5;
    entries.push_back(deleted);
    EXPECT_FALSE(LongNameOfLast(Directory(entries)).has_value());
}

TEST(LongNames, ADeletedNamesPiecesAllCarryTheChecksumOfItsFirstPiece) {
    // The piece next to the short entry fixes the lost byte; a piece further
    // back that belongs to another name ends the long name there.
    const Entry shortEntry = ShortEntry("HIDDEN~1   ");
    std::vector<Entry> own = LongEntries(u".hidden and more text", shortEntry);  // two pieces
    ASSERT_EQ(own.size(), 2u);
    own[0] = LongEntries(u"a stranger's name piece", ShortEntry("STRANG~1   "))[0];
    for (Entry& e : own) e[0] = 0xE5;
    Entry deleted = shortEntry;
    deleted[0] = 0xE5;
    own.push_back(deleted);
    EXPECT_EQ(LongNameOfLast(Directory(own)), ".hidden and m");
}

TEST(LongNames, AShortEntryAtTheDirectoryStartHasNone) {
    const std::vector<std::uint8_t> dir = Directory({ShortEntry("FIRST   TXT")});
    EXPECT_FALSE(ReadLongName(ByteView(dir.data(), dir.size()), 0).has_value());
}

TEST(DirectorySectors, NeedDotThenDotDot) {
    std::array<std::uint8_t, 512> sector{};
    std::memcpy(sector.data(), ".          ", 11);
    std::memcpy(sector.data() + 32, "..         ", 11);
    EXPECT_TRUE(IsDirectorySector(ByteView(sector.data(), sector.size())));
    sector[33] = 'X';
    EXPECT_FALSE(IsDirectorySector(ByteView(sector.data(), sector.size())));
}

}  // namespace
}  // namespace datrevo
