// The interpolated pass time and the replay of recorded fixes through the
// live pass rules: synthetic drives past a point whose true passing moment is
// known, at several fix rates, offsets to the side and clock positions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <vector>

#include "capture/timing/pass_replay.h"
#include "capture/timing/pass_time_option.h"
#include "common/duration.h"
#include "timing_test_support.h"

namespace {

constexpr double POINT_LAT = 35.0;
constexpr double POINT_LON = 139.0;
constexpr double PI = 3.14159265358979323846;

// Metres east and north of the point to degrees (the ellipsoid's local radii).
ReplayFix fixAt(uint32_t tickMs, double eastM, double northM) {
    const double phi = POINT_LAT * PI / 180.0;
    const double e2 = 0.0066943799901414;
    const double w = std::sqrt(1.0 - e2 * std::sin(phi) * std::sin(phi));
    const double meridianM = 6378137.0 * (1.0 - e2) / (w * w * w);
    const double normalM = 6378137.0 / w;
    return {tickMs, POINT_LAT + northM / meridianM * 180.0 / PI,
            POINT_LON + eastM / (normalM * std::cos(phi)) * 180.0 / PI, 50.0};
}

Course loopAtPoint() {
    Course course;
    course.pointCount = 1;
    course.points[0].latitude = POINT_LAT;
    course.points[0].longitude = POINT_LON;
    return course;
}

// A straight northwards past the point, `lateralM` to its east, at constant
// speed; the true pass (the crossing of the line through the point square to
// the road) is at tick `passMs`. Fixes every `intervalMs` from 200 m before.
std::vector<ReplayFix> straightDrive(uint32_t passMs, double speedMps, double lateralM, int intervalMs,
                                     double phase) {
    std::vector<ReplayFix> fixes;
    const double firstOffsetMs = -200.0 / speedMps * 1000.0 - phase * intervalMs;
    for (double t = firstOffsetMs; t < 200.0 / speedMps * 1000.0; t += intervalMs) {
        const double exactMs = std::round(t);
        fixes.push_back(fixAt(passMs + static_cast<uint32_t>(static_cast<int64_t>(exactMs)), lateralM,
                              speedMps * exactMs / 1000.0));
    }
    return fixes;
}

int32_t signedMs(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b); }

class PassTimeTest : public TimingTest {};

TEST_F(PassTimeTest, StraightAtConstantSpeedIsExactToTheMillisecond) {
    const struct { int intervalMs; double speedMps, lateralM, phase; uint32_t passMs; } cases[] = {
        {1000, 40.0, 0.0, 0.37, 500000},
        {1000, 40.0, 10.0, 0.81, 500000},     // 10 m to the side: radius entered later, same crossing
        {1000, 80.0, 5.0, 0.50, 500000},      // no fix within 15 m: found on the segment only
        {100, 40.0, 2.0, 0.23, 500000},
        {40, 40.0, 0.0, 0.55, 500000},        // 25 Hz: inside the radius fixes before the crossing
        {40, 60.0, 12.0, 0.10, 500000},
        {1000, 40.0, 3.0, 0.42, 0xFFFFFE00u}, // the tick wraps between the two fixes
        {40, 40.0, 3.0, 0.42, 0x00000010u},   // the tick wraps before the pass
    };
    for (const auto& c : cases) {
        const std::vector<ReplayFix> fixes = straightDrive(c.passMs, c.speedMps, c.lateralM, c.intervalMs, c.phase);
        ReplayOptions options;
        const ReplayResult today = replayPasses(fixes, loopAtPoint(), options);
        options.interpolate = true;
        const ReplayResult timed = replayPasses(fixes, loopAtPoint(), options);
        SCOPED_TRACE(testing::Message() << c.intervalMs << " ms, " << c.lateralM << " m to the side");
        ASSERT_EQ(today.passes.size(), 1u);
        ASSERT_EQ(timed.passes.size(), 1u);
        EXPECT_LE(std::abs(signedMs(timed.passes[0].tickMs, c.passMs)), 1);
        EXPECT_EQ(timed.passLog.passTicks[0], timed.passes[0].tickMs);
        // Without interpolation the pass is the arrival of the fix that found it.
        EXPECT_EQ(today.passes[0].tickMs, fixes[today.passes[0].fixIndex].tickMs);
        // The lap mark sits on the sample of the fix that counted it, at or after the pass.
        const size_t marked = timed.passes[0].fixIndex;
        EXPECT_EQ(timed.samples[marked].lapMark, 1);
        EXPECT_GE(signedMs(timed.samples[marked].tick, timed.passes[0].tickMs), 0);
    }
}

TEST_F(PassTimeTest, FixAtThePointAndClosestApproachAfterTheFix) {
    // 20 m/s at 1 Hz: fixes 20 m before (outside), exactly at, 20 m past the point.
    std::vector<ReplayFix> fixes;
    for (int k = -5; k <= 5; ++k) fixes.push_back(fixAt(100000 + 1000 * k, 0.0, 20.0 * k));
    ReplayOptions options;
    options.interpolate = true;
    ReplayResult result = replayPasses(fixes, loopAtPoint(), options);
    ASSERT_EQ(result.passes.size(), 1u);
    EXPECT_EQ(result.passes[0].tickMs, 100000u);
    EXPECT_EQ(result.passes[0].fixIndex, 5u) << "counted at the fix on the point";

    // 10 m/s at 1 Hz, 7 m before the point at a fix: inside the radius, the
    // closest approach still ahead, so the pass waits for the next fix.
    fixes.clear();
    for (int k = -5; k <= 5; ++k) fixes.push_back(fixAt(100000 + 1000 * k, 1.0, 10.0 * k + 3.0));
    result = replayPasses(fixes, loopAtPoint(), options);
    ASSERT_EQ(result.passes.size(), 1u);
    EXPECT_LE(std::abs(signedMs(result.passes[0].tickMs, 99700)), 1);
    EXPECT_EQ(result.passes[0].fixIndex, 5u) << "stamped once the distance grows";
    options.interpolate = false;
    result = replayPasses(fixes, loopAtPoint(), options);
    EXPECT_EQ(result.passes[0].tickMs, 99000u) << "without: the fix 7 m inside the 15 m radius";
}

TEST_F(PassTimeTest, CurveThroughThePointStaysWithinMillisecondsOfTheTruth) {
    // A 60 m radius bend at 25 m/s with the point on the arc; truth: the car on the point.
    const double bendM = 60.0, speedMps = 25.0;
    const struct { int intervalMs; double phase; int32_t toleranceMs; } cases[] = {
        {40, 0.3, 1}, {100, 0.7, 1}, {1000, 0.1, 2}, {1000, 0.9, 2},
    };
    for (const auto& c : cases) {
        std::vector<ReplayFix> fixes;
        const uint32_t passMs = 700000;
        for (int k = -4000 / c.intervalMs; k <= 4000 / c.intervalMs; ++k) {
            const double tMs = (k - c.phase) * c.intervalMs;
            const double angle = speedMps * tMs / 1000.0 / bendM;  // 0 at the point
            fixes.push_back(fixAt(passMs + static_cast<uint32_t>(static_cast<int64_t>(std::lround(tMs))),
                                  bendM - bendM * std::cos(angle), bendM * std::sin(angle)));
        }
        ReplayOptions options;
        options.interpolate = true;
        const ReplayResult result = replayPasses(fixes, loopAtPoint(), options);
        ASSERT_EQ(result.passes.size(), 1u) << c.intervalMs;
        EXPECT_LE(std::abs(signedMs(result.passes[0].tickMs, passMs)), c.toleranceMs) << c.intervalMs << " ms";
    }
}

TEST_F(PassTimeTest, DeferredPassStillCountsWhenTheCarTurnsBackInsideTheRadius) {
    // In to 8 m before the point, then back out the same way.
    std::vector<ReplayFix> fixes;
    uint32_t tickMs = 10000;
    for (double north : {-60.0, -40.0, -20.0, -8.0, -20.0, -40.0, -60.0}) fixes.push_back(fixAt(tickMs += 1000, 0.0, north));
    ReplayOptions options;
    options.interpolate = true;
    const ReplayResult result = replayPasses(fixes, loopAtPoint(), options);
    ASSERT_EQ(result.passes.size(), 1u);
    EXPECT_EQ(result.passes[0].tickMs, fixes[3].tickMs) << "at the closest fix";
}

TEST_F(PassTimeTest, ReplayLeavesTheProcessStateAsItFoundIt) {
    Course live = loopAtPoint();
    std::strcpy(live.name, "live");
    replaceCourse(live);
    captureSettings.pointOffset = 22.0;
    publishSettings();
    passLog.passCount = 1;
    passLog.passTicks[0] = 4242;
    ReplayOptions options;
    options.radiusM = 5.0;
    options.interpolate = true;
    const ReplayResult result = replayPasses(straightDrive(50000, 30.0, 0.0, 100, 0.5), loopAtPoint(), options);
    EXPECT_EQ(result.passes.size(), 1u);
    EXPECT_STREQ(currentCourse().name, "live");
    EXPECT_EQ(passOptions().pointOffsetM, 22.0);
    EXPECT_FALSE(passOptions().interpolatePassTime);
    EXPECT_EQ(passLog.passCount, 1);
    EXPECT_EQ(passLog.passTicks[0], 4242u);
    EXPECT_EQ(platform::GetTickCount(), fakeTickMs.load()) << "the test clock is back";
}

TEST_F(PassTimeTest, OptionFileKeepsItsValueAndIgnoresWhatItDoesNotKnow) {
    const struct { const char* text; int32_t before, after; } cases[] = {
        {"interpolate-pass-time 1\n", 0, 1},
        {"interpolate-pass-time 0\n", 1, 0},
        {"interpolate-pass-time 2\n", 1, 1},   // not a flag value
        {"interpolate-pass-time\n", 0, 0},
        {"something-else 1\ninterpolate-pass-time 1 x\n", 0, 0},
    };
    for (const auto& c : cases) {
        std::ofstream(passTimeOptionPath()) << c.text;
        interpolatePassTime = c.before;
        EXPECT_EQ(loadPassTimeOption(), 0);
        EXPECT_EQ(interpolatePassTime, c.after) << c.text;
    }
    interpolatePassTime = 1;
    ASSERT_EQ(savePassTimeOption().status, FileWriteStatus::WRITTEN);
    interpolatePassTime = 0;
    loadPassTimeOption();
    EXPECT_EQ(interpolatePassTime, 1);
}

}  // namespace
