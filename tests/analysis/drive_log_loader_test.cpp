#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "tests/analysis/drive_log_builder.h"
#include "viewer/analysis/drive_log_loader.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/view_state.h"

namespace {

class DriveLogLoading : public ::testing::Test {
protected:
    void SetUp() override {
        resetDriveModel();
        setViewStateDefaults();
    }
    std::string write(const std::string& name, const std::string& bytes) {
        const std::string path = dir.file(name);
        writeFile(path, bytes);
        return path;
    }
    TempDir dir;
};

std::string withCount(std::string bytes, int32_t count) {
    std::memcpy(bytes.data(), &count, sizeof count);
    return bytes;
}

TEST_F(DriveLogLoading, LoadsWithOrWithoutTrailingZeros) {
    DriveLogImage image = straightDrive(100, 1000, 60.0, {10, 50, 90});
    std::strcpy(image.course.name, "abc");
    for (bool trailing : {true, false}) {
        image.trailingZeros = trailing;
        const std::string bytes = driveLogBytes(image);
        EXPECT_EQ(bytes.size(), trailing ? 780u + 40u * 100 : 776u + 40u * 100);
        ASSERT_EQ(loadDriveLog(write("log.gpd", bytes)), LOAD_OK);
        EXPECT_EQ(driveModel.loaded, 1);
        EXPECT_EQ(driveModel.sampleCount, 100);
        EXPECT_EQ(driveModel.lapCount, 2);
        EXPECT_STREQ(driveModel.course.name, "abc");
        EXPECT_EQ(driveModel.logPath, dir.file("log.gpd"));
    }
}

TEST_F(DriveLogLoading, RefusesDamagedCountsWithoutReadingPastTheEnd) {
    const std::string good = driveLogBytes(straightDrive(20, 1000, 60.0, {2, 10}));
    struct Case {
        const char* what;
        std::string bytes;
        LoadProblem problem;
    } cases[] = {
        {"zero count", withCount(good, 0), LoadProblem::BadSampleCount},
        {"negative count", withCount(good, -5), LoadProblem::BadSampleCount},
        {"count past the end of the file", withCount(good, 20 + 20), LoadProblem::Truncated},
        {"absurd count", withCount(good, 0x7fffffff), LoadProblem::Truncated},
        {"empty file", std::string(), LoadProblem::Truncated},
        {"two bytes", std::string(2, '\x01'), LoadProblem::Truncated},
        {"samples cut short", good.substr(0, 4 + 40 * 19 + 12), LoadProblem::Truncated},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(loadDriveLog(write("bad.gpd", c.bytes)), LOAD_CANNOT_OPEN);
        EXPECT_EQ(lastLoadProblem(), c.problem);
        EXPECT_EQ(driveModel.loaded, 0);
        EXPECT_EQ(driveModel.sampleCount, 0);
        EXPECT_TRUE(driveModel.samples.empty());
    }
}

TEST_F(DriveLogLoading, MissingFileFailsWithStatusOne) {
    EXPECT_EQ(loadDriveLog(dir.file("absent.gpd")), LOAD_CANNOT_OPEN);
    EXPECT_EQ(lastLoadProblem(), LoadProblem::CannotOpen);
}

TEST_F(DriveLogLoading, ReadOnlyFileFailsBecauseItIsOpenedForUpdate) {
    if (geteuid() == 0) GTEST_SKIP() << "root may write a read-only file";
    const std::string path = write("ro.gpd", driveLogBytes(straightDrive(20, 1000, 60.0, {2, 10})));
    chmod(path.c_str(), 0444);
    EXPECT_EQ(loadDriveLog(path), LOAD_CANNOT_OPEN);
}

TEST_F(DriveLogLoading, FewerThanTwoPassesLoadsNoDriveEvenWithMarks) {
    for (int32_t passes : {0, 1}) {
        DriveLogImage image = straightDrive(30, 1000, 60.0, {5, 15, 25});
        image.passLog.passCount = passes;
        EXPECT_EQ(loadDriveLog(write("few.gpd", driveLogBytes(image))), LOAD_TOO_FEW_PASSES);
        EXPECT_EQ(driveModel.loaded, 0);
        EXPECT_FALSE(hasCurrentLap());
    }
}

TEST_F(DriveLogLoading, ShortCourseBlockLeavesMissingBytesZero) {
    DriveLogImage image = straightDrive(30, 1000, 60.0, {5, 15, 25}, COURSE_OPEN);
    std::strcpy(image.course.name, "named");
    image.trailingZeros = false;
    std::string bytes = driveLogBytes(image);
    bytes.resize(bytes.size() - 368 + 100);  // the course block stops before the name
    ASSERT_EQ(loadDriveLog(write("short.gpd", bytes)), LOAD_OK);
    EXPECT_STREQ(driveModel.course.name, "");
    EXPECT_EQ(driveModel.course.courseType, COURSE_LOOP);
    EXPECT_EQ(driveModel.lapCount, 2);
    EXPECT_EQ(driveModel.laps[0].endSample, 14);  // cut as a loop
}

TEST_F(DriveLogLoading, SecondLoadReplacesEverythingAndFailedLoadLeavesNothing) {
    const std::string first = write("a.gpd", driveLogBytes(straightDrive(100, 1000, 60.0, {10, 50, 90})));
    const std::string second = write("b.gpd", driveLogBytes(straightDrive(40, 1000, 60.0, {5, 30})));
    ASSERT_EQ(loadDriveLog(first), LOAD_OK);
    driveModel.currentLap = 1;
    ASSERT_EQ(loadDriveLog(second), LOAD_OK);
    EXPECT_EQ(driveModel.sampleCount, 40);
    EXPECT_EQ(driveModel.lapCount, 1);
    EXPECT_EQ(driveModel.currentLap, 0);
    EXPECT_EQ(driveModel.laps[1].startSample, -1) << "no lap of the first drive survives";
    EXPECT_EQ(driveModel.laps[1].distanceKm, 0.0);

    // Reloading after a weight change, also through the model's own path.
    viewState.vehicleWeightKg = 2700.0;
    ASSERT_EQ(loadDriveLog(driveModel.logPath), LOAD_OK);
    EXPECT_EQ(driveModel.sampleCount, 40);
    EXPECT_NEAR(driveModel.laps[0].maxPower, driveModel.laps[0].maxSpeed, 1e-9);
    ASSERT_EQ(reloadDriveLog(), LOAD_OK);

    EXPECT_EQ(loadDriveLog(dir.file("absent.gpd")), LOAD_CANNOT_OPEN);
    EXPECT_EQ(driveModel.loaded, 0);
    EXPECT_EQ(driveModel.lapCount, 0);
    EXPECT_EQ(reloadDriveLog(), LOAD_CANNOT_OPEN);
    EXPECT_TRUE(driveModel.points.empty());
    EXPECT_FALSE(hasCurrentLap());
}

}  // namespace
