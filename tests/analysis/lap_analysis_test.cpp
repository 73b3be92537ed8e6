#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "tests/analysis/drive_log_builder.h"
#include "viewer/analysis/analysis_state.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/lap_analysis.h"
#include "viewer/analysis/local_frame.h"
#include "viewer/analysis/view_state.h"

namespace {

using Span = std::pair<int, int>;  // first and last sample of a lap, -1 = not set

const TrackPoint& point(int i) { return driveModel.points[size_t(i)]; }
const LapRecord& lap(int j) { return driveModel.laps[size_t(j)]; }

class LapAnalysis : public ::testing::Test {
protected:
    void SetUp() override { resetAnalysisState(); }
    void TearDown() override { resetAnalysisState(); }
    static int analyse(const DriveLogImage& image) {
        installDrive(image);
        return analyseDrive();
    }
};

TEST_F(LapAnalysis, LapsAreCutFromMarkEdgesByCourseType) {
    struct Case { const char* what; int32_t type; std::vector<int> marks; std::vector<Span> laps; } cases[] = {
        {"loop laps touch; after the last mark is no lap", COURSE_LOOP, {10, 50, 90}, {{10, 49}, {50, 89}}},
        {"open marks pair up, the unpaired start stays uncut", COURSE_OPEN, {10, 50, 90}, {{10, 50}, {90, -1}}},
        {"open return likewise", COURSE_OPEN_RETURN, {10, 50, 90}, {{10, 50}, {90, -1}}},
        {"consecutive marked samples are one mark", COURSE_LOOP, {10, 11, 12, 50, 51, 90}, {{10, 49}, {50, 89}}},
        {"sample 1 can open a lap, sample 0 never", COURSE_LOOP, {0, 1, 30}, {{1, 29}}},
        {"an unknown course type cuts nothing", 7, {10, 50, 90}, {{-1, -1}, {-1, -1}}},
        {"one mark is no lap", COURSE_LOOP, {10}, {}},
        {"no mark", COURSE_OPEN, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(analyse(straightDrive(100, 1000, 60.0, c.marks, c.type)),
                  c.laps.empty() ? ANALYSE_NO_LAPS : ANALYSE_OK);
        EXPECT_EQ(driveModel.loaded, 1);
        ASSERT_EQ(driveModel.lapCount, int(c.laps.size()));
        for (int j = 0; j < driveModel.lapCount; ++j) {
            EXPECT_EQ(Span(lap(j).startSample, lap(j).endSample), c.laps[size_t(j)]);
            EXPECT_EQ(isLapCut(j), c.laps[size_t(j)].second >= 0);
            EXPECT_TRUE(isLapCut(j) || lap(j).distanceKm == 0.0) << "an uncut lap holds no figures";
        }
    }
    EXPECT_EQ(analyse(straightDrive(1, 1000, 60.0, {})), ANALYSE_NO_LAPS) << "a lone sample";
    EXPECT_FALSE(hasCurrentLap());
}

TEST_F(LapAnalysis, MoreMarksThanTheTableHoldsKeepsTheFirstHundredLaps) {
    std::vector<int> marks;
    for (int m = 0; m < 130; ++m) marks.push_back(2 + 3 * m);
    ASSERT_EQ(analyse(straightDrive(400, 1000, 60.0, marks)), ANALYSE_OK);
    EXPECT_EQ(driveModel.lapCount, 100);
    EXPECT_EQ(Span(lap(99).startSample, lap(99).endSample), Span(299, 301));
}

TEST_F(LapAnalysis, LapTimesComeFromThePassLogWhenItsPassesPairWithTheMarks) {
    // Samples every second from tick 1000; marks at 10, 50, 90, 130 (ticks 11000, 51000, ...).
    struct Case { const char* what; int32_t type; std::vector<int32_t> leadMs; int32_t passCount;
                  std::vector<int32_t> lapMs; } cases[] = {
        {"each pass shortly before its mark", COURSE_LOOP, {300, 700, 50, 0}, 4, {39600, 40650, 40050}},
        {"open laps pair marks 1-2 and 3-4", COURSE_OPEN, {300, 700, 50, 0}, 4, {39600, 40050}},
        {"a pass after its mark: sample times", COURSE_LOOP, {300, -1, 50, 0}, 4, {40000, 40000, 40000}},
        {"a pass 10 s before its mark is still its pass", COURSE_LOOP, {10000, 0, 0, 0}, 4, {50000, 40000, 40000}},
        {"a pass before the previous mark: sample times", COURSE_LOOP, {0, 40000, 0, 0}, 4, {40000, 40000, 40000}},
        {"fewer passes than marks: sample times", COURSE_LOOP, {300, 700, 50, 0}, 3, {40000, 40000, 40000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DriveLogImage image = straightDrive(150, 1000, 60.0, {10, 50, 90, 130}, c.type);
        image.passLog.passCount = c.passCount;
        for (size_t k = 0; k < c.leadMs.size(); ++k) {
            image.passLog.passTicks[k] = image.samples[size_t(10 + 40 * k)].tick - uint32_t(c.leadMs[k]);
        }
        ASSERT_EQ(analyse(image), ANALYSE_OK);
        for (size_t j = 0; j < c.lapMs.size(); ++j) EXPECT_EQ(lap(int(j)).lapTimeMs, c.lapMs[j]) << "lap " << j;
    }
}

TEST(StepAcceptance, EdgesOfDurationMovementAndGain) {
    struct Case { const char* what; double distanceKm, previousDistanceKm, dtMs, speedKmh, previousSpeedKmh;
                  bool firstStep, accepted; } cases[] = {
        {"exactly 100 ms", 0.01, 0.01, 100, 50.0, 50.0, false, false},
        {"101 ms", 0.01, 0.01, 101, 50.0, 50.0, false, true},
        {"100 ms, even as the lap's first step", 0.01, 0.01, 100, 50.0, 0.0, true, false},
        {"standing still", 0.0, 0.01, 1000, 0.0, 50.0, false, false},
        {"stood still before", 0.01, 0.0, 1000, 36.0, 36.0, false, false},
        {"exactly 30 km/h in a second", 0.025, 0.02, 1000, 90.0, 60.0, false, false},
        {"just under 30 km/h in a second", 0.025, 0.02, 1000, 89.999, 60.0, false, true},
        {"9 km/h over 300 ms", 0.005, 0.005, 300, 59.0, 50.0, false, false},
        {"braking is never limited", 0.005, 0.005, 300, 10.0, 150.0, false, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isStepAccepted(c.distanceKm, c.previousDistanceKm, uint32_t(c.dtMs), c.speedKmh, c.previousSpeedKmh,
                                 c.firstStep), c.accepted) << c.what;
    }
}

TEST_F(LapAnalysis, SteadyDriveGivesSpeedDistance58PsAndFrameEvenAcrossATickWrap) {
    // The tick wraps past 0xFFFFFFFF in the middle of lap 0: one ordinary step.
    ASSERT_EQ(analyse(straightDrive(100, 1000, 100.0, {10, 50, 90}, COURSE_LOOP, 0xFFFFFFFFu - 25500u)), ANALYSE_OK);
    // Distances are measured at the drive's height (300 m): 1 + 300/6378137 longer.
    // A loop lap runs from its mark to the next one: 40 steps of one second,
    // the closing step counted in time and distance as the lap timer counts it.
    EXPECT_NEAR(lap(0).distanceKm, 40 * 100.0 / 3600.0, 2e-4);
    EXPECT_EQ(lap(0).lapTimeMs, 40000);
    EXPECT_EQ(lap(0).speedStepCount, 39);
    EXPECT_NEAR(lap(0).avgSpeed, 100.0, 0.01);
    EXPECT_NEAR(lap(0).avgPower, 58.04, 0.005);
    EXPECT_EQ(lap(0).cornerAvgSpeed, 0.0) << "a straight has no apex";
    EXPECT_NEAR(point(11).acceleration, 100.0, 0.01) << "the first step gains from standstill";
    // The lap is centred on its box and framed from radius / tan(22.5 rad).
    EXPECT_NEAR(lap(0).boxMax.x, 39 * 100.0 / 7200.0, 1e-4);
    EXPECT_NEAR(lap(0).viewDistance, lap(0).boxMax.x / 0.5578517393521941, 1e-4);
}

TEST_F(LapAnalysis, RepeatedPositionRejectsThatStepAndTheNextWithoutLosingDistance) {
    DriveLogImage image = straightDrive(60, 1000, 72.0, {5, 50});
    image.samples[20].latitude = image.samples[19].latitude;  // the receiver repeated a fix
    analyse(image);
    for (int i : {20, 21}) {
        EXPECT_NEAR(point(i).speed, 72.0, 0.01) << i << " repeats the last accepted speed";
        EXPECT_EQ(point(i).acceleration, 0.0) << i;
        EXPECT_EQ(point(i).power, point(19).power) << i << " keeps the last accepted power";
    }
    EXPECT_NEAR(point(21).stepDistance, 0.040, 1e-5) << "measured from the last accepted sample";
    EXPECT_NEAR(lap(0).distanceKm, 45 * 0.020, 1e-4);  // closing step included
    EXPECT_EQ(lap(0).speedStepCount, 42);
}

TEST_F(LapAnalysis, StepOfTwoSecondsCountsButCannotSetTopSpeed) {
    for (uint32_t fastMs : {2000u, 1999u}) {
        // 60 km/h, except 80 km/h over the `fastMs` step ending at sample 15.
        DriveLogImage image = straightDrive(30, 1000, 60.0, {2, 28});
        for (int i = 15; i < 30; ++i) {
            image.samples[size_t(i)] = sampleAt((i - 1) * 60.0 / 3.6 + 80.0 / 3.6 * fastMs * 0.001, 0.0, 300.0,
                                                uint32_t(i) * 1000 + fastMs, i == 28);
        }
        analyse(image);
        EXPECT_NEAR(point(15).speed, 80.0, 0.01) << fastMs;
        EXPECT_NEAR(lap(0).maxSpeed, fastMs < 2000 ? 80.0 : 60.0, 0.01) << fastMs;
    }
}

TEST_F(LapAnalysis, ParkedCarGivesZeroFiguresNotNaN) {
    ASSERT_EQ(analyse(straightDrive(20, 1000, 0.0, {3, 15})), ANALYSE_OK);
    const LapRecord& parked = lap(0);
    for (double v : {parked.avgSpeed, parked.avgPower, parked.maxSpeed, parked.minPower, parked.cornerAvgSpeed,
                     parked.distanceKm, parked.radius, parked.viewDistance, parked.meanY}) {
        EXPECT_EQ(v, 0.0);
    }
    EXPECT_EQ(parked.maxSpeedSample, 3);
    for (int i = 3; i <= 14; ++i) EXPECT_EQ(point(i).speed + point(i).power + driveModel.turnAngles[size_t(i)], 0.0);
}

// The origin is the mean of samples 1..N-1: dividing by N would put it a
// fiftieth of the position away and tilt the frame into a false climb; an
// average across the antimeridian would put it on the far side of the earth.
TEST_F(LapAnalysis, OriginStaysOnTheTrackSoLevelDrivesStayLevel) {
    for (double firstLongitude : {BASE_LONGITUDE, 179.99}) {
        DriveLogImage image;  // 50 samples about 40 m apart, due east
        for (int i = 0; i < 50; ++i) {
            const double longitude = std::remainder(firstLongitude + 0.0005 * i, 360.0);
            const int32_t lapMark = i == 2 || i == 48;
            image.samples.push_back(LogSample{1000 * uint32_t(i), 0, BASE_LATITUDE, longitude, 280.0, lapMark, 0});
        }
        image.passLog.passCount = 2;
        ASSERT_EQ(analyse(image), ANALYSE_OK);
        EXPECT_NEAR(driveModel.lapAltitudeRange[0].highest - driveModel.lapAltitudeRange[0].lowest, 0.0, 0.0005);
        EXPECT_NEAR(lap(0).distanceKm, 46 * 0.04024, 0.005);  // closing step included
    }
}

TEST(LocalFrame, AxesAreNorthUpEastInKilometres) {
    resetDriveModel();
    driveModel.originLatitude = BASE_LATITUDE;
    driveModel.originLongitude = BASE_LONGITUDE;
    const auto at = [](double northM, double eastM, double altitudeM) {
        const LogSample s = sampleAt(northM, eastM, altitudeM, 0);
        return toLocalFrame(s.latitude, s.longitude, s.altitude);
    };
    const Vec3 east = at(0.0, 1000.0, 0.0), north = at(1000.0, 0.0, 0.0), up = at(0.0, 0.0, 250.0);
    EXPECT_NEAR(east.z, 1.0, 1e-5) << "not stretched by 1/cos(latitude)";
    EXPECT_NEAR(north.x, 1.0, 1e-5);
    EXPECT_NEAR(up.y, 0.25, 1e-9);
    // The parallel bends towards the pole by d^2 tan(lat) / 2N, 0.08 m over 1 km.
    EXPECT_NEAR(std::abs(east.x) + std::abs(north.z) + std::abs(up.x) + std::abs(up.z), 0.0, 1e-4);
    EXPECT_NEAR(at(0.0, -2000.0, 0.0).y, -2.0 * 2.0 / (2 * 6378.137), 1e-4) << "the ground falls away from the plane";
}

}  // namespace
