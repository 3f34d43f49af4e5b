// The time left of a long task, from the rate so far.
#include "base/time_left.h"

#include <gtest/gtest.h>

#include <limits>

namespace datrevo {
namespace {

TEST(TimeLeft, NothingUntilTwoPercentAreDoneNorOnceAllIs) {
    EXPECT_FALSE(SecondsLeft(0, 5000));
    EXPECT_FALSE(SecondsLeft(1, 3000));  // one percent of a large disk after 3 s
    EXPECT_FALSE(SecondsLeft(100, 3000));
    EXPECT_FALSE(SecondsLeft(2, -1));
    EXPECT_TRUE(SecondsLeft(2, 6000));
}

TEST(TimeLeft, TheRestTakesAsLongAsTheRateSoFarSays) {
    EXPECT_EQ(SecondsLeft(2, 6000), 294);  // 3 s per percent, 98 to go
    EXPECT_EQ(SecondsLeft(50, 40000), 40);
    EXPECT_EQ(SecondsLeft(99, 99000), 1);
    EXPECT_EQ(SecondsLeft(3, 1), 0);  // a fast task
}

TEST(TimeLeft, AClockThatRanForYearsDoesNotOverflow) {
    const std::int64_t longest = std::numeric_limits<std::int64_t>::max();
    const auto left = SecondsLeft(2, longest);
    ASSERT_TRUE(left);
    EXPECT_GT(*left, 0);
}

TEST(TimeLeft, TextsReadAsAPersonWouldSayThem) {
    EXPECT_EQ(TimeLeftText(0), "a few seconds left");
    EXPECT_EQ(TimeLeftText(9), "a few seconds left");
    EXPECT_EQ(TimeLeftText(40), "about 40 seconds left");
    EXPECT_EQ(TimeLeftText(119), "about 119 seconds left");
    EXPECT_EQ(TimeLeftText(294), "about 5 minutes left");
    EXPECT_EQ(TimeLeftText(7170), "about 2 hours left");
    EXPECT_EQ(TimeLeftText(7500), "about 2 hours 5 minutes left");
    EXPECT_EQ(TimeLeftText(3 * 3600 + 60), "about 3 hours 1 minute left");
}

}  // namespace
}  // namespace datrevo
