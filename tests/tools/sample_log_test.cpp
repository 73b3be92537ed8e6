// The demo drive log: what sample-log writes must read back in the viewer as
// the laps that were driven, with the course the car drove them on.
#include <gtest/gtest.h>

#include <string>

#include "common/sjis.h"
#include "tests/support/sample_drive.h"
#include "tests/support/temp_dir.h"
#include "viewer/analysis/analysis_state.h"
#include "viewer/analysis/drive_log_loader.h"
#include "viewer/analysis/drive_model.h"

namespace {

class SampleLog : public ::testing::Test {
protected:
    void SetUp() override {
        resetDriveModel();
        resetAnalysisState();
    }
    void TearDown() override { resetDriveModel(); }
    std::string write(const samplelog::BuiltDriveLog& log, const char* name) { return writeSampleLog(dir / name, log); }
    const std::vector<gpssim::TrackSample>& track = tianmaTrack();
    TempDir dir;
};

TEST_F(SampleLog, ReadsBackAsTheLapsDrivenOnItsCourse) {
    samplelog::DriveLogPlan plan;
    plan.laps = 3;
    const samplelog::BuiltDriveLog log = samplelog::buildDriveLog(track, plan);
    ASSERT_TRUE(log.error.empty()) << log.error;
    EXPECT_EQ(log.passLog.passCount, 4);
    int marks = 0;
    for (const LogSample& s : log.samples) marks += s.lapMark;
    EXPECT_EQ(marks, 4);
    EXPECT_EQ(log.samples.front().lapMark, 0);  // the first sample is before the first pass

    ASSERT_EQ(loadDriveLog(write(log, "three.gpd")), LOAD_OK);
    ASSERT_EQ(driveModel.lapCount, 3);
    for (int lap = 0; lap < 3; ++lap) {
        // Samples every 100 ms: a lap measured mark to mark is the driven lap
        // to within one sampling period.
        EXPECT_NEAR(driveModel.laps[lap].lapTimeMs, log.lapMs, plan.periodMs) << "lap " << lap + 1;
    }
    EXPECT_EQ(driveModel.course.courseType, COURSE_LOOP);
    EXPECT_EQ(driveModel.course.pointCount, 1);
    EXPECT_EQ(sjisToUtf8(driveModel.course.name), "天馬サーキット");
    EXPECT_DOUBLE_EQ(driveModel.course.points[0].latitude, track.front().position.latitudeDeg);
}

TEST_F(SampleLog, OneLapHasTwoPassesAndBadPlansAreRefused) {
    samplelog::DriveLogPlan plan;
    plan.laps = 1;
    const samplelog::BuiltDriveLog one = samplelog::buildDriveLog(track, plan);
    ASSERT_TRUE(one.error.empty());
    ASSERT_EQ(loadDriveLog(write(one, "one.gpd")), LOAD_OK);
    EXPECT_EQ(driveModel.lapCount, 1);

    plan.laps = 0;
    EXPECT_FALSE(samplelog::buildDriveLog(track, plan).error.empty());
    plan.laps = PASS_LOG_CAPACITY;  // one pass more than the pass log holds
    EXPECT_FALSE(samplelog::buildDriveLog(track, plan).error.empty());
    plan.laps = 1;
    plan.periodMs = 0;
    EXPECT_FALSE(samplelog::buildDriveLog(track, plan).error.empty());
    plan.periodMs = 100;
    plan.courseNameUtf8 = std::string(300, 'x');
    EXPECT_FALSE(samplelog::buildDriveLog(track, plan).error.empty());
    EXPECT_FALSE(samplelog::buildDriveLog({track.front()}, plan).error.empty());
}

}  // namespace
