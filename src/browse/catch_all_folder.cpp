#include "browse/catch_all_folder.h"

#include <algorithm>

#include "catalogue/catalogue.h"

namespace datrevo {
namespace {

constexpr std::int64_t kFatFirstYear = 1980;
constexpr std::int64_t kFatLastYear = 1980 + 127;
// Seconds from 1601-01-01 to 1970-01-01, and FILETIME ticks per second.
constexpr std::int64_t kSeconds1601To1970 = 11'644'473'600;
constexpr std::uint64_t kTicksPerSecond = 10'000'000;

}  // namespace

FatDateTimeWords FatWordsOf(const std::tm& local) {
    const std::int64_t year =
        std::clamp<std::int64_t>(std::int64_t{local.tm_year} + 1900, kFatFirstYear, kFatLastYear);
    const auto month = static_cast<unsigned>(std::clamp(local.tm_mon + 1, 1, 12));
    const auto day = static_cast<unsigned>(std::clamp(local.tm_mday, 1, 31));
    const auto hour = static_cast<unsigned>(std::clamp(local.tm_hour, 0, 23));
    const auto minute = static_cast<unsigned>(std::clamp(local.tm_min, 0, 59));
    const auto second = static_cast<unsigned>(std::clamp(local.tm_sec, 0, 59));
    FatDateTimeWords words;
    words.date = static_cast<std::uint16_t>((static_cast<unsigned>(year - kFatFirstYear) << 9) |
                                            (month << 5) | day);
    words.time = static_cast<std::uint16_t>((hour << 11) | (minute << 5) | (second / 2));
    return words;
}

std::uint64_t FileTimeOf(std::time_t seconds) {
    const std::int64_t since1601 = static_cast<std::int64_t>(seconds) + kSeconds1601To1970;
    if (since1601 < 0) return 0;
    return static_cast<std::uint64_t>(since1601) * kTicksPerSecond;
}

FatDateTimeWords CatchAllFatWordsNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return FatWordsOf(local);
}

std::uint64_t CatchAllFileTimeNow() { return FileTimeOf(std::time(nullptr)); }

bool AnyRowUnderCatchAll(const CatalogueTable& entries) {
    for (int row = 0; row < entries.count(); ++row)
        if (entries.cellUnsigned(row, folder_col::Parent) == kCatchAllNumber) return true;
    return false;
}

bool ListCatchAllFolderForFiles(FolderTree& tree, const CatalogueTable& entries,
                                std::uint64_t fileTime) {
    const ItemId root = tree.root();
    if (root == kNoItem) return false;
    for (const ItemId child : tree.model().children(root))
        for (const std::size_t index : tree.nodes().byItem(child))
            if (tree.nodes()[index].selfNumber == kCatchAllNumber) return false;
    if (!AnyRowUnderCatchAll(entries)) return false;
    tree.InsertFolderItem(tree.root(), kCatchAllName, kCatchAllNumber, kNtfsRootRecord, fileTime, 0,
                          false);
    return true;
}

}  // namespace datrevo
