// The files the capture side keeps: courses and settings.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "capture/timing/beacon.h"
#include "capture/timing/capture_settings.h"
#include "capture/timing/course.h"
#include "timing_test_support.h"

namespace {

// A two-point course with a name, as a file would hold it.
Course sample() {
    Course c;
    c.pointCount = 2;
    c.points[0] = {35.3693, 138.9265};
    c.points[1] = {35.3712, 138.9301};
    c.points[0].altitude = 580.0;
    for (GeoPoint& p : c.points) toGeocentric(p);
    std::strcpy(c.name, "\x83\x67\x83\x89\x83\x62\x83\x4e\x31");  // "トラック1" in Shift-JIS
    c.courseType = COURSE_OPEN;
    return c;
}

using CourseTest = TimingTest;

TEST_F(CourseTest, SavedCourseLoadsBackByteForByte) {
    const Course course = sample();
    replaceCourse(course);
    ASSERT_EQ(saveCourse((directory / "fuji.gps").c_str()).status, FileWriteStatus::WRITTEN);
    const std::string saved = readFile(directory / "fuji.gps");
    ASSERT_EQ(saved.size(), sizeof(Course));
    EXPECT_EQ(std::memcmp(saved.data(), &course, sizeof(Course)), 0);
    clearCourse();
    ASSERT_EQ(loadCourse((directory / "fuji.gps").c_str()), 0);
    ASSERT_EQ(saveCourse((directory / "again.gps").c_str()).status, FileWriteStatus::WRITTEN);
    EXPECT_EQ(readFile(directory / "again.gps"), saved);
    EXPECT_EQ(directory.entries(), 2) << "no temporary file is left";
}

TEST_F(CourseTest, FailedSaveSaysWhichFileAndWhy) {
    const std::string path = directory / "no/such/folder/x.gps";
    const FileWriteResult result = saveCourse(path.c_str());
    EXPECT_EQ(result.status, FileWriteStatus::FAILED);
    EXPECT_NE(result.error.find(path), std::string::npos) << result.error;
    EXPECT_NE(result.error.find("No such file or directory"), std::string::npos) << result.error;
}

TEST_F(CourseTest, LoadRecomputesGeocentricUnderTheFilesDatum) {
    Course c = sample();
    c.courseDatum = 1;                                                 // Tokyo
    c.points[0].ecefX = c.points[0].ecefY = c.points[0].ecefZ = 0.0;  // stale values
    writeFile(directory / "tokyo.GPS", &c, sizeof c);
    ASSERT_EQ(loadCourse((directory / "tokyo.GPS").c_str()), 0);
    GeoPoint expected = c.points[0];
    toGeocentric(expected, 1);
    EXPECT_DOUBLE_EQ(currentCourse().points[0].ecefX, expected.ecefX);
    EXPECT_DOUBLE_EQ(currentCourse().points[0].ecefZ, expected.ecefZ);
    EXPECT_EQ(datum, 0) << "the configured datum is restored";
}

TEST_F(CourseTest, RefusedLoadsSayWhyAndLeaveTheCourseUnchanged) {
    struct Case {
        const char* leaf;
        void (*spoil)(Course&);
        const char* reason;
    };
    const Case cases[] = {
        {"mixed.Gps", [](Course&) {}, ".gps or .GPS"},
        {"noext", [](Course&) {}, ".gps or .GPS"},
        {"missing.gps", nullptr, "No such file"},
        {"three.gps", [](Course& c) { c.pointCount = 3; }, "point count 3"},
        {"negative.gps", [](Course& c) { c.pointCount = -1; }, "point count -1"},
        {"type.gps", [](Course& c) { c.courseType = 7; }, "unknown course type 7"},
        {"nan.gps", [](Course& c) { c.points[0].latitude = std::nan(""); }, "point 1 has no valid position"},
        {"inf.gps", [](Course& c) { c.points[0].longitude = INFINITY; }, "point 1 has no valid position"},
        {"north.gps", [](Course& c) { c.points[0].latitude = 95.0; }, "latitude 95"},
        {"east.gps", [](Course& c) { c.points[0].longitude = -181.0; }, "longitude -181"},
    };
    for (const Case& k : cases) {
        Course c = sample();
        if (k.spoil == nullptr) continue;
        k.spoil(c);
        writeFile(directory / k.leaf, &c, sizeof c);
    }
    Course before;
    before.pointCount = 1;
    std::strcpy(before.name, "kept");
    replaceCourse(before);
    for (const Case& k : cases) {
        std::string reason;
        EXPECT_EQ(loadCourseWithReason((directory / k.leaf).c_str(), reason), 1) << k.leaf;
        EXPECT_NE(reason.find(k.reason), std::string::npos) << k.leaf << ": " << reason;
        const Course now = currentCourse();
        EXPECT_EQ(std::memcmp(&now, &before, sizeof now), 0) << k.leaf;
    }
    EXPECT_EQ(loadCourse(nullptr), 1);
}

using SettingsTest = TimingTest;

TEST_F(SettingsTest, SavedBlocksSitAtTheirOffsetsAndLoadBack) {
    EXPECT_EQ(loadSettings(), 1) << "first run: no file yet";
    captureSettings.pointOffset = 22.5;
    captureSettings.flashColour = 0x00FF8000;
    datum = 1;  // set through the GPS state, as the port dialog does
    binaryReceiver = 1;
    std::strcpy(gpsPort.portName, "/dev/ttyUSB0");
    gpsPort.handle = 17;  // an open descriptor is not stored
    beaconPort.baudRate = 19200;
    ASSERT_EQ(saveSettings().status, FileWriteStatus::WRITTEN);
    const std::string image = readFile(settingsPath());
    ASSERT_EQ(image.size(), 864u);
    const auto int32At = [&](size_t offset) {
        int32_t value;
        std::memcpy(&value, image.data() + offset, 4);
        return value;
    };
    EXPECT_EQ(int32At(24), 1);           // datum
    EXPECT_EQ(int32At(300), 0x00FF8000);  // flash colour
    EXPECT_EQ(int32At(304), 1);          // binary receiver
    EXPECT_EQ(int32At(312), 0);          // GPS port handle
    EXPECT_STREQ(image.data() + 316, "/dev/ttyUSB0");
    EXPECT_STREQ(image.data() + 592, "COM2");
    EXPECT_EQ(int32At(588 + 260), 19200);

    applyDefaultSettings();
    ASSERT_EQ(loadSettings(), 0);
    EXPECT_EQ(captureSettings.pointOffset, 22.5);
    EXPECT_EQ(datum + binaryReceiver, 2);
    EXPECT_STREQ(gpsPort.portName, "/dev/ttyUSB0");
    EXPECT_EQ(beaconPort.baudRate, 19200);
    platform::setExeDirectoryForTests(directory / "missing");
    const FileWriteResult failed = saveSettings();
    EXPECT_EQ(failed.status, FileWriteStatus::FAILED);
    EXPECT_NE(failed.error.find(settingsPath()), std::string::npos) << failed.error;
}

TEST_F(SettingsTest, ARadiusThatCouldNeverBePassedIsRefusedWithTheReason) {
    for (const double radiusM : {0.0, -5.0, std::nan(""), double(INFINITY)}) {
        captureSettings.pointOffset = radiusM;
        std::strcpy(gpsPort.portName, "/dev/ttyUSB3");
        ASSERT_EQ(saveSettings().status, FileWriteStatus::WRITTEN);
        applyDefaultSettings();
        std::string problem;
        ASSERT_EQ(loadSettingsWithReason(problem), 0);
        EXPECT_NE(problem.find("pass radius"), std::string::npos) << radiusM << ": " << problem;
        EXPECT_EQ(captureSettings.pointOffset, 15.0) << "the default stays";
        EXPECT_EQ(passOptions().pointOffsetM, 15.0);
        EXPECT_STREQ(gpsPort.portName, "/dev/ttyUSB3") << "the rest of the file is taken";
    }
    captureSettings.pointOffset = 0.5;
    ASSERT_EQ(saveSettings().status, FileWriteStatus::WRITTEN);
    std::string problem = "stale";
    ASSERT_EQ(loadSettingsWithReason(problem), 0);
    EXPECT_EQ(problem, "");
}

TEST_F(SettingsTest, ShortFileChangesOnlyWhatItHoldsAndNamesStayTerminated) {
    CaptureSettings options;
    options.pointOffset = 30.0;
    std::memset(options.lastCourseName, 'N', sizeof options.lastCourseName);  // no terminator
    SerialPort port;
    port.handle = 99;
    std::memset(port.portName, 'P', sizeof port.portName);
    port.baudRate = 4800;
    std::string image(reinterpret_cast<const char*>(&options), sizeof options);
    // Ends with the GPS port's name, before its speed.
    image.append(reinterpret_cast<const char*>(&port), offsetof(SerialPort, baudRate));
    writeFile(settingsPath(), image.data(), image.size());
    ASSERT_EQ(loadSettings(), 0);
    EXPECT_EQ(captureSettings.pointOffset, 30.0);
    EXPECT_EQ(std::strlen(gpsPort.portName), 255u) << "a name never runs past its field";
    EXPECT_EQ(std::strlen(captureSettings.lastCourseName), 255u);
    EXPECT_EQ(gpsPort.baudRate, 38400);
    EXPECT_EQ(gpsPort.handle, 0) << "handles are cleared after reading";
    EXPECT_STREQ(beaconPort.portName, "COM2");
}

}  // namespace
