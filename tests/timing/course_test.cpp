#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "capture/timing/course.h"
#include "timing_test_support.h"

namespace {

class CourseTest : public TimingTest {
protected:
    std::string file(const char* leaf) { return (directory / leaf).string(); }

    static void writeBytes(const std::string& path, const void* data, size_t size) {
        std::ofstream out(path, std::ios::binary);
        out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    static std::string readBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static GeoPoint point(double latitude, double longitude, double altitude) {
        GeoPoint p;
        p.latitude = latitude;
        p.longitude = longitude;
        p.altitude = altitude;
        toGeocentric(p);
        return p;
    }
    // A two-point course with a name and datum, as a file would hold it.
    static Course sample() {
        Course c;
        c.pointCount = 2;
        c.points[0] = point(35.3693, 138.9265, 580.0);
        c.points[1] = point(35.3712, 138.9301, 575.5);
        std::strcpy(c.name, "\x83\x67\x83\x89\x83\x62\x83\x4e\x31");  // "トラック1" in Shift-JIS
        c.courseType = COURSE_OPEN;
        return c;
    }
};

TEST_F(CourseTest, SavedCourseLoadsBackByteForByte) {
    course = sample();
    ASSERT_EQ(saveCourse(file("fuji.gps").c_str()), 0);
    const std::string saved = readBytes(file("fuji.gps"));
    ASSERT_EQ(saved.size(), 368u);
    EXPECT_EQ(std::memcmp(saved.data(), &course, 368), 0);
    clearCourse();
    ASSERT_EQ(loadCourse(file("fuji.gps").c_str()), 0);
    ASSERT_EQ(saveCourse(file("again.gps").c_str()), 0);
    EXPECT_EQ(readBytes(file("again.gps")), saved);
    // No temporary file is left beside the saved ones.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory), {}), 2);
}

TEST_F(CourseTest, LoadRecomputesGeocentricUnderTheFilesDatum) {
    Course c = sample();
    c.courseDatum = 1;  // Tokyo
    c.points[0].ecefX = c.points[0].ecefY = c.points[0].ecefZ = 0.0;  // stale values
    writeBytes(file("tokyo.GPS"), &c, sizeof c);
    ASSERT_EQ(loadCourse(file("tokyo.GPS").c_str()), 0);
    GeoPoint expected = c.points[0];
    datum = 1;
    toGeocentric(expected);
    datum = 0;
    EXPECT_DOUBLE_EQ(course.points[0].ecefX, expected.ecefX);
    EXPECT_DOUBLE_EQ(course.points[0].ecefZ, expected.ecefZ);
    EXPECT_EQ(course.points[0].altitude, 580.0);
    EXPECT_EQ(course.courseDatum, 1);
    EXPECT_EQ(datum, 0) << "the configured datum is restored";
}

TEST_F(CourseTest, RefusedLoadsLeaveTheCourseUnchanged) {
    const Course c = sample();
    writeBytes(file("mixed.Gps"), &c, sizeof c);
    writeBytes(file("noext"), &c, sizeof c);
    Course bad = c;
    bad.pointCount = 3;
    writeBytes(file("three.gps"), &bad, sizeof bad);
    bad.pointCount = -1;
    writeBytes(file("negative.gps"), &bad, sizeof bad);

    course.pointCount = 1;
    std::strcpy(course.name, "kept");
    const Course before = course;
    for (const char* leaf : {"mixed.Gps", "noext", "three.gps", "negative.gps", "missing.gps"}) {
        EXPECT_EQ(loadCourse(file(leaf).c_str()), 1) << leaf;
        EXPECT_EQ(std::memcmp(&course, &before, sizeof course), 0) << leaf;
    }
    EXPECT_EQ(loadCourse("gps"), 1);
    EXPECT_EQ(loadCourse(nullptr), 1);
}

TEST_F(CourseTest, ShortFileLoadsWithTheRestZero) {
    const Course c = sample();
    writeBytes(file("short.gps"), &c, 60);  // count, padding, point 1 and a bit of point 2
    std::strcpy(course.name, "old");
    course.courseType = COURSE_OPEN_RETURN;
    ASSERT_EQ(loadCourse(file("short.gps").c_str()), 0);
    EXPECT_EQ(course.pointCount, 2);
    EXPECT_EQ(course.points[0].latitude, c.points[0].latitude);
    EXPECT_EQ(course.points[1].longitude, 0.0);
    EXPECT_STREQ(course.name, "");
    EXPECT_EQ(course.courseType, COURSE_LOOP);
    EXPECT_EQ(course.courseDatum, 0);
}

TEST_F(CourseTest, FailedSaveIsReportedAndKeepsTheOldFile) {
    course = sample();
    EXPECT_EQ(saveCourse(file("no/such/folder/x.gps").c_str()), 1);
    ASSERT_EQ(saveCourse(file("kept.gps").c_str()), 0);
    const std::string before = readBytes(file("kept.gps"));
    std::filesystem::create_directory(directory / "kept.gps.blocker");
    // A target that is a folder cannot be replaced.
    EXPECT_EQ(saveCourse(file("kept.gps.blocker").c_str()), 1);
    EXPECT_EQ(readBytes(file("kept.gps")), before);
}

TEST_F(CourseTest, PointEditingKeepsUnusedPointsZero) {
    EXPECT_FALSE(deleteLastPoint());
    EXPECT_FALSE(swapPoints());
    course = sample();
    const GeoPoint first = course.points[0];
    const GeoPoint second = course.points[1];
    ASSERT_TRUE(swapPoints());
    EXPECT_EQ(std::memcmp(&course.points[0], &second, sizeof second), 0);
    EXPECT_EQ(std::memcmp(&course.points[1], &first, sizeof first), 0);
    ASSERT_TRUE(deleteLastPoint());
    EXPECT_EQ(course.pointCount, 1);
    const GeoPoint zero{};
    EXPECT_EQ(std::memcmp(&course.points[1], &zero, sizeof zero), 0);
    EXPECT_FALSE(swapPoints()) << "swap needs two points";
    clearCourse();
    const Course empty{};
    EXPECT_EQ(std::memcmp(&course, &empty, sizeof empty), 0);
}


}  // namespace
