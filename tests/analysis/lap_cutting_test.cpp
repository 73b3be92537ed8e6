#include <gtest/gtest.h>

#include "tests/analysis/drive_log_builder.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/lap_analysis.h"
#include "viewer/analysis/lap_csv.h"
#include "viewer/analysis/view_state.h"

namespace {

struct Span {
    int start;
    int end;
    bool operator==(const Span&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Span& s) { return out << "[" << s.start << ", " << s.end << "]"; }

Span lapSpan(int lap) { return {driveModel.laps[size_t(lap)].startSample, driveModel.laps[size_t(lap)].endSample}; }

class LapCutting : public ::testing::Test {
protected:
    void SetUp() override { setViewStateDefaults(); }
    int analyse(int n, const std::vector<int>& marks, int32_t type) {
        installDrive(straightDrive(n, 1000, 60.0, marks, type));
        return analyseDrive();
    }
};

TEST_F(LapCutting, LoopLapsTouchAndSamplesAfterTheLastMarkBelongToNoLap) {
    EXPECT_EQ(analyse(100, {10, 50, 90}, COURSE_LOOP), ANALYSE_OK);
    EXPECT_EQ(driveModel.lapCount, 2);
    EXPECT_EQ(lapSpan(0), (Span{10, 49}));
    EXPECT_EQ(lapSpan(1), (Span{50, 89}));
    EXPECT_EQ(driveModel.laps[0].lapTimeMs, 39000);
}

TEST_F(LapCutting, OpenCoursesPairMarksAndLeaveAnUnpairedStartUncut) {
    for (int32_t type : {COURSE_OPEN, COURSE_OPEN_RETURN}) {
        SCOPED_TRACE(type);
        EXPECT_EQ(analyse(100, {10, 50, 90}, type), ANALYSE_OK);
        EXPECT_EQ(driveModel.lapCount, 2);
        EXPECT_EQ(lapSpan(0), (Span{10, 50}));
        EXPECT_EQ(lapSpan(1), (Span{90, -1}));
        EXPECT_TRUE(isLapCut(0));
        EXPECT_FALSE(isLapCut(1));
        EXPECT_EQ(driveModel.laps[1].distanceKm, 0.0) << "an uncut lap holds no figures";
    }
}

TEST_F(LapCutting, ConsecutiveMarkedSamplesCountAsOneMark) {
    EXPECT_EQ(analyse(100, {10, 11, 12, 50, 51, 90}, COURSE_LOOP), ANALYSE_OK);
    EXPECT_EQ(driveModel.lapCount, 2);
    EXPECT_EQ(lapSpan(0), (Span{10, 49}));
    EXPECT_EQ(lapSpan(1), (Span{50, 89}));
}

TEST_F(LapCutting, AMarkOnSampleOneCountsAndSampleZeroNever) {
    EXPECT_EQ(analyse(60, {0, 1, 30}, COURSE_LOOP), ANALYSE_OK);
    EXPECT_EQ(driveModel.lapCount, 1);
    EXPECT_EQ(lapSpan(0), (Span{1, 29}));

    // Sample 0 moved far away changes no lap figure.
    installDrive(straightDrive(60, 1000, 60.0, {5, 30}));
    analyseDrive();
    const double distance = driveModel.laps[0].distanceKm;
    DriveLogImage moved = straightDrive(60, 1000, 60.0, {5, 30});
    moved.samples[0] = sampleAt(-50000.0, 0.0, 300.0, 0);
    installDrive(moved);
    analyseDrive();
    EXPECT_NEAR(driveModel.laps[0].distanceKm, distance, 1e-9);
}

TEST_F(LapCutting, FewerThanTwoMarksLeaveALoadedDriveWithoutLaps) {
    for (const std::vector<int>& marks : {std::vector<int>{}, std::vector<int>{10}}) {
        EXPECT_EQ(analyse(50, marks, COURSE_LOOP), ANALYSE_NO_LAPS);
        EXPECT_EQ(driveModel.loaded, 1);
        EXPECT_EQ(driveModel.lapCount, 0);
        EXPECT_FALSE(hasCurrentLap());
        EXPECT_EQ(writeLapCsv("/nonexistent-dir/never.csv"), CSV_NO_LAP);
    }
    installDrive(straightDrive(1, 1000, 60.0, {}));
    driveModel.passLog.passCount = 2;
    EXPECT_EQ(analyseDrive(), ANALYSE_NO_LAPS);
    EXPECT_FALSE(hasCurrentLap());
}

TEST_F(LapCutting, UnknownCourseTypeCutsNothing) {
    EXPECT_EQ(analyse(100, {10, 50, 90}, 7), ANALYSE_OK);
    EXPECT_EQ(driveModel.lapCount, 2);
    EXPECT_FALSE(isLapCut(0));
    EXPECT_FALSE(isLapCut(1));
    EXPECT_FALSE(hasCurrentLap());
}

TEST_F(LapCutting, MoreMarksThanTheTableHoldsKeepsTheFirstHundredLaps) {
    std::vector<int> marks;
    for (int m = 0; m < 130; ++m) marks.push_back(2 + 3 * m);  // every third sample
    EXPECT_EQ(analyse(400, marks, COURSE_LOOP), ANALYSE_OK);
    EXPECT_EQ(driveModel.lapCount, MAX_LAPS);
    EXPECT_EQ(lapSpan(0), (Span{2, 4}));
    EXPECT_EQ(lapSpan(99), (Span{2 + 3 * 99, 4 + 3 * 99}));

    EXPECT_EQ(analyse(400, marks, COURSE_OPEN), ANALYSE_OK);
    EXPECT_EQ(driveModel.lapCount, MAX_LAPS);
    EXPECT_EQ(lapSpan(64), (Span{2 + 3 * 128, 2 + 3 * 129}));  // the last complete pair
    EXPECT_FALSE(isLapCut(65));
}

}  // namespace
