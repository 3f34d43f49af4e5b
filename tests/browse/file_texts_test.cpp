#include <gtest/gtest.h>

#include <ctime>
#include <random>

#include "browse/date_texts.h"
#include "browse/type_names.h"

namespace datrevo {
namespace {

constexpr std::uint64_t kUnixEpochAsFiletime = 116444736000000000ull;

std::uint64_t FiletimeOf(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    const auto unix = static_cast<std::int64_t>(timegm(&t));
    return static_cast<std::uint64_t>(unix * 10'000'000 +
                                      static_cast<std::int64_t>(kUnixEpochAsFiletime));
}

std::uint16_t FatDate(int year, int month, int day) {
    return static_cast<std::uint16_t>(((year - 1980) << 9) | (month << 5) | day);
}

TEST(FatDateTexts, DayAndTimeHaveTwoDigitsAndNoSeconds) {
    EXPECT_EQ(FatDateText(FatDate(2009, 3, 5)), "05-MAR-2009");
    EXPECT_EQ(FatTimeText(static_cast<std::uint16_t>((14 << 11) | (7 << 5) | 1)), "14:07");
    EXPECT_EQ(FatDateText(FatDate(2107, 12, 31)), "31-DEC-2107");
}

TEST(FatDateTexts, ZeroWordsAndBadMonthsShowErr) {
    EXPECT_EQ(FatDateText(0), "00-ERR-1980");
    EXPECT_EQ(FatTimeText(0), "00:00");
    EXPECT_EQ(FatDateText(FatDate(2000, 13, 1)), "01-ERR-2000");
    EXPECT_EQ(FatDateText(FatDate(2000, 15, 1)), "01-ERR-2000");
}

TEST(NtfsDateTexts, NoLeadingZerosAndNoTimeZone) {
    const std::uint64_t filetime = FiletimeOf(2009, 3, 5, 14, 7, 3);
    EXPECT_EQ(NtfsDateText(filetime), "5-MAR-2009");
    EXPECT_EQ(NtfsTimeText(filetime), "14:7:3");
    EXPECT_EQ(NtfsDateText(FiletimeOf(2004, 2, 29, 23, 59, 59) + 9'999'999), "29-FEB-2004");
    EXPECT_EQ(NtfsTimeText(FiletimeOf(2004, 2, 29, 23, 59, 59) + 9'999'999), "23:59:59");
    EXPECT_EQ(NtfsDateText(0), "1-JAN-1601");
    EXPECT_EQ(NtfsTimeText(0), "0:0:0");
}

TEST(NtfsDateTexts, AgreeWithTheCalendarOverTheWholeRange) {
    std::mt19937_64 random(1601);
    const char* months[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                            "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    for (int i = 0; i < 20000; ++i) {
        // Up to the year 30000 or so, and the last values of the range.
        const std::uint64_t filetime =
            i < 10 ? ~std::uint64_t{0} - static_cast<std::uint64_t>(i) * 86'400'0000000ull
                   : random() % 9'000'000'000'000'000'000ull;
        const auto seconds = static_cast<std::int64_t>(filetime / 10'000'000) -
                             static_cast<std::int64_t>(kUnixEpochAsFiletime / 10'000'000);
        const auto unix = static_cast<std::time_t>(seconds);
        std::tm t{};
        ASSERT_NE(gmtime_r(&unix, &t), nullptr);
        const std::string date = std::to_string(t.tm_mday) + "-" + months[t.tm_mon] + "-" +
                                 std::to_string(static_cast<long long>(t.tm_year) + 1900);
        const std::string time = std::to_string(t.tm_hour) + ":" + std::to_string(t.tm_min) + ":" +
                                 std::to_string(t.tm_sec);
        ASSERT_EQ(NtfsDateText(filetime), date) << filetime;
        ASSERT_EQ(NtfsTimeText(filetime), time) << filetime;
    }
}

TEST(CurrentDateTexts, CatchAllFolderFormat) {
    std::tm now{};
    now.tm_year = 2026 - 1900;
    now.tm_mon = 11;
    now.tm_mday = 6;
    now.tm_hour = 9;
    now.tm_min = 5;
    EXPECT_EQ(CurrentDateText(now), "06-Dec-2026");
    EXPECT_EQ(CurrentTimeText(now), "09:05");
}

TEST(TypeNames, OnlyTheListedSpellingsMatch) {
    EXPECT_EQ(TypeNameForFile("REPORT.DOC", TypeNameSource::FatFolder), "Microsoft Word File");
    EXPECT_EQ(TypeNameForFile("report.doc", TypeNameSource::Ntfs), "Microsoft Word File");
    EXPECT_EQ(TypeNameForFile("Report.Doc", TypeNameSource::FatFolder), "File");
    EXPECT_EQ(TypeNameForFile("notes", TypeNameSource::FatFolder), "File");
    EXPECT_EQ(TypeNameForFile("", TypeNameSource::FatFolder), "File");
    EXPECT_EQ(TypeNameForFile(".c", TypeNameSource::FatFolder), "C++ file");
}

TEST(TypeNames, LongerAndDotlessPatterns) {
    EXPECT_EQ(TypeNameForFile("photo.JPEG", TypeNameSource::FatFolder), "Image File");
    EXPECT_EQ(TypeNameForFile("clip.rm", TypeNameSource::FatFolder), "Video File");
    EXPECT_EQ(TypeNameForFile("tune.au", TypeNameSource::FatFolder), "Sound file");
    EXPECT_EQ(TypeNameForFile("script.ws", TypeNameSource::FatFolder), "Scripting File");
    EXPECT_EQ(TypeNameForFile("page.xhtml", TypeNameSource::FatFolder), "Web file");
    EXPECT_EQ(TypeNameForFile("PAGE.XHTML", TypeNameSource::FatFolder), "Web file");
    EXPECT_EQ(TypeNameForFile("index.HTML", TypeNameSource::FatFolder), "Web file");
    EXPECT_EQ(TypeNameForFile("movie.torrent", TypeNameSource::FatFolder), "BitTorrent File");
    EXPECT_EQ(TypeNameForFile("program.h", TypeNameSource::FatFolder), "Header file");
    EXPECT_EQ(TypeNameForFile("a.txt", TypeNameSource::FatFolder), "Text file");
}

TEST(TypeNames, ThreeNamesDependOnTheSource) {
    EXPECT_EQ(TypeNameForFile("archive.zip", TypeNameSource::FatFolder), "Compressed File");
    EXPECT_EQ(TypeNameForFile("archive.zip", TypeNameSource::Fat16Root), "Winzip File");
    EXPECT_EQ(TypeNameForFile("archive.zip", TypeNameSource::Ntfs), "Winzip File");
    EXPECT_EQ(TypeNameForFile("setup.reg", TypeNameSource::FatFolder), "Windows Registry file");
    EXPECT_EQ(TypeNameForFile("setup.reg", TypeNameSource::Ntfs), "Registry file");
    EXPECT_EQ(TypeNameForFile("x.mp3", TypeNameSource::Fat16Root), "Sound file");
}

}  // namespace
}  // namespace datrevo
