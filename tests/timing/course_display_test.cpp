// What the window is handed about the course and the flash, and how points
// enter the course: the panel texts, the 500 ms flash, the registration and
// the datum a registered course is saved with.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "capture/gps/fix_completion.h"
#include "capture/gps/nmea_decoder.h"
#include "capture/timing/course.h"
#include "capture/timing/course_panel.h"
#include "capture/timing/flash_cue.h"
#include "timing_test_support.h"

namespace {

TEST(CoursePanelTexts, BothSlotsInTheirFormatsRegisteredOrNot) {
    Course c;
    c.pointCount = 1;
    c.points[0].latitude = -35.652056666667;
    c.points[0].longitude = 139.761315;
    c.points[0].altitude = 130.25;
    const auto texts = coursePointPanelTexts(c);
    const std::vector<std::pair<int, std::string>> expected = {
        {1005, "-35.65205667度"}, {1006, "139.76131500度"}, {1019, "130.250(m)"},
        {1007, "0.00000000度"},   {1008, "0.00000000度"},   {1020, "0.000(m)"},
    };
    EXPECT_EQ(texts, expected);
    const double distances[2] = {12.5, -1.0};
    const std::vector<std::pair<int, std::string>> shown = {{1013, "12.50000000(m)"},
                                                           {1012, "-1.00000000(m)"}};
    EXPECT_EQ(pointDistancePanelTexts(distances), shown) << "unknown shows as minus one metre";
}

using FlashTest = TimingTest;

TEST_F(FlashTest, HiddenAtTheFirstPollStrictlyLaterThan500MsAndRestartedByASecondPass) {
    pollFlash();
    EXPECT_EQ(sink.flashes.load() + sink.flashHides.load(), 0) << "nothing shown, nothing to hide";
    fakeTickMs = 0xFFFFFF00u;  // across the wrap of the tick
    showFlash();
    EXPECT_EQ(sink.flashes.load(), 1);
    fakeTickMs += 400;
    showFlash();  // a second pass restarts the period
    fakeTickMs += FLASH_DURATION_MS;
    pollFlash();
    EXPECT_EQ(flashVisible, 1) << "exactly 500 ms after the second pass is still on";
    EXPECT_EQ(sink.flashHides.load(), 0);
    fakeTickMs += 1;
    pollFlash();
    pollFlash();
    EXPECT_EQ(flashVisible, 0);
    EXPECT_EQ(sink.flashHides.load(), 1) << "hidden once";
}

// Registration and datum go through the real decoder and fix completion with
// the timing layer's hooks installed, as the reader runs them.
class RegistrationTest : public TimingTest {
protected:
    void SetUp() override {
        TimingTest::SetUp();
        installTimingHooks();
        resetLiveFix();
    }
    // A GGA with a fix at `latitude`, `longitude` (ddmm.mmmm / dddmm.mmmm texts).
    static std::string gga(const std::string& latitude, const std::string& longitude) {
        const std::string body = "GPGGA,030000.00," + latitude + ",N," + longitude + ",E,1,08,0.9,50.0,M,,M,,";
        unsigned sum = 0;
        for (char ch : body) sum ^= static_cast<unsigned char>(ch);
        char tail[8];
        std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
        return "$" + body + tail;
    }
    static void decode(const std::string& line) { decodeSentence(static_cast<int>(line.size()), line.data()); }
    // The first GGA after a start only sets the quality; the second is a fix.
    void fixAt(const std::string& latitude, const std::string& longitude) {
        decode(gga(latitude, longitude));
        decode(gga(latitude, longitude));
    }
};

TEST_F(RegistrationTest, RequestTakesTheNextFixUpToTwoPointsAndShowsEach) {
    fixAt("3539.1234", "13945.6789");
    for (int i = 0; i < 3; ++i) {  // no request writes past the two points
        registerPointRequest = 1;
        decode(gga("3539.1234", "13945.6789"));
    }
    const Course course = currentCourse();
    EXPECT_EQ(course.pointCount, 2);
    EXPECT_EQ(registerPointRequest.load(), 0);
    EXPECT_EQ(course.points[1].altitude, 50.0);
    EXPECT_NE(course.points[1].ecefX, 0.0);
    EXPECT_EQ(course.name[0], '\0');
    const auto shown = sink.shownCourses();
    ASSERT_EQ(shown.size(), 2u) << "one snapshot per registered point";
    EXPECT_EQ(shown[0].pointCount, 1);
    EXPECT_EQ(shown[1].pointCount, 2);
}

// A course taken under the Tokyo datum, saved and loaded again, must still be
// where the car is: its points were computed under Tokyo, so the file must
// say Tokyo or the reload puts them hundreds of metres away.
TEST_F(RegistrationTest, CourseRegisteredUnderTokyoReloadsAtTheSamePlaceAndCountsThePass) {
    captureSettings.datum = 1;
    publishSettings();
    Course loop;  // a loop course with no points yet
    replaceCourse(loop);
    fixAt("3539.1234", "13945.6789");
    registerPointRequest = 1;
    decode(gga("3539.1234", "13945.6789"));
    ASSERT_EQ(currentCourse().pointCount, 1);
    EXPECT_EQ(currentCourse().courseDatum, 1);
    const std::string path = directory / "tokyo.gps";
    ASSERT_EQ(saveCourse(path.c_str()).status, FileWriteStatus::WRITTEN);

    clearCourse();
    resetGeodesyState();
    ASSERT_EQ(loadCourse(path.c_str()), 0);
    decode(gga("3539.1234", "13945.6789"));
    EXPECT_LT(pointDistance[0], 0.01) << "the reloaded point is where it was taken";
    checkPointPasses();
    EXPECT_EQ(passLog.passCount, 1);
}

TEST_F(RegistrationTest, OldCourseFileWithoutTheDatumStillLoadsAsWgs84) {
    Course old;
    old.pointCount = 1;
    old.points[0].latitude = 35.0;
    old.points[0].longitude = 139.0;
    writeFile(directory / "old.gps", &old, sizeof old);
    ASSERT_EQ(loadCourse((directory / "old.gps").c_str()), 0);
    GeoPoint expected = old.points[0];
    toGeocentric(expected, 0);
    EXPECT_DOUBLE_EQ(currentCourse().points[0].ecefX, expected.ecefX);
    EXPECT_EQ(currentCourse().courseDatum, 0);
}

TEST_F(RegistrationTest, PointTakenUnderAnotherDatumBringsTheFirstOneOver) {
    fixAt("3539.1234", "13945.6789");
    registerPointRequest = 1;
    decode(gga("3539.1234", "13945.6789"));  // under WGS-84
    captureSettings.datum = 1;
    publishSettings();
    registerPointRequest = 1;
    decode(gga("3539.2234", "13945.6789"));
    const Course course = currentCourse();
    ASSERT_EQ(course.pointCount, 2);
    EXPECT_EQ(course.courseDatum, 1);
    GeoPoint first = course.points[0];
    toGeocentric(first, 1);
    EXPECT_DOUBLE_EQ(course.points[0].ecefX, first.ecefX) << "one datum for the whole course";
}

}  // namespace
