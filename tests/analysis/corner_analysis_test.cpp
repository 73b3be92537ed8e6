#include <gtest/gtest.h>

#include <cmath>

#include "tests/analysis/drive_log_builder.h"
#include "viewer/analysis/corner_analysis.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/lap_analysis.h"

namespace {

TEST(TurnAngle, SignedChangeWrapsAcrossNorth) {
    const auto turn = [](double fromDeg, double toDeg) {
        return turnAngleDeg(std::cos(fromDeg * DEGREES_TO_RADIANS), std::sin(fromDeg * DEGREES_TO_RADIANS),
                            std::cos(toDeg * DEGREES_TO_RADIANS), std::sin(toDeg * DEGREES_TO_RADIANS));
    };
    EXPECT_NEAR(turn(350, 10), 20.0, 1e-9);
    EXPECT_NEAR(turn(10, 350), -20.0, 1e-9);
    EXPECT_NEAR(turn(0, 90), 90.0, 1e-9) << "north to east is a right turn";
    EXPECT_NEAR(turn(200, 170), -30.0, 1e-9);
}

// Hand-made turn angles for samples 1..n of an (n + 1)-sample drive; returns n.
int setTurns(const std::vector<double>& turns) {
    resetDriveModel();
    driveModel.sampleCount = int(turns.size()) + 1;
    driveModel.turnAngles = turns;
    driveModel.turnAngles.insert(driveModel.turnAngles.begin(), 0.0);
    driveModel.cornerMarks.assign(turns.size() + 1, CORNER_NONE);
    return int(turns.size());
}

TEST(CornerMarks, SpikesAgainstTheTrendAreRemovedUpToTheSecondToLastSample) {
    removeTurnSpikes(1, setTurns({0, -3, -3, 4, -3, -3, 5, 5, 0}));
    EXPECT_EQ(driveModel.turnAngles, (std::vector<double>{0, 0, -3, -3, 0, -3, -3, 5, 5, 0}));
    removeTurnSpikes(1, setTurns({0, 0, 0, -3, 4, 0}));
    EXPECT_EQ(driveModel.turnAngles, (std::vector<double>{0, 0, 0, 0, 0, 4, 0}));
}

TEST(CornerMarks, ApexIsTheMiddleOfEachOneSidedRunThatEndsInTheLap) {
    struct Case { const char* what; std::vector<double> turns; std::vector<int32_t> marks; } cases[] = {
        {"gentle bend, gaps bridged", {0, 0, 4, 4, 4, 0, 12, 0, 12, 0, 0}, {0, 0, 0, 1, 1, 1, 2, 1, 1, 1, 0}},
        {"right then left", {0, 15, 15, 15, 15, 0, -15, -15, -15, 0, 0}, {0, 1, 1, 2, 1, 1, 1, 1, 2, 1, 0}},
        {"right-hand corner", {0, 0, 0, 15, 15, 15, 0, 0, 0}, {0, 0, 1, 1, 2, 1, 1, 0, 0}},
        {"its mirror image", {0, 0, 0, -15, -15, -15, 0, 0, 0}, {0, 0, 1, 1, 2, 1, 1, 0, 0}},
        {"run reaching the lap end", {0, 0, 0, 15, 15, 15}, {0, 0, 1, 1, 1, 1}},
        {"bridged into a run to the end", {0, 15, 15, 0, 15, 15, 15}, {0, 1, 1, 1, 1, 1, 1}},
        {"earlier corner keeps its apex", {0, 15, 15, 15, 0, 0, 0, -15, -15}, {0, 1, 1, 2, 1, 1, 1, 1, 1}},
        // Would take hours if every sample restarted the scan of the run.
        {"endless corner", std::vector<double>(2000000, 15.0), std::vector<int32_t>(2000000, CORNER_TURNING)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int end = setTurns(c.turns);
        markCorners(1, end);
        markApexes(1, end);
        EXPECT_EQ(std::vector<int32_t>(driveModel.cornerMarks.begin() + 1, driveModel.cornerMarks.end()), c.marks);
    }
}

// Over a repeated fix the heading reaches back one more sample; at a lap's
// start that sample lies in the previous lap, which is centred differently.
TEST(HeadingChange, NeighbourInTheLapBeforeIsTakenInThisLapsFrame) {
    // Lap 1 runs straight north from sample 20, 20 m a second, and sample 19
    // lies on its line; lap 0 (samples 3..19) is otherwise a stub far off.
    DriveLogImage image = straightDrive(80, 1000, 72.0, {3, 20, 70});
    for (int i = 0; i < 19; ++i) {
        image.samples[size_t(i)] = sampleAt(-3000.0 + 20.0 * i, -2500.0 - 10.0 * i, 300.0, 1000 * uint32_t(i), i == 3);
    }
    image.samples[21].latitude = image.samples[20].latitude;  // the heading at 21 looks back to 19
    installDrive(image);
    ASSERT_EQ(analyseDrive(), ANALYSE_OK);
    ASSERT_EQ(driveModel.laps[1].startSample, 20);
    headingChange(21, driveModel.laps[1]);  // as computed, before spike removal could hide it
    EXPECT_NEAR(driveModel.turnAngles[21], 0.0, 1e-6) << "a straight line has no turn";
}

}  // namespace
