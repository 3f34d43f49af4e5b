// The one progress meter: percentages of any 64-bit total, shown only when
// the bar changes.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/progress_meter.h"
#include "base/visible_texts.h"
// Both held "Directories Found" once each; together they must still compile.
#include "fat/folder_rows.h"
#include "search/notices.h"

namespace datrevo {
namespace {

class Bar : public RecoveryObserver {
public:
    void progress(int percent, std::string_view caption) override {
        shown.emplace_back(percent, std::string(caption));
    }
    std::vector<std::pair<int, std::string>> shown;
};

TEST(ProgressMeter, PercentagesAreExactForEveryTotal) {
    EXPECT_EQ(PercentOf(0, 0), 100);  // nothing to do is done
    EXPECT_EQ(PercentOf(5, 0), 100);
    EXPECT_EQ(PercentOf(1, 3), 33);
    EXPECT_EQ(PercentOf(7, 5), 100);  // capped
    // done x 100 would wrap in 64 bits.
    EXPECT_EQ(PercentOf(UINT64_MAX / 2, UINT64_MAX), 49);
    EXPECT_EQ(PercentOf(UINT64_MAX - 1, UINT64_MAX), 99);
    EXPECT_EQ(PercentOf(UINT64_MAX, UINT64_MAX), 100);
}

TEST(ProgressMeter, ShowsOnlyWhenTheBarChanges) {
    Bar bar;
    ProgressMeter meter(bar, 1000);
    for (std::uint64_t done = 0; done <= 1000; ++done) meter.update(done);
    ASSERT_EQ(bar.shown.size(), 101u);
    EXPECT_EQ(bar.shown.front(), std::make_pair(0, std::string(kCompletedCaption)));
    EXPECT_EQ(bar.shown.back().first, 100);
    EXPECT_EQ(meter.shown(), 100);
}

TEST(ProgressMeter, ACaptionOfItsOwnIsShownEvenAtTheSamePercentage) {
    Bar bar;
    ProgressMeter meter(bar);
    meter.set(10);
    meter.set(10);
    meter.set(10, "Sectors 5 of 50");
    meter.set(10, "Sectors 5 of 50");
    ASSERT_EQ(bar.shown.size(), 2u);
    EXPECT_EQ(bar.shown[1].second, "Sectors 5 of 50");
}

TEST(ProgressMeter, ABarAlreadyAtZeroIsNotShownAgain) {
    Bar bar;
    ProgressMeter meter(bar, 4);
    meter.markShown(0);
    meter.update(0);
    EXPECT_TRUE(bar.shown.empty());
    EXPECT_TRUE(meter.moved(1));
    meter.show();
    EXPECT_EQ(bar.shown, (std::vector<std::pair<int, std::string>>{{25, "Completed "}}));
}

TEST(VisibleTexts, EachTextHasOneDefinition) {
    EXPECT_EQ(kDirectoriesFoundLabel, "Directories Found\t\t:");
    EXPECT_EQ(kMftFoundLabel, "MFT Found\t\t\t:");
    EXPECT_EQ(kGuidePleaseWait, "Please wait...");
}

}  // namespace
}  // namespace datrevo
