#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/exe_directory.h"
#include "tests/analysis/drive_log_builder.h"
#include "viewer/analysis/preference_files.h"
#include "viewer/analysis/view_state.h"

namespace {

class PreferenceFiles : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setExeDirectoryForTests(dir.path());
        setViewStateDefaults();
    }
    void TearDown() override { platform::setExeDirectoryForTests(""); }
    TempDir dir;
};

template <typename T>
std::string imageOf(const T& record) {
    return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

TEST(ViewStateDefaults, ResettingColoursLeavesFlagsAndWeight) {
    setViewStateDefaults();
    viewState.showGrid = 0;
    viewState.vehicleWeightKg = 900.0;
    viewState.roadColour = {0.1f, 0.2f, 0.3f};
    resetColours();
    EXPECT_EQ(imageOf(viewState.roadColour), imageOf(ViewState{}.roadColour));
    EXPECT_EQ(viewState.showGrid, 0);
    EXPECT_EQ(viewState.vehicleWeightKg, 900.0);
}

TEST_F(PreferenceFiles, ViewStateRoundTripsAsTheRawImage) {
    EXPECT_EQ(viewPrefsPath(), dir.file("quindle.pref"));
    viewState.displayMode = 4;
    viewState.vehicleWeightKg = 1234.5;
    viewState.uphillColour = {0.25f, 0.5f, 0.75f};
    viewState.animationSpeed = 3;
    ASSERT_EQ(writeViewPrefs(viewState), 0);
    const std::string bytes = readFile(viewPrefsPath());
    ASSERT_EQ(bytes, imageOf(viewState));
    double weight = 0.0;
    std::memcpy(&weight, bytes.data() + 32, sizeof weight);
    EXPECT_EQ(weight, 1234.5);

    ViewState read;
    ASSERT_EQ(readViewPrefs(read), 0);
    EXPECT_EQ(imageOf(read), imageOf(viewState));
}

TEST_F(PreferenceFiles, ShortViewFileChangesOnlyItsLeadingFields) {
    ViewState stored;
    stored.displayMode = 2;
    stored.showCornerSpeed = 1;
    stored.vehicleWeightKg = 800.0;
    stored.showOrigin = 1;
    writeFile(viewPrefsPath(), imageOf(stored).substr(0, 32));
    ViewState read;
    ASSERT_EQ(readViewPrefs(read), 0);
    EXPECT_EQ(read.displayMode, 2);
    EXPECT_EQ(read.showCornerSpeed, 1);
    EXPECT_EQ(read.vehicleWeightKg, 1567.0);

    // 40 bytes reach the end of the weight (offsets 32..39), not the flag after it.
    writeFile(viewPrefsPath(), imageOf(stored).substr(0, 40));
    read = ViewState{};
    ASSERT_EQ(readViewPrefs(read), 0);
    EXPECT_EQ(read.vehicleWeightKg, 800.0);
    EXPECT_EQ(read.showOrigin, 0);
}

TEST_F(PreferenceFiles, MissingFilesKeepDefaults) {
    ViewState read;
    EXPECT_EQ(readViewPrefs(read), 1);
    EXPECT_EQ(imageOf(read), imageOf(ViewState{}));
}

TEST_F(PreferenceFiles, DamagedValuesFallBackToDefaults) {
    ViewState stored;
    stored.displayMode = 9;
    stored.animationSpeed = -1;  // indexes the replay timer table
    stored.vehicleWeightKg = std::numeric_limits<double>::quiet_NaN();
    stored.roadColour = {std::numeric_limits<float>::infinity(), 0.0f, 0.0f};
    writeFile(viewPrefsPath(), imageOf(stored));
    ViewState read;
    ASSERT_EQ(readViewPrefs(read), 0);
    EXPECT_EQ(imageOf(read), imageOf(ViewState{}));
    stored = ViewState{};
    stored.vehicleWeightKg = -3.0;
    writeFile(viewPrefsPath(), imageOf(stored));
    ASSERT_EQ(readViewPrefs(read), 0);
    EXPECT_EQ(read.vehicleWeightKg, 1567.0);
}

TEST_F(PreferenceFiles, WindowRectangleRoundTripsAndShortFilesAreIgnored) {
    const WindowRect rect{-1920, 40, 800, 600};
    ASSERT_EQ(writeWindowRect(rect), 0);
    EXPECT_EQ(readFile(windowPrefsPath()).size(), 16u);
    WindowRect read;
    ASSERT_EQ(readWindowRect(read), 0);
    EXPECT_EQ(imageOf(read), imageOf(rect));

    writeFile(windowPrefsPath(), readFile(windowPrefsPath()).substr(0, 12));
    const WindowRect before{5, 6, 7, 8};
    read = before;
    EXPECT_EQ(readWindowRect(read), 1);
    EXPECT_EQ(imageOf(read), imageOf(before));
    std::remove(windowPrefsPath().c_str());
    EXPECT_EQ(readWindowRect(read), 1);
}

TEST_F(PreferenceFiles, WriteFailureIsReportedAndLeavesTheOldFile) {
    writeFile(viewPrefsPath(), "keep");
    platform::setExeDirectoryForTests(dir.file("no-such-folder"));
    EXPECT_EQ(writeViewPrefs(viewState), 1);
    EXPECT_EQ(writeWindowRect(WindowRect{}), 1);
    platform::setExeDirectoryForTests(dir.path());
    EXPECT_EQ(readFile(viewPrefsPath()), "keep");
}

TEST(WeightText, OnlyPositiveNumbersAreStored) {
    double weight = 1567.0;
    for (const char* rejected : {"0", "-5", "abc", "", "  ", "12kg", "nan", "inf", "1e999"}) {
        EXPECT_FALSE(applyWeightText(rejected, weight)) << rejected;
        EXPECT_EQ(weight, 1567.0);
    }
    EXPECT_TRUE(applyWeightText("1234.5", weight));
    EXPECT_EQ(weight, 1234.5);
    EXPECT_TRUE(applyWeightText(" 980 ", weight));
    EXPECT_EQ(weight, 980.0);
    EXPECT_EQ(weightText(1567.0), "1567.0");
    EXPECT_EQ(weightText(1234.56), "1234.6");
}

}  // namespace
