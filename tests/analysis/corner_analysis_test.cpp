#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/analysis/drive_log_builder.h"
#include "viewer/analysis/corner_analysis.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/lap_analysis.h"
#include "viewer/analysis/view_state.h"

namespace {

constexpr double PI = 3.14159265358979323846;

double turnBetweenHeadings(double fromDeg, double toDeg) {
    return turnAngleDeg(std::cos(fromDeg * PI / 180), std::sin(fromDeg * PI / 180), std::cos(toDeg * PI / 180),
                        std::sin(toDeg * PI / 180));
}

TEST(TurnAngle, WrapsAcrossNorth) {
    EXPECT_NEAR(turnBetweenHeadings(350, 10), 20.0, 1e-9);
    EXPECT_NEAR(turnBetweenHeadings(10, 350), -20.0, 1e-9);
    EXPECT_NEAR(turnBetweenHeadings(0, 90), 90.0, 1e-9) << "north to east is a right turn";
    EXPECT_NEAR(turnBetweenHeadings(200, 170), -30.0, 1e-9);
    EXPECT_EQ(turnAngleDeg(1.0, 1e-12, 1.0, 2e-12), 0.0) << "below TURN_ZERO counts as straight";
    EXPECT_EQ(turnAngleDeg(0.0, 0.0, 1.0, 0.0), 0.0);
}

// Marks and apexes from a hand-made turn-angle sequence over samples 1..n.
class CornerMarks : public ::testing::Test {
protected:
    void set(const std::vector<double>& turns) {
        resetDriveModel();
        driveModel.sampleCount = int(turns.size()) + 1;
        driveModel.turnAngles.assign(turns.size() + 1, 0.0);
        driveModel.cornerMarks.assign(turns.size() + 1, 0);
        for (size_t k = 0; k < turns.size(); ++k) driveModel.turnAngles[k + 1] = turns[k];
        end = int(turns.size());
    }
    std::vector<int32_t> marks() const {
        return std::vector<int32_t>(driveModel.cornerMarks.begin() + 1, driveModel.cornerMarks.end());
    }
    std::vector<double> turns() const {
        return std::vector<double>(driveModel.turnAngles.begin() + 1, driveModel.turnAngles.end());
    }
    int end = 0;
};

TEST_F(CornerMarks, SpikesAgainstTheTrendAreRemoved) {
    set({0, -3, -3, 4, -3, -3, 5, 5, 0});
    removeTurnSpikes(1, end);
    EXPECT_EQ(turns(), (std::vector<double>{0, -3, -3, 0, -3, -3, 5, 5, 0}));
    // The second-to-last sample is beyond the scan.
    set({0, 0, 0, -3, 4, 0});
    removeTurnSpikes(1, end);
    EXPECT_EQ(turns(), (std::vector<double>{0, 0, 0, 0, 4, 0}));
}

TEST_F(CornerMarks, GentleBendsAndOneSampleGapsAreMarked) {
    set({0, 0, 4, 4, 4, 0, 12, 0, 12, 0, 0});
    markCorners(1, end);
    EXPECT_EQ(marks(), (std::vector<int32_t>{0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 0}));
}

TEST_F(CornerMarks, ApexIsTheMiddleOfEachOneSidedRun) {
    set({0, 15, 15, 15, 15, 0, -15, -15, -15, 0, 0});
    markCorners(1, end);
    markApexes(1, end);
    EXPECT_EQ(marks(), (std::vector<int32_t>{0, 1, 1, 2, 1, 1, 1, 1, 2, 1, 0}));
}

TEST_F(CornerMarks, MirrorImageCornersGetTheSameApex) {
    const std::vector<double> right{0, 0, 0, 15, 15, 15, 0, 0, 0};
    std::vector<double> left;
    for (double t : right) left.push_back(-t);
    for (const auto& turns : {right, left}) {
        set(turns);
        markCorners(1, end);
        markApexes(1, end);
        EXPECT_EQ(marks(), (std::vector<int32_t>{0, 0, 1, 1, 2, 1, 1, 0, 0}));
    }
}

TEST_F(CornerMarks, RunReachingTheLapEndGetsNoApex) {
    for (const std::vector<double>& turns : {std::vector<double>{0, 0, 0, 15, 15, 15},
                                             std::vector<double>{0, 15, 15, 0, 15, 15, 15},
                                             std::vector<double>{0, -15, -15, 0, -15, -15, -15}}) {
        set(turns);
        markCorners(1, end);
        markApexes(1, end);
        EXPECT_EQ(std::count(driveModel.cornerMarks.begin(), driveModel.cornerMarks.end(), 2), 0);
    }
    // An earlier corner keeps its apex.
    set({0, 15, 15, 15, 0, 0, 0, -15, -15});
    markCorners(1, end);
    markApexes(1, end);
    EXPECT_EQ(marks(), (std::vector<int32_t>{0, 1, 1, 2, 1, 1, 1, 1, 1})) << "the gap at 6 is bridged";
}

TEST_F(CornerMarks, LongEndlessCornerIsScannedQuickly) {
    set(std::vector<double>(2000000, 15.0));
    markCorners(1, end);
    markApexes(1, end);  // would take hours if every sample restarted the run
    EXPECT_EQ(std::count(driveModel.cornerMarks.begin(), driveModel.cornerMarks.end(), 2), 0);
}

// Over a repeated fix the heading reaches back one more sample; at a lap's
// start that sample lies in the previous lap, which is centred differently.
TEST(HeadingChange, NeighbourInTheLapBeforeIsTakenInThisLapsFrame) {
    setViewStateDefaults();
    // Straight north at 20 m a second; the previous lap is only a stub far off.
    DriveLogImage image = straightDrive(80, 1000, 72.0, {3, 20, 70});
    for (int i = 0; i < 20; ++i) image.samples[size_t(i)] = sampleAt(-3000.0 + 20.0 * i, -2500.0 - 10.0 * i, 300.0, 1000 * uint32_t(i), i == 3);
    // Lap 1 starts at 20; sample 21 repeats sample 20's fix, so the heading at
    // 21 looks back to 19 (in lap 0).
    image.samples[19] = sampleAt(-20.0 + 400.0, 0.0, 300.0, 19000);  // on the line of lap 1, 20 m behind 20
    for (int i = 20; i < 80; ++i) image.samples[size_t(i)] = sampleAt(400.0 + 20.0 * (i - 20), 0.0, 300.0, 1000 * uint32_t(i), i == 20 || i == 70);
    image.samples[21].latitude = image.samples[20].latitude;
    installDrive(image);
    ASSERT_EQ(analyseDrive(), ANALYSE_OK);
    ASSERT_EQ(driveModel.laps[1].startSample, 20);
    EXPECT_NEAR(driveModel.turnAngles[21], 0.0, 1e-6) << "a straight line has no turn";
    EXPECT_EQ(driveModel.cornerMarks[21], 0);
    EXPECT_EQ(driveModel.cornerMarks[22], 0);
}

}  // namespace
