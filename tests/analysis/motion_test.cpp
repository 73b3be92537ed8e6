#include <gtest/gtest.h>

#include <cmath>

#include "tests/analysis/drive_log_builder.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/lap_analysis.h"
#include "viewer/analysis/view_state.h"

namespace {

const TrackPoint& point(int i) { return driveModel.points[size_t(i)]; }

TEST(StepAcceptance, EdgesOfDurationMovementAndGain) {
    EXPECT_FALSE(isStepAccepted(0.01, 0.01, 100, 50.0, 50.0, false)) << "exactly 100 ms";
    EXPECT_TRUE(isStepAccepted(0.01, 0.01, 101, 50.0, 50.0, false));
    EXPECT_FALSE(isStepAccepted(0.01, 0.01, 100, 50.0, 0.0, true)) << "even the first step";
    EXPECT_FALSE(isStepAccepted(0.0, 0.01, 1000, 0.0, 50.0, false)) << "standing still";
    EXPECT_FALSE(isStepAccepted(0.01, 0.0, 1000, 36.0, 36.0, false)) << "stood still before";
    EXPECT_FALSE(isStepAccepted(0.025, 0.02, 1000, 90.0, 60.0, false)) << "exactly 30 km/h in a second";
    EXPECT_TRUE(isStepAccepted(0.025, 0.02, 1000, 89.999, 60.0, false));
    EXPECT_TRUE(isStepAccepted(0.025, 0.02, 1000, 90.0, 60.0, true)) << "the lap's first step";
    EXPECT_FALSE(isStepAccepted(0.005, 0.005, 300, 59.0, 50.0, false)) << "9 km/h over 300 ms";
    EXPECT_TRUE(isStepAccepted(0.005, 0.005, 300, 58.99, 50.0, false));
    EXPECT_TRUE(isStepAccepted(0.005, 0.005, 300, 10.0, 150.0, false)) << "braking is never limited";
}

TEST(StepFormulas, SpeedAndPower) {
    EXPECT_DOUBLE_EQ(stepSpeedKmh(0.1, 3600), 100.0);
    EXPECT_NEAR(enginePowerPs(100.0, 1567.0), 58.04, 0.005);
    EXPECT_DOUBLE_EQ(enginePowerPs(100.0, 1567.0), 100.0 * (1.0 / 36.0) * 1567.0 * (1.0 / 75.0));
}

class MotionPass : public ::testing::Test {
protected:
    void SetUp() override { setViewStateDefaults(); }
};

TEST_F(MotionPass, SteadyDriveGivesItsSpeedDistanceAndPower) {
    installDrive(straightDrive(100, 1000, 100.0, {10, 50, 90}));
    ASSERT_EQ(analyseDrive(), ANALYSE_OK);
    const LapRecord& lap = driveModel.laps[0];
    // Distances are measured at the drive's height (300 m): 1 + 300/6378137 longer.
    EXPECT_NEAR(lap.distanceKm, 39 * 100.0 / 3600.0, 2e-4);
    EXPECT_EQ(lap.speedStepCount, 39);
    EXPECT_NEAR(lap.avgSpeed, 100.0, 0.01);
    EXPECT_NEAR(lap.maxSpeed, 100.0, 0.01);
    EXPECT_NEAR(lap.avgPower, 58.04, 0.01);
    EXPECT_NEAR(lap.minPower, 58.04, 0.01);
    // The lap's first sample has no motion of its own.
    EXPECT_EQ(point(10).speed, 0.0);
    EXPECT_EQ(point(10).power, 0.0);
    EXPECT_EQ(point(10).stepDistance, 0.0);
    EXPECT_EQ(point(10).acceleration, 0.0);
    EXPECT_NEAR(point(11).acceleration, 100.0, 0.01) << "the first step gains from standstill";
}

TEST_F(MotionPass, RepeatedPositionRejectsThatStepAndTheNext) {
    DriveLogImage image = straightDrive(60, 1000, 72.0, {5, 50});
    image.samples[20].latitude = image.samples[19].latitude;  // the receiver repeated a fix
    installDrive(image);
    analyseDrive();
    for (int i : {20, 21}) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(point(i).speed, 72.0, 0.01) << "repeats the last accepted speed";
        EXPECT_EQ(point(i).acceleration, 0.0);
        EXPECT_DOUBLE_EQ(point(i).power, point(19).power);
    }
    EXPECT_EQ(point(20).stepDistance, 0.0);
    EXPECT_NEAR(point(21).stepDistance, 0.040, 1e-5) << "measured from the last accepted sample";
    EXPECT_NEAR(point(22).stepDistance, 0.060, 1e-5);
    EXPECT_NEAR(point(22).speed, 72.0, 0.01);
    EXPECT_NEAR(driveModel.laps[0].distanceKm, 44 * 0.020, 1e-4) << "no distance is lost";
    EXPECT_EQ(driveModel.laps[0].speedStepCount, 42);
}

TEST_F(MotionPass, TwoSecondStepCountsButCannotSetTopSpeed) {
    // 60 km/h with one faster stretch lasting exactly 2000 ms, then 1999 ms.
    auto drive = [](uint32_t fastStepMs) {
        DriveLogImage image;
        double north = 0.0;
        uint32_t tick = 1000;
        for (int i = 0; i < 30; ++i) {
            const bool fast = i == 15;
            const uint32_t dt = fast ? fastStepMs : 1000;
            if (i > 0) {
                tick += dt;
                north += (fast ? 80.0 : 60.0) / 3.6 * dt * 0.001;
            }
            image.samples.push_back(sampleAt(north, 0.0, 300.0, tick, i == 2 || i == 28 ? 1 : 0));
        }
        image.passLog.passCount = 2;
        return image;
    };
    installDrive(drive(2000));
    analyseDrive();
    EXPECT_NEAR(point(15).speed, 80.0, 0.01) << "accepted";
    EXPECT_NEAR(driveModel.laps[0].maxSpeed, 60.0, 0.01);
    EXPECT_NE(driveModel.laps[0].maxSpeedSample, 15);

    installDrive(drive(1999));
    analyseDrive();
    EXPECT_NEAR(driveModel.laps[0].maxSpeed, 80.0, 0.01);
    EXPECT_EQ(driveModel.laps[0].maxSpeedSample, 15);
}

TEST_F(MotionPass, ParkedCarGivesZeroFiguresNotNaN) {
    DriveLogImage image;
    for (int i = 0; i < 20; ++i) image.samples.push_back(sampleAt(0.0, 0.0, 300.0, 1000 + 1000 * uint32_t(i), i == 3 || i == 15));
    image.passLog.passCount = 2;
    installDrive(image);
    ASSERT_EQ(analyseDrive(), ANALYSE_OK);
    const LapRecord& lap = driveModel.laps[0];
    EXPECT_EQ(lap.speedStepCount, 0);
    for (double v : {lap.avgSpeed, lap.avgPower, lap.maxSpeed, lap.minPower, lap.cornerAvgSpeed, lap.distanceKm,
                     lap.radius, lap.viewDistance, lap.meanY}) {
        EXPECT_EQ(v, 0.0);
    }
    EXPECT_EQ(lap.maxSpeedSample, lap.startSample);
    for (int i = 3; i <= 14; ++i) {
        EXPECT_EQ(point(i).speed, 0.0);
        EXPECT_EQ(point(i).power, 0.0);
        EXPECT_EQ(driveModel.turnAngles[size_t(i)], 0.0);
    }
}

TEST_F(MotionPass, TickWrapInsideALapIsOneOrdinaryStep) {
    installDrive(straightDrive(40, 1000, 90.0, {5, 35}, COURSE_LOOP, 0xFFFFFFFFu - 15500u));
    analyseDrive();
    EXPECT_EQ(driveModel.laps[0].lapTimeMs, 29000);
    EXPECT_NEAR(driveModel.laps[0].maxSpeed, 90.0, 0.01);
    EXPECT_EQ(driveModel.laps[0].speedStepCount, 29);
}

TEST_F(MotionPass, BoxIsCentredAndFramesTheLap) {
    installDrive(straightDrive(100, 1000, 36.0, {10, 50, 90}));  // 10 m per sample
    analyseDrive();
    const LapRecord& lap = driveModel.laps[0];
    EXPECT_NEAR(lap.boxMin.x, -0.195, 2e-5);
    EXPECT_NEAR(lap.boxMax.x, 0.195, 2e-5);
    EXPECT_NEAR(lap.boxMin.y, lap.boxMax.y, 1e-4) << "level drive";
    EXPECT_NEAR(lap.radius, 0.195, 1e-4);
    EXPECT_NEAR(lap.viewDistance, lap.radius / 0.5578517393521941, 1e-9);
    EXPECT_NEAR(driveModel.lapAltitudeRange[0].lowest, 0.300, 1e-4) << "height above the origin, km";
    EXPECT_NEAR(lap.meanY, 0.0, 1e-4);
}

}  // namespace
