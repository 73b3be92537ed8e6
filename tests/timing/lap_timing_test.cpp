#include <gtest/gtest.h>

#include <cstring>

#include "capture/timing/lap_timing.h"
#include "timing_test_support.h"

namespace {

class LapTimingTest : public TimingTest {
protected:
    void useCourse(int32_t type, int32_t points) {
        course.courseType = type;
        course.pointCount = points;
    }
    // One reader cycle with the car at `distanceM` from point i; the other point far away.
    void fixAt(int i, double distanceM, double segmentM = -1.0) {
        placeCar(i, distanceM, segmentM);
        placeCar(1 - i, 500.0);
        checkPointPasses();
    }
    void enter(int i) { fixAt(i, 5.0); }
    void leave() {
        placeCar(0, 500.0);
        placeCar(1, 500.0);
        checkPointPasses();
    }
    void advance(uint32_t ms) { fakeTickMs += ms; }
    // Enters point i, then leaves, then lets the hold run out.
    void passAndWait(int i) {
        enter(i);
        leave();
        advance(PASS_HOLD_MS + 1);
    }
};

TEST_F(LapTimingTest, PassRadiusIsStrict) {
    useCourse(COURSE_LOOP, 1);
    fixAt(0, 15.0);
    EXPECT_EQ(passLog.passCount, 0) << "a distance equal to the radius is outside";
    fixAt(0, 15.0, 15.0);
    EXPECT_EQ(passLog.passCount, 0);
    fixAt(0, 14.99);
    EXPECT_EQ(passLog.passCount, 1);
    EXPECT_EQ(passLog.passTicks[0], 1000u);
}

TEST_F(LapTimingTest, SegmentThroughTheRadiusCountsWhenBothFixesAreOutside) {
    useCourse(COURSE_LOOP, 1);
    fixAt(0, 40.0, 5.0);
    EXPECT_EQ(passLog.passCount, 1);
}

TEST_F(LapTimingTest, UnknownDistanceIsNeverNear) {
    useCourse(COURSE_LOOP, 1);
    fixAt(0, -1.0, 5.0);  // segment known but the point distance is not
    fixAt(0, -1.0, -1.0);
    EXPECT_EQ(passLog.passCount, 0);
    EXPECT_EQ(sink.flashes.load(), 0);
}

TEST_F(LapTimingTest, StayingInsideGivesOnePassAndReentryWaitsForTheHold) {
    useCourse(COURSE_LOOP, 1);
    for (int s = 0; s < 60; ++s) {
        enter(0);
        advance(1000);
    }
    EXPECT_EQ(passLog.passCount, 1) << "one minute inside is one pass";
    // The minute has outlasted the hold: leaving and entering counts at once.
    leave();
    enter(0);
    ASSERT_EQ(passLog.passCount, 2);
    leave();
    advance(PASS_HOLD_MS - 1);
    enter(0);
    EXPECT_EQ(passLog.passCount, 2) << "re-entry within 10 s of a counted pass";
    leave();
    advance(2);
    enter(0);
    EXPECT_EQ(passLog.passCount, 3) << "re-entry after 10 s";
    EXPECT_EQ(sink.cueList(), (std::vector<int>{4, 4, 4}));
}

TEST_F(LapTimingTest, HoldSurvivesTheTickWrapping) {
    useCourse(COURSE_LOOP, 1);
    fakeTickMs = 0xFFFFF000u;  // 4096 ms before the counter wraps
    enter(0);
    ASSERT_EQ(passLog.passCount, 1);
    leave();
    fakeTickMs = 0x00000100u;  // 4352 ms later, after the wrap
    enter(0);
    EXPECT_EQ(passLog.passCount, 1) << "still within the 10 s hold";
    leave();
    fakeTickMs = 0xFFFFF000u + PASS_HOLD_MS + 1;
    enter(0);
    EXPECT_EQ(passLog.passCount, 2);
    // And the lap time across the wrap is the true interval.
    EXPECT_EQ(lapDisplayFor(passLog, COURSE_LOOP).lapMs, PASS_HOLD_MS + 1);
}

TEST_F(LapTimingTest, OpenCourseRejectsPointTwoBeforePointOneAndHoldsIt) {
    useCourse(COURSE_OPEN, 2);
    captureSettings.flashOnPass = 1;
    enter(1);
    EXPECT_EQ(passLog.passCount, 0);
    EXPECT_TRUE(sink.cueList().empty());
    EXPECT_EQ(sink.flashes.load(), 1) << "the flash fires before the decision";
    EXPECT_EQ(lapMarkPending.load(), 0);
    leave();
    advance(1000);
    enter(0);  // arms the run
    leave();
    advance(1000);
    enter(1);
    EXPECT_EQ(passLog.passCount, 1) << "point 2 is still held from the rejected approach";
    leave();
    advance(PASS_HOLD_MS);
    enter(1);
    EXPECT_EQ(passLog.passCount, 2);
    EXPECT_EQ(sink.cueList(), (std::vector<int>{4, 5}));
    const LapDisplay display = lapDisplayFor(passLog, COURSE_OPEN);
    EXPECT_EQ(display.countText, "1");
}

TEST_F(LapTimingTest, OpenCourseStartPointAlwaysCountsAndRestartsTheRun) {
    useCourse(COURSE_OPEN, 2);
    passAndWait(0);
    passAndWait(0);
    EXPECT_EQ(passLog.passCount, 2);
    EXPECT_EQ(legArmed, 1);
    passAndWait(1);
    EXPECT_EQ(passLog.passCount, 3);
    EXPECT_EQ(legArmed, 0);
    // Only exactly two passes make a run on the display.
    EXPECT_EQ(sink.text(PANEL_LAP_COUNT), "0");
    EXPECT_EQ(sink.text(PANEL_LAP_TIME), "-- : -- : -- : --");
}

TEST_F(LapTimingTest, OpenReturnCountsFourPassesAsTwoLegs) {
    useCourse(COURSE_OPEN_RETURN, 2);
    passAndWait(0);
    passAndWait(1);
    EXPECT_EQ(returnLeg, 1);
    EXPECT_EQ(sink.text(PANEL_LAP_COUNT), "1");
    passAndWait(1);  // starts the return leg once the hold is over
    EXPECT_EQ(sink.text(PANEL_LAP_COUNT), "0") << "an odd count shows no leg";
    advance(20000);
    enter(0);
    ASSERT_EQ(passLog.passCount, 4);
    EXPECT_EQ(returnLeg, 0);
    EXPECT_EQ(sink.cueList(), (std::vector<int>{4, 5, 5, 4}));
    EXPECT_EQ(sink.text(PANEL_LAP_COUNT), "2");
    const uint32_t lastLeg = passLog.passTicks[3] - passLog.passTicks[2];
    EXPECT_EQ(lastLeg, 20000u + PASS_HOLD_MS + 1);
    EXPECT_EQ(sink.text(PANEL_LAP_TIME), "00 : 00 : 30 : 00");
}

TEST_F(LapTimingTest, OpenReturnRejectsPointOneOnTheReturnUntilArmed) {
    useCourse(COURSE_OPEN_RETURN, 2);
    passAndWait(0);
    passAndWait(1);
    passAndWait(0);  // return leg not started at point 2 yet
    EXPECT_EQ(passLog.passCount, 2);
    EXPECT_EQ(returnLeg, 1);
}

TEST_F(LapTimingTest, LoopWithTwoPointsCountsEachPoint) {
    useCourse(COURSE_LOOP, 2);
    enter(0);
    leave();
    advance(7000);
    enter(1);
    EXPECT_EQ(passLog.passCount, 2);
    EXPECT_EQ(sink.cueList(), (std::vector<int>{4, 4}));
    EXPECT_EQ(sink.text(PANEL_LAP_TIME), "00 : 00 : 07 : 00");
}


TEST_F(LapTimingTest, CountedPassSetsLapMarkAndBeaconOnlyWithLapSync) {
    useCourse(COURSE_LOOP, 1);
    passAndWait(0);
    EXPECT_EQ(lapMarkPending.load(), 1);
    EXPECT_EQ(beaconPulsePending.load(), 0);
    captureSettings.motecLapSync = 1;
    passAndWait(0);
    EXPECT_EQ(beaconPulsePending.load(), 1);
}

TEST_F(LapTimingTest, HundredFirstPassIsAnnouncedButNotLogged) {
    useCourse(COURSE_LOOP, 1);
    captureSettings.motecLapSync = 1;
    for (int n = 0; n < PASS_LOG_CAPACITY; ++n) passAndWait(0);
    ASSERT_EQ(passLog.passCount, 100);
    const PassLog full = passLog;
    sink.setPanelText(PANEL_LAP_COUNT, "unchanged");
    lapMarkPending = 0;
    beaconPulsePending = 0;
    enter(0);
    EXPECT_EQ(passLog.passCount, 100);
    EXPECT_EQ(std::memcmp(&full, &passLog, sizeof full), 0);
    EXPECT_EQ(sink.cueList().size(), 101u);
    EXPECT_EQ(lapMarkPending.load(), 1);
    EXPECT_EQ(beaconPulsePending.load(), 1);
    EXPECT_EQ(sink.text(PANEL_LAP_COUNT), "unchanged");
    EXPECT_EQ(countedPasses.load(), 101);
}

TEST(LapDisplay, CountsAndTimesPerCourseType) {
    PassLog log;
    log.passCount = 2;
    log.passTicks[0] = 5000;
    log.passTicks[1] = 5000 + 62500;
    LapDisplay loop = lapDisplayFor(log, COURSE_LOOP);
    EXPECT_EQ(loop.countText, "1");
    EXPECT_EQ(loop.timeText, "00 : 01 : 02 : 15");
    EXPECT_EQ(lapDisplayFor(log, COURSE_OPEN).countText, "1");
    EXPECT_EQ(lapDisplayFor(log, COURSE_OPEN_RETURN).countText, "1");
    EXPECT_FALSE(lapDisplayFor(log, 3).hasLap);
    log.passCount = 1;
    EXPECT_EQ(lapDisplayFor(log, COURSE_LOOP).timeText, "-- : -- : -- : --");
    log.passCount = 0;
    EXPECT_FALSE(lapDisplayFor(log, COURSE_OPEN_RETURN).hasLap);
    log.passCount = 5;
    log.passTicks[4] = log.passTicks[3] = 0;
    EXPECT_EQ(lapDisplayFor(log, COURSE_LOOP).countText, "4");
    log.passCount = 4;
    EXPECT_EQ(lapDisplayFor(log, COURSE_OPEN_RETURN).countText, "2");
}

}  // namespace
