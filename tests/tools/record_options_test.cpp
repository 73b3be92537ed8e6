// The headless recorder's command line: what it accepts, and that every
// mistake is caught before anything is opened or written.
#include <gtest/gtest.h>

#include "tools/velmora-record/record_options.h"

namespace {

ParsedOptions parse(std::vector<std::string> args) { return parseRecordOptions(args); }

TEST(RecordOptions, MeasuringTakesOneCourseAndOptionalOverrides) {
    ParsedOptions p = parse({"--port", "/dev/ttyUSB0", "--baud", "9600", "--period", "200", "--radius",
                             "12.5", "--binary", "--log-dir", "/tmp/logs", "track.gps"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.coursePath, "track.gps");
    EXPECT_EQ(*p.options.port, "/dev/ttyUSB0");
    EXPECT_EQ(*p.options.baudRate, 9600);
    EXPECT_EQ(*p.options.samplingPeriodMs, 200);
    EXPECT_DOUBLE_EQ(*p.options.radiusM, 12.5);
    EXPECT_TRUE(p.options.binary);
    EXPECT_FALSE(p.options.makeCourse);
}

TEST(RecordOptions, MistakesAreRefused) {
    EXPECT_NE(parse({}).error, "");
    EXPECT_NE(parse({"a.gps", "b.gps"}).error, "");
    EXPECT_NE(parse({"--period", "0", "a.gps"}).error, "");
    EXPECT_NE(parse({"--radius", "nan", "a.gps"}).error, "");
    EXPECT_NE(parse({"--baud", "96OO", "a.gps"}).error, "");
    EXPECT_NE(parse({"--port"}).error, "");
    EXPECT_NE(parse({"--frobnicate", "a.gps"}).error, "");
    EXPECT_NE(parse({"--point", "35,139", "a.gps"}).error, "") << "--point without --make-course";
}

TEST(RecordOptions, MakeCourseNeedsThePointsOfItsType) {
    ParsedOptions loop = parse({"--make-course", "c.gps", "--point", "-33.5,151.25", "--name", "天馬"});
    ASSERT_EQ(loop.error, "");
    ASSERT_EQ(loop.options.points.size(), 1u);
    EXPECT_DOUBLE_EQ(loop.options.points[0].latitude, -33.5);
    EXPECT_DOUBLE_EQ(loop.options.points[0].longitude, 151.25);
    EXPECT_EQ(loop.options.courseType, 0);
    EXPECT_EQ(loop.options.courseName, "天馬");

    ParsedOptions open = parse({"--make-course", "c.gps", "--type", "open-return", "--point", "35,139",
                                "--point", "35.01,139.02"});
    ASSERT_EQ(open.error, "");
    EXPECT_EQ(open.options.courseType, 2);
    EXPECT_EQ(open.options.points.size(), 2u);

    EXPECT_NE(parse({"--make-course", "c.gps", "--type", "open", "--point", "35,139"}).error, "");
    EXPECT_NE(parse({"--make-course", "c.gps", "--point", "35,139", "--point", "36,139"}).error, "");
    EXPECT_NE(parse({"--make-course", "c.gps", "--point", "95,139"}).error, "");
    EXPECT_NE(parse({"--make-course", "c.gps", "--point", "35;139"}).error, "");
    EXPECT_NE(parse({"--make-course", "c.gps", "--type", "oval", "--point", "35,139"}).error, "");
}

}  // namespace
