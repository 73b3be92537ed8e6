#include <gtest/gtest.h>

#include <cstring>

#include "capture/timing/beacon.h"
#include "capture/timing/course.h"
#include "capture/timing/drive_log_writer.h"
#include "capture/timing/measurement.h"
#include "pty_support.h"
#include "timing_test_support.h"

namespace {

class MeasurementTest : public TimingTest {
protected:
    void SetUp() override {
        TimingTest::SetUp();
        platform::setTickSourceForTests(nullptr);
        ASSERT_TRUE(gpsPty.ok());
        ASSERT_TRUE(beaconPty.ok());
        std::snprintf(gpsPort.portName, sizeof gpsPort.portName, "%s", gpsPty.path().c_str());
        std::snprintf(beaconPort.portName, sizeof beaconPort.portName, "%s",
                      beaconPty.path().c_str());
        ASSERT_EQ(allocateSampleBuffer(), 0);
        setDriveLogDirectory((directory / "log").string());
    }
    void TearDown() override {
        if (readerRunning.load() != 0 || recording.load() != 0) stopMeasuring();
        freeSampleBuffer();
        setDriveLogDirectory("");
        logFileCounter = 0;
        TimingTest::TearDown();
    }
    static void loopCourseWithOnePoint() {
        course.courseType = COURSE_LOOP;
        course.pointCount = 1;
        course.points[0].latitude = 35.0;
        std::strcpy(course.name, "loop");
    }
    Pty gpsPty;
    Pty beaconPty;
};

TEST_F(MeasurementTest, StartAndStopRunTheWorkersAndCue) {
    loopCourseWithOnePoint();
    lapMarkPending = 1;  // left over from an earlier run
    passLog.passCount = 5;
    ASSERT_EQ(startMeasuring(), START_OK);
    EXPECT_EQ(recording.load(), 1);
    EXPECT_EQ(passLog.passCount, 0) << "each measurement starts a new pass log";
    EXPECT_EQ(lapMarkPending.load(), 0);
    EXPECT_EQ(motecRunning.load(), 0) << "without lap sync the beacon is not touched";
    EXPECT_EQ(beaconPort.handle, 0);
    EXPECT_EQ(sink.text(PANEL_LAP_COUNT), "0");
    legArmed = 1;
    const StopResult stop = stopMeasuring();
    EXPECT_EQ(stop.driveLog.status, DRIVE_LOG_NOTHING) << "no fix, no sample, no file";
    EXPECT_FALSE(stop.courseCleared);
    EXPECT_EQ(recording.load(), 0);
    EXPECT_EQ(gpsPort.handle, 0);
    EXPECT_EQ(legArmed, 0);
    EXPECT_STREQ(course.name, "loop");
    EXPECT_EQ(sink.cueList(), (std::vector<int>{0, 1}));
}

TEST_F(MeasurementTest, MissingGpsPortLeavesEverythingIdle) {
    std::strcpy(gpsPort.portName, "/dev/no-such-gps-port");
    EXPECT_EQ(startMeasuring(), START_GPS_PORT_FAILED);
    EXPECT_EQ(readerRunning.load(), 0);
    EXPECT_EQ(recording.load(), 0);
    EXPECT_TRUE(sink.cueList().empty());
}

TEST_F(MeasurementTest, MissingBeaconPortClosesTheGpsPortAgain) {
    captureSettings.motecLapSync = 1;
    std::strcpy(beaconPort.portName, "/dev/no-such-beacon-port");
    EXPECT_EQ(startMeasuring(), START_BEACON_PORT_FAILED);
    EXPECT_EQ(gpsPort.handle, 0);
    EXPECT_EQ(recording.load(), 0);
    EXPECT_TRUE(sink.cueList().empty());
    // The GPS device is free for the next attempt.
    std::snprintf(beaconPort.portName, sizeof beaconPort.portName, "%s", beaconPty.path().c_str());
    ASSERT_EQ(startMeasuring(), START_OK);
    EXPECT_EQ(motecRunning.load(), 1);
    stopMeasuring();
    EXPECT_EQ(motecRunning.load(), 0);
    EXPECT_EQ(beaconPort.handle, 0);
}

TEST_F(MeasurementTest, MissingBufferFailsTheStartAndClosesThePorts) {
    freeSampleBuffer();
    captureSettings.motecLapSync = 1;
    EXPECT_EQ(startMeasuring(), START_RECORDER_FAILED);
    EXPECT_EQ(gpsPort.handle, 0);
    EXPECT_EQ(beaconPort.handle, 0);
    EXPECT_EQ(motecRunning.load(), 0);
}

TEST_F(MeasurementTest, StopClearsACourseIncompleteForItsType) {
    loopCourseWithOnePoint();
    course.courseType = COURSE_OPEN;  // one point is not enough for an open course
    ASSERT_EQ(startMeasuring(), START_OK);
    insidePoint[0] = 1;
    passHoldUntil[0] = 1234;
    const StopResult stop = stopMeasuring();
    EXPECT_TRUE(stop.courseCleared);
    const Course empty{};
    EXPECT_EQ(std::memcmp(&course, &empty, sizeof empty), 0);
    EXPECT_EQ(insidePoint[0], 0);
    EXPECT_EQ(passHoldUntil[0], 0u);
}

TEST_F(MeasurementTest, PointRequestsRespectTheCoursesCapacity) {
    EXPECT_FALSE(requestPointRegistration()) << "only while measuring";
    ASSERT_EQ(startMeasuring(), START_OK);
    EXPECT_TRUE(requestPointRegistration());
    EXPECT_EQ(registerPointRequest.load(), 1);
    registerPointRequest = 0;
    loopCourseWithOnePoint();
    EXPECT_FALSE(requestPointRegistration()) << "a loop takes one point";
    EXPECT_TRUE(changeCourseType(COURSE_OPEN));
    EXPECT_TRUE(requestPointRegistration());
    registerPointRequest = 0;
    course.pointCount = 2;
    EXPECT_FALSE(requestPointRegistration());
    EXPECT_FALSE(changeCourseType(COURSE_LOOP)) << "two points cannot be a loop";
    EXPECT_FALSE(deleteLastPointCommand()) << "no editing while measuring";
    stopMeasuring();
    EXPECT_FALSE(changeCourseType(COURSE_OPEN_RETURN)) << "type changes only while measuring";
}

TEST_F(MeasurementTest, EditingPointsAndNewResetTheTimingState) {
    course.courseType = COURSE_OPEN;
    course.pointCount = 2;
    legArmed = returnLeg = 1;
    passHoldUntil[1] = 99;
    EXPECT_TRUE(swapPointsCommand());
    EXPECT_EQ(legArmed, 0);
    EXPECT_EQ(passHoldUntil[1], 0u);
    insidePoint[0] = 1;
    EXPECT_TRUE(deleteLastPointCommand());
    EXPECT_EQ(insidePoint[0], 0);
    EXPECT_EQ(course.pointCount, 1);

    pointDistance[0] = 3.0;
    passLog.passCount = 2;
    legArmed = 1;
    const StopResult result = newCourse();
    EXPECT_EQ(result.driveLog.status, DRIVE_LOG_NOTHING);
    EXPECT_EQ(course.pointCount, 0);
    EXPECT_EQ(pointDistance[0], -1.0);
    EXPECT_EQ(legArmed, 0);
    EXPECT_EQ(passLog.passCount, 2) << "the pass log stays until the next start";
}

}  // namespace
