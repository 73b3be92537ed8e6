// The headless recorder's command line: what it accepts, and that every
// mistake is caught before anything is opened or written.
#include "tools/velmora-record/record_options.h"

#include <gtest/gtest.h>

#include "common/records.h"

TEST(RecordOptions, MeasuringTakesOneCourseAndMakingOneTakesThePointsOfItsType) {
    const ParsedOptions p = parseRecordOptions({"--port", "/dev/ttyUSB0", "--baud", "9600", "--period",
                                                "200", "--radius", "12.5", "--binary", "--log-dir",
                                                "/tmp/logs", "track.gps"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.coursePath, "track.gps");
    EXPECT_EQ(*p.options.port, "/dev/ttyUSB0");
    EXPECT_EQ(*p.options.baudRate, 9600);
    EXPECT_EQ(*p.options.samplingPeriodMs, 200);
    EXPECT_DOUBLE_EQ(*p.options.radiusM, 12.5);
    EXPECT_TRUE(p.options.binary);

    const ParsedOptions loop =
        parseRecordOptions({"--make-course", "c.gps", "--point", "-33.5,151.25", "--name", "天馬"});
    ASSERT_EQ(loop.error, "");
    ASSERT_EQ(loop.options.points.size(), 1u);
    EXPECT_DOUBLE_EQ(loop.options.points[0].longitude, 151.25);
    EXPECT_EQ(loop.options.courseType, COURSE_LOOP);
    EXPECT_EQ(loop.options.courseName, "天馬");
    const ParsedOptions open = parseRecordOptions(
        {"--make-course", "c.gps", "--type", "open-return", "--point", "35,139", "--point", "35.01,139.02"});
    EXPECT_EQ(open.options.courseType, COURSE_OPEN_RETURN) << open.error;
    EXPECT_EQ(open.options.points.size(), 2u);
}

TEST(RecordOptions, MistakesAreRefused) {
    const std::vector<std::vector<std::string>> mistakes = {
        {}, {"a.gps", "b.gps"}, {"--period", "0", "a.gps"}, {"--radius", "nan", "a.gps"},
        {"--baud", "96OO", "a.gps"}, {"--port"}, {"--frobnicate", "a.gps"},
        {"--point", "35,139", "a.gps"},  // without --make-course
        {"--make-course", "c.gps", "--type", "open", "--point", "35,139"},
        {"--make-course", "c.gps", "--point", "35,139", "--point", "36,139"},
        {"--make-course", "c.gps", "--point", "95,139"},
        {"--make-course", "c.gps", "--point", "35;139"},
        {"--make-course", "c.gps", "--type", "oval", "--point", "35,139"},
    };
    for (const auto& args : mistakes) {
        EXPECT_NE(parseRecordOptions(args).error, "") << ::testing::PrintToString(args);
    }
}

