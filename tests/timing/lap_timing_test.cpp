#include <gtest/gtest.h>

#include <cstring>

#include "timing_test_support.h"

namespace {

class LapTimingTest : public TimingTest {
protected:
    void useCourse(int32_t type, int32_t points) {
        Course course;
        course.courseType = type;
        course.pointCount = points;
        replaceCourse(course);
    }
    // One reader cycle with the car at `distanceM` from point i, the other point far away.
    void fixAt(int i, double distanceM, double segmentM = -1.0) {
        pointDistance[i] = distanceM;
        pointSegmentDistance[i] = segmentM;
        pointDistance[1 - i] = pointSegmentDistance[1 - i] = 500.0;
        checkPointPasses();
    }
    void enter(int i) { fixAt(i, 5.0); }
    void leave() { fixAt(0, 500.0); }
    // Leaves the radius, drives on for `afterMs` and enters point i.
    void reenter(uint32_t afterMs, int i) {
        leave();
        fakeTickMs += afterMs;
        enter(i);
    }
    // Enters point i, leaves, and lets the hold run out.
    void passAndWait(int i) {
        enter(i);
        leave();
        fakeTickMs += PASS_HOLD_MS + 1;
    }
};

TEST_F(LapTimingTest, NearMeansStrictlyInsideTheRadiusByFixOrSegment) {
    const struct { double distanceM, segmentM; int passes; uint32_t fixGapMs = 0; } cases[] = {
        {15.0, -1.0, 0},  // equal to the radius is outside
        {15.0, 15.0, 0},
        {14.99, -1.0, 1},
        {40.0, 5.0, 1},  // the segment between two fixes outside crossed the radius
        {-1.0, 5.0, 0},  // an unknown distance is never near
        {40.0, 5.0, 1, MAX_SEGMENT_GAP_MS},
        {40.0, 5.0, 0, MAX_SEGMENT_GAP_MS + 1},  // the receiver was lost in between
        {5.0, -1.0, 1, 60000},                   // a fix inside after a gap still counts
    };
    useCourse(COURSE_LOOP, 1);
    for (const auto& c : cases) {
        resetLapTimingState();
        clearPassLog();
        fixIntervalMs = c.fixGapMs;
        fixAt(0, c.distanceM, c.segmentM);
        EXPECT_EQ(passLog.passCount, c.passes) << c.distanceM << " " << c.segmentM << " " << c.fixGapMs;
    }
}

TEST_F(LapTimingTest, StayingInsideGivesOnePassAndReentryWaitsForTheHold) {
    useCourse(COURSE_LOOP, 1);
    for (int s = 0; s < 60; ++s, fakeTickMs += 1000) enter(0);
    EXPECT_EQ(passLog.passCount, 1) << "one minute inside is one pass";
    EXPECT_EQ(lapMarkPending.load(), 1);
    EXPECT_EQ(beaconPulsePending.load(), 0) << "the beacon pulses only with lap sync";
    reenter(0, 0);  // the minute has outlasted the hold
    reenter(PASS_HOLD_MS - 1, 0);
    EXPECT_EQ(passLog.passCount, 2) << "re-entry within 10 s of a counted pass";
    reenter(2, 0);
    EXPECT_EQ(passLog.passCount, 3);
    EXPECT_EQ(sink.cues(), (std::vector<int>(3, CUE_POINT1)));
}

TEST_F(LapTimingTest, HoldAndLapTimeSurviveTheTickWrapping) {
    useCourse(COURSE_LOOP, 1);
    fakeTickMs = 0xFFFFF000u;  // 4096 ms before the counter wraps
    enter(0);
    reenter(4352, 0);  // 0x100 after the wrap
    EXPECT_EQ(passLog.passCount, 1) << "still within the 10 s hold";
    reenter(PASS_HOLD_MS + 1 - 4352, 0);
    EXPECT_EQ(passLog.passCount, 2);
    EXPECT_EQ(lapDisplayFor(passLog, COURSE_LOOP).lapMs, PASS_HOLD_MS + 1);
}

TEST_F(LapTimingTest, OpenCourseRejectsPointTwoBeforePointOneAndHoldsIt) {
    useCourse(COURSE_OPEN, 2);
    captureSettings.flashOnPass = 1;
    publishSettings();
    enter(1);
    EXPECT_EQ(passLog.passCount, 0);
    EXPECT_EQ(sink.flashes.load(), 1) << "the flash fires before the decision";
    EXPECT_EQ(lapMarkPending.load(), 0);
    reenter(1000, 0);  // arms the run
    reenter(1000, 1);
    EXPECT_EQ(passLog.passCount, 1) << "point 2 is still held from the rejected approach";
    reenter(PASS_HOLD_MS, 1);
    EXPECT_EQ(sink.cues(), (std::vector<int>{CUE_POINT1, CUE_POINT2}));
    EXPECT_EQ(sink.text(PANEL_LAP_COUNT), "1");
}

TEST_F(LapTimingTest, OpenReturnCountsFourPassesAsTwoLegs) {
    useCourse(COURSE_OPEN_RETURN, 2);
    passAndWait(0);
    passAndWait(1);
    EXPECT_EQ(sink.text(PANEL_LAP_COUNT), "1");
    passAndWait(0);  // point 1 before the return leg started at point 2: rejected
    passAndWait(1);  // starts the return leg
    EXPECT_EQ(sink.text(PANEL_LAP_COUNT), "0") << "an odd count shows no leg";
    reenter(20000, 0);
    EXPECT_EQ(returnLeg, 0);
    EXPECT_EQ(sink.cues(), (std::vector<int>{CUE_POINT1, CUE_POINT2, CUE_POINT2, CUE_POINT1}));
    EXPECT_EQ(sink.text(PANEL_LAP_COUNT), "2");
    EXPECT_EQ(sink.text(PANEL_LAP_TIME), "00 : 00 : 30 : 00");
}

TEST_F(LapTimingTest, LoopWithTwoPointsCountsEachPoint) {
    useCourse(COURSE_LOOP, 2);
    enter(0);
    reenter(7000, 1);
    EXPECT_EQ(sink.cues(), (std::vector<int>(2, CUE_POINT1)));
    EXPECT_EQ(sink.text(PANEL_LAP_TIME), "00 : 00 : 07 : 00");
}

TEST_F(LapTimingTest, HundredFirstPassIsAnnouncedButNotLogged) {
    useCourse(COURSE_LOOP, 1);
    captureSettings.motecLapSync = 1;
    publishSettings();
    for (int n = 0; n < PASS_LOG_CAPACITY; ++n) passAndWait(0);
    const PassLog full = passLog;
    sink.setPanelText(PANEL_LAP_COUNT, "unchanged");
    lapMarkPending = beaconPulsePending = 0;
    enter(0);
    EXPECT_EQ(std::memcmp(&full, &passLog, sizeof full), 0);
    EXPECT_EQ(sink.cues().size(), 101u);
    EXPECT_EQ(lapMarkPending.load(), 1);
    EXPECT_EQ(beaconPulsePending.load(), 1);
    EXPECT_EQ(sink.text(PANEL_LAP_COUNT), "unchanged");
}

TEST_F(LapTimingTest, LapDisplayShowsTheLastLapPerCourseType) {
    passLog.passTicks[1] = 62500;
    const struct { int32_t passes, courseType; const char *count, *time; } cases[] = {
        {2, COURSE_LOOP, "1", "00 : 01 : 02 : 15"},
        {2, COURSE_OPEN, "1", "00 : 01 : 02 : 15"},
        {2, COURSE_OPEN_RETURN, "1", "00 : 01 : 02 : 15"},
        {2, 3, "0", "-- : -- : -- : --"},  // an unknown course type
        {1, COURSE_LOOP, "0", "-- : -- : -- : --"},
        {3, COURSE_OPEN, "0", "-- : -- : -- : --"},  // only exactly two passes make a run
        {5, COURSE_LOOP, "4", "00 : 00 : 00 : 00"},
        {4, COURSE_OPEN_RETURN, "2", "00 : 00 : 00 : 00"},
    };
    for (const auto& c : cases) {
        passLog.passCount = c.passes;
        setCourseType(c.courseType);
        showLapDisplay();
        EXPECT_EQ(sink.text(PANEL_LAP_COUNT), c.count) << c.passes << " " << c.courseType;
        EXPECT_EQ(sink.text(PANEL_LAP_TIME), c.time) << c.passes << " " << c.courseType;
    }
}

}  // namespace
