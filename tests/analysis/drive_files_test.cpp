// The files the viewer reads and writes: drive logs, lap CSV files and its
// preference files.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <limits>

#include "common/sjis.h"
#include "platform/exe_directory.h"
#include "viewer/analysis/analysis_state.h"
#include "tests/analysis/drive_log_builder.h"
#include "viewer/analysis/drive_log_loader.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/lap_analysis.h"
#include "viewer/analysis/lap_csv.h"
#include "viewer/analysis/preference_files.h"
#include "viewer/analysis/view_state.h"

namespace {

template <typename T>
std::string imageOf(const T& record) {
    return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

class DriveFiles : public ::testing::Test {
protected:
    void SetUp() override {
        resetAnalysisState();
        platform::setExeDirectoryForTests(dir.path());
    }
    void TearDown() override {
        platform::setExeDirectoryForTests("");
        resetAnalysisState();
    }
    std::string put(const std::string& name, const std::string& bytes) {
        writeFile(dir.file(name), bytes);
        return dir.file(name);
    }
    TempDir dir;
};

TEST_F(DriveFiles, DriveLogLoadsWithOrWithoutTheClosingZeroBytes) {
    DriveLogImage image = straightDrive(100, 1000, 60.0, {10, 50, 90}, COURSE_OPEN);
    std::strcpy(image.course.name, "abc");
    for (bool trailing : {true, false}) {
        image.trailingZeros = trailing;
        ASSERT_EQ(loadDriveLog(put("log.gpd", driveLogBytes(image))), LOAD_OK);
        EXPECT_STREQ(driveModel.course.name, "abc");
        EXPECT_EQ(driveModel.laps[0].endSample, 50) << "cut as an open course";
    }
}

TEST_F(DriveFiles, DriveLogWithDamagedCountOrTooFewPassesIsRefusedWithoutReadingPastTheEnd) {
    const std::string good = driveLogBytes(straightDrive(20, 1000, 60.0, {2, 10}));
    const auto withCount = [&good](int32_t count) { return imageOf(count) + good.substr(4); };
    DriveLogImage onePass = straightDrive(20, 1000, 60.0, {2, 10, 15});
    onePass.passLog.passCount = 1;
    struct Case { const char* what; std::string bytes; int status; LoadProblem problem; } cases[] = {
        {"zero count", withCount(0), LOAD_CANNOT_OPEN, LoadProblem::BadSampleCount},
        {"negative count", withCount(-5), LOAD_CANNOT_OPEN, LoadProblem::BadSampleCount},
        {"count past the end of the file", withCount(40), LOAD_CANNOT_OPEN, LoadProblem::Truncated},
        {"absurd count", withCount(0x7fffffff), LOAD_CANNOT_OPEN, LoadProblem::Truncated},
        {"two bytes", "\x01\x01", LOAD_CANNOT_OPEN, LoadProblem::Truncated},
        {"samples cut short", good.substr(0, 4 + 40 * 19 + 12), LOAD_CANNOT_OPEN, LoadProblem::Truncated},
        {"one pass, though marked", driveLogBytes(onePass), LOAD_TOO_FEW_PASSES, LoadProblem::TooFewPasses},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(loadDriveLog(put("bad.gpd", c.bytes)), c.status);
        EXPECT_EQ(lastLoadProblem(), c.problem);
        EXPECT_EQ(driveModel.loaded, 0);
        EXPECT_TRUE(driveModel.samples.empty());
    }
    EXPECT_EQ(loadDriveLog(dir.file("absent.gpd")), LOAD_CANNOT_OPEN);
    EXPECT_EQ(lastLoadProblem(), LoadProblem::CannotOpen);
}

TEST_F(DriveFiles, EachLoadReplacesTheWholeDriveAndAFailedOneLeavesNone) {
    ASSERT_EQ(loadDriveLog(put("a.gpd", driveLogBytes(straightDrive(100, 1000, 60.0, {10, 50, 90})))), LOAD_OK);
    driveModel.currentLap = 1;
    ASSERT_EQ(loadDriveLog(put("b.gpd", driveLogBytes(straightDrive(40, 1000, 60.0, {5, 30})))), LOAD_OK);
    EXPECT_EQ(driveModel.currentLap, 0);
    EXPECT_EQ(driveModel.laps[1].distanceKm, 0.0) << "no lap of the first drive survives";
    viewState.vehicleWeightKg = 2700.0;  // power in PS equals speed in km/h
    ASSERT_EQ(reloadDriveLog(), LOAD_OK);
    EXPECT_NEAR(driveModel.laps[0].maxPower, driveModel.laps[0].maxSpeed, 1e-9);
    EXPECT_EQ(loadDriveLog(dir.file("absent.gpd")), LOAD_CANNOT_OPEN);
    EXPECT_EQ(driveModel.loaded + driveModel.lapCount, 0);
    EXPECT_EQ(reloadDriveLog(), LOAD_CANNOT_OPEN);
    EXPECT_FALSE(hasCurrentLap());
}

TEST_F(DriveFiles, LapCsvIsWrittenWholeWithTheShiftJisHeaderAndOneRowPerSampleNumberingApexes) {
    const std::string path = put("lap.csv", "old");
    EXPECT_EQ(writeLapCsv(path), CSV_NO_LAP) << "no drive";
    installDrive(stadiumDrive(2, 1000, 72.0, 500.0, 60.0));
    ASSERT_EQ(analyseDrive(), ANALYSE_OK);
    driveModel.currentLap = 2;
    EXPECT_EQ(writeLapCsv(path), CSV_NO_LAP) << "no such lap";
    EXPECT_EQ(readFile(path), "old");
    driveModel.currentLap = 1;
    const WriteOutcome failed = writeLapCsv(dir.file("missing-folder/lap.csv"));
    EXPECT_EQ(failed, CSV_WRITE_FAILED);
    EXPECT_NE(failed.error.find("missing-folder/lap.csv: No such file or directory"), std::string::npos)
        << failed.error;
    // Without CP932 the Shift-JIS header cannot be made: refused, not written as UTF-8.
    setSjisCodePageForTests("NO-SUCH-CODE-PAGE");
    const WriteOutcome noSjis = writeLapCsv(path);
    setSjisCodePageForTests("");
    EXPECT_EQ(noSjis, CSV_WRITE_FAILED);
    EXPECT_NE(noSjis.error.find("CP932"), std::string::npos) << noSjis.error;
    EXPECT_EQ(readFile(path), "old");
    ASSERT_EQ(writeLapCsv(path), CSV_WRITTEN);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary file left";
    const std::string text = readFile(path);
    // "時間,座標(X:km),座標(Y:km),高度(m),速度(Km/h),コーナーカウント", as Japanese spreadsheets read it.
    const std::string header =
        "\x8E\x9E\x8A\xD4,\x8D\xC0\x95W(X:km),\x8D\xC0\x95W(Y:km),\x8D\x82\x93x(m),\x91\xAC\x93x(Km/h),"
        "\x83R\x81[\x83i\x81[\x83J\x83" "E\x83\x93\x83g\r\n";
    ASSERT_EQ(text.substr(0, header.size()), header);
    ASSERT_EQ(text.substr(text.size() - 2), "\r\n");
    const std::vector<std::string> lines = split(text, "\r\n");
    const LapRecord& lap = driveModel.laps[1];
    ASSERT_EQ(lines.size(), size_t(lap.endSample - lap.startSample + 2));
    EXPECT_EQ(split(lines[1], ",")[4], "0.00") << "the first row has no speed";
    EXPECT_NEAR(std::stod(split(lines[2], ",")[4]), 72.0, 0.05);
    int apexes = 0;
    for (size_t row = 1; row < lines.size(); ++row) {
        if (driveModel.cornerMarks[size_t(lap.startSample) + row - 1] != CORNER_APEX) continue;
        EXPECT_EQ(split(lines[row], ",").at(5), "C=" + std::to_string(++apexes));
    }
    EXPECT_EQ(apexes, 2);
}

TEST_F(DriveFiles, LapCsvRowsGiveThirtiethsCentredKilometresAndMetresAboveTheLowestPoint) {
    // North 20 m and 1 m up a sample from 100 m; sample 5 comes 1 234 567 ms
    // after the lap start: 20 min 34 s and 567 ms = 17 thirtieths.
    DriveLogImage image;
    for (int i = 0; i < 12; ++i) {
        const uint32_t tickMs = i < 5 ? 1000 * uint32_t(i) : 1000 + 1234567 + 1000 * uint32_t(i - 5);
        image.samples.push_back(sampleAt(20.0 * i, 0.0, 100.0 + i, tickMs, i == 1 || i == 11));
    }
    installDrive(image);
    analyseDrive();
    const std::vector<std::string> lines = split(lapCsvText(0), "\r\n");
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(split(lines[1], ",")[1], "-0.09") << "90 m south of the box centre";
    EXPECT_EQ(split(lines[1], ",")[3], "0.00");
    EXPECT_EQ(split(lines[5], ",")[0], "00:20:34:17");
    EXPECT_EQ(split(lines[10], ",")[3], "9.00");
}

TEST_F(DriveFiles, LapCsvNeverPrintsMinusZero) {
    // Weaving 2 m either side of the line: the centred east coordinate is
    // -0.001 km on every other sample, which rounds to zero.
    DriveLogImage image;
    for (int i = 0; i < 12; ++i) image.samples.push_back(sampleAt(20.0 * i, i % 2 ? 1.0 : -1.0, 100.0, 1000 * uint32_t(i), i == 1 || i == 11));
    installDrive(image);
    analyseDrive();
    const std::vector<std::string> lines = split(lapCsvText(0), "\r\n");
    ASSERT_EQ(lines.size(), 11u);
    for (size_t row = 1; row < lines.size(); ++row) {
        for (const std::string& field : split(lines[row], ",")) EXPECT_NE(field, "-0.00") << lines[row];
        EXPECT_EQ(split(lines[row], ",")[2], "0.00") << lines[row];
    }
}

TEST(LapCsvName, IsTheCourseNameInUtf8WithoutPathSeparatorsAndTheLapFromOne) {
    Course course;
    std::strcpy(course.name, "\x83\x8B\x81\x5B\x83\x76/x");  // "ループ/x"
    EXPECT_EQ(proposedCsvName(course, 4), "ループ_x-5.csv");
}

TEST_F(DriveFiles, ViewPreferencesRoundTripShortFilesChangeOnlyLeadingFieldsAndDamagedValuesFallBack) {
    ViewState read;
    EXPECT_EQ(readViewPrefs(read), 1);
    EXPECT_EQ(imageOf(read), imageOf(ViewState{})) << "a missing file keeps the defaults";
    ViewState stored;
    stored.displayMode = 4;
    stored.vehicleWeightKg = 1234.5;
    stored.showOrigin = 1;
    ASSERT_EQ(writeViewPrefs(stored), 0);
    ASSERT_EQ(readFile(viewPrefsPath()), imageOf(stored));
    ASSERT_EQ(readViewPrefs(read), 0);
    EXPECT_EQ(imageOf(read), imageOf(stored));
    for (size_t bytes : {32u, 40u}) {  // the weight lies at offsets 32..39, the origin flag after it
        put(VIEW_PREFS_FILE, imageOf(stored).substr(0, bytes));
        read = ViewState{};
        ASSERT_EQ(readViewPrefs(read), 0);
        EXPECT_EQ(read.displayMode, 4);
        EXPECT_EQ(read.vehicleWeightKg, bytes == 40 ? 1234.5 : 1567.0);
        EXPECT_EQ(read.showOrigin, 0);
    }
    // Values that would give NaN fall back to the defaults; the rest is used
    // as read (the views take an unknown mode, scale or speed safely).
    for (double weightKg : {std::numeric_limits<double>::quiet_NaN(), -3.0, 0.0}) {
        stored = ViewState{};
        stored.vehicleWeightKg = weightKg;
        stored.roadColour = {std::numeric_limits<float>::infinity(), 0.0f, 0.0f};
        stored.accelColour.g = std::numeric_limits<float>::quiet_NaN();
        put(VIEW_PREFS_FILE, imageOf(stored));
        ASSERT_EQ(readViewPrefs(read), 0);
        EXPECT_EQ(imageOf(read), imageOf(ViewState{})) << weightKg;
    }
    stored = ViewState{};
    stored.displayMode = 9;
    stored.animationSpeed = -1;
    stored.altitudeScale = 7;
    stored.showGrid = 5;
    stored.gpsPointColour = {1.5f, -0.25f, 0.5f};
    put(VIEW_PREFS_FILE, imageOf(stored));
    ASSERT_EQ(readViewPrefs(read), 0);
    EXPECT_EQ(imageOf(read), imageOf(stored)) << "values that harm nothing stay as read";
}

TEST_F(DriveFiles, PreferenceWritesReportFailureAndAWindowFileShorterThan16BytesIsIgnored) {
    const WindowRect rect{-1920, 40, 800, 600}, before{5, 6, 7, 8};
    ASSERT_EQ(writeWindowRect(rect), 0);
    WindowRect read;
    ASSERT_EQ(readWindowRect(read), 0);
    EXPECT_EQ(imageOf(read), imageOf(rect));
    put(WINDOW_PREFS_FILE, imageOf(rect).substr(0, 15));
    read = before;
    EXPECT_EQ(readWindowRect(read), 1);
    EXPECT_EQ(imageOf(read), imageOf(before));
    platform::setExeDirectoryForTests(dir.file("no-such-folder"));
    EXPECT_EQ(writeWindowRect(rect), 1) << "a failed write is reported";
    const WriteOutcome failed = writeViewPrefs(viewState);
    EXPECT_EQ(failed, 1);
    EXPECT_NE(failed.error.find(viewPrefsPath()), std::string::npos) << "with the file and the reason";
}

TEST(WeightText, OnlyPositiveNumbersAreStored) {
    double weight = 1567.0;
    for (const char* rejected : {"0", "-5", "abc", "", "  ", "12kg", "nan", "inf", "1e999"}) {
        EXPECT_FALSE(applyWeightText(rejected, weight)) << rejected;
    }
    EXPECT_EQ(weight, 1567.0);
    EXPECT_TRUE(applyWeightText(" 980.5 ", weight));
    EXPECT_EQ(weight, 980.5);
    EXPECT_TRUE(applyWeightText("1e300", weight));
    EXPECT_EQ(weightText(weight).size(), 303u) << "an accepted weight is preset in full, every digit and .0";
}

}  // namespace
