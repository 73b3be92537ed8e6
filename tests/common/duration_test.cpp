#include <gtest/gtest.h>

#include "common/duration.h"

namespace {

TEST(Duration, SplitsIntoHoursMinutesSecondsThirtieths) {
    EXPECT_EQ(formatDuration(83456), "00:01:23:13");   // 456 ms = 13.68 thirtieths
    EXPECT_EQ(formatDuration(62500, " : "), "00 : 01 : 02 : 15");
    EXPECT_EQ(formatDuration(1234567), "00:20:34:17");
    EXPECT_EQ(formatDuration(0), "00:00:00:00");
    EXPECT_EQ(formatDuration(999), "00:00:00:29");
}

TEST(Duration, HoursBeyondTwoDigitsAreKept) {
    EXPECT_EQ(formatDuration(0xFFFFFFFFu), "1193:02:47:08");
}

TEST(Duration, TickDifferenceWrapsModulo32Bits) {
    EXPECT_EQ(tickDifference(5u, 0xFFFFFFFBu), 10u);
    EXPECT_EQ(tickDifference(1000u, 400u), 600u);
}

}  // namespace
