// What the viewer's dialogs show and what their answers do, without a window:
// the lap list rows, the colour dialog's bytes, the file dialogs' texts, the
// weight dialog's reanalysis and a drive that has no lap to show.
#include <gtest/gtest.h>

#include <string>

#include "common/sjis.h"
#include "tests/support/sample_drive.h"
#include "tests/support/temp_dir.h"
#include "viewer/analysis/analysis_state.h"
#include "viewer/analysis/drive_log_loader.h"
#include "viewer/analysis/lap_analysis.h"
#include "viewer/analysis/lap_csv.h"
#include "viewer/analysis/preference_files.h"
#include "viewer/display/commands.h"
#include "viewer/display/dialog_rules.h"
#include "viewer/display/drive_extent.h"
#include "viewer/display/menu_table.h"
#include "viewer/display/replay.h"

namespace {

TEST(LapListRows, TimesInThirtiethsUncutSlotsAsDashesAndTheCourseInTheCaption) {
    resetDriveModel();
    EXPECT_TRUE(lapListRows(driveModel).empty()) << "no drive, no rows";
    driveModel.loaded = 1;
    driveModel.lapCount = 3;
    const std::string name = utf8ToSjis("鈴鹿サーキット");
    std::snprintf(driveModel.course.name, sizeof driveModel.course.name, "%s", name.c_str());
    driveModel.laps[0].startSample = 0, driveModel.laps[0].endSample = 10;
    driveModel.laps[0].lapTimeMs = 62500;
    driveModel.laps[0].distanceKm = 2.0;
    // Slot 1 was never cut (an open course's return stretch).
    driveModel.laps[2].startSample = 20, driveModel.laps[2].endSample = 30;
    driveModel.laps[2].lapTimeMs = 59999;
    const auto rows = lapListRows(driveModel);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][1], "00:01:02:15");  // 500 ms is 15 thirtieths
    EXPECT_EQ(rows[2][1], "00:00:59:29");  // truncated, never rounded up to the next second
    EXPECT_EQ(rows[1][0], "  2");  // the lap number keeps its place
    for (size_t column = 1; column < LAP_LIST_COLUMNS; ++column) EXPECT_EQ(rows[1][column], "-") << column;
    EXPECT_EQ(lapListCaption(driveModel), "ラップリスト：鈴鹿サーキット");
    EXPECT_EQ(lapListColumnWidths().size(), lapListTitles().size());
    resetDriveModel();
}

TEST(ColourDialog, EveryByteComesBackAsItWasChosenAndStrayValuesAreClamped) {
    // Opening the dialog on a colour it returned, and pressing OK, must not
    // change the colour: no drift of one step per visit.
    for (int byte = 0; byte <= 255; ++byte) {
        const auto b = static_cast<uint8_t>(byte);
        const ColourBytes back = colourToBytes(bytesToColour({b, b, b}));
        ASSERT_EQ(back.r, b) << byte;
    }
    const ColourBytes stray = colourToBytes({1.2f, -0.3f, std::numeric_limits<float>::quiet_NaN()});
    EXPECT_EQ(stray.r, 255);
    EXPECT_EQ(stray.g, 0);
    EXPECT_EQ(stray.b, 0);
    EXPECT_EQ(colourToBytes({0.4f, 0.4f, 0.4f}).r, 102);  // the default background
    EXPECT_STREQ(colourCommandOf(CMD_COLOUR_DOWNHILL).title, "カラーマップ・下り区間の色設定");
    EXPECT_EQ(colourCommandOf(CMD_COLOUR_ROAD).field, &ViewState::roadColour);
    EXPECT_EQ(colourCommandOf(CMD_NEXT_LAP).field, nullptr);
}

TEST(FileDialogs, OpenTakesOnlyExistingLogsAndSaveProposesTheCourseAndLap) {
    Course course;
    const std::string name = utf8ToSjis("天馬");
    std::snprintf(course.name, sizeof course.name, "%s", name.c_str());
    const FileDialogTexts open = fileDialogTexts(true, course, 0);
    EXPECT_EQ(open.title, "GPDファイルを開く");
    EXPECT_EQ(open.filter, "Velmora Logfile (*.gpd)");
    EXPECT_TRUE(open.mustExist);
    EXPECT_TRUE(open.proposedName.empty());
    const FileDialogTexts save = fileDialogTexts(false, course, 1);
    EXPECT_EQ(save.title, "表示ラップのCSVファイル保存");
    EXPECT_TRUE(save.confirmOverwrite);
    EXPECT_EQ(save.defaultSuffix, "csv");
    EXPECT_EQ(save.proposedName, proposedCsvName(course, 1));
    EXPECT_NE(save.proposedName.find(".csv"), std::string::npos);
}

class DriveOnScreen : public ::testing::Test {
protected:
    void SetUp() override {
        resetDriveModel();
        resetAnalysisState();
        viewState = ViewState{};
    }
    void TearDown() override { resetDriveModel(); }
    std::string write(const samplelog::BuiltDriveLog& log, const char* name) { return writeSampleLog(dir / name, log); }
    TempDir dir;
};

TEST_F(DriveOnScreen, ANewWeightReanalysesTheDriveInMemoryAndKeepsTheLap) {
    const std::string path = write(tianmaLog(3), "three.gpd");
    std::string message;
    ASSERT_EQ(openDriveLog(path, message), LOAD_OK) << message;
    driveModel.currentLap = 2;
    const double powerBefore = driveModel.laps[2].avgPower;
    ASSERT_GT(powerBefore, 0.0);
    // The file has gone since it was opened: the weight still applies.
    std::filesystem::remove(path);
    const double before = viewState.vehicleWeightKg;
    ASSERT_TRUE(applyWeightText("2000", viewState.vehicleWeightKg));
    EXPECT_EQ(reanalyseDrive(), ANALYSE_OK);
    EXPECT_EQ(driveModel.currentLap, 2);
    EXPECT_NEAR(driveModel.laps[2].avgPower, powerBefore * 2000.0 / before, powerBefore * 1e-6);
    // A running replay goes on from the displayed lap's first sample.
    toggleAnimation();
    ASSERT_TRUE(animation.animating);
    for (int i = 0; i < 7; ++i) onAnimationTick();
    EXPECT_EQ(reanalyseDrive(), ANALYSE_OK);
    EXPECT_TRUE(animation.animating);
    EXPECT_EQ(animation.animationFrame, 0);
    EXPECT_EQ(animation.animationFrameCount, driveModel.laps[2].endSample - driveModel.laps[2].startSample + 1);
    stopAnimation();
    // Refused texts leave the weight alone.
    for (const char* bad : {"0", "-5", "abc", ""}) EXPECT_FALSE(applyWeightText(bad, viewState.vehicleWeightKg)) << bad;
    EXPECT_DOUBLE_EQ(viewState.vehicleWeightKg, 2000.0);
}

TEST_F(DriveOnScreen, ADriveWithoutALapOpensAndShowsItsWholeTrack) {
    samplelog::BuiltDriveLog log = tianmaLog(1);
    // Two passes were counted, but only one sample carries a mark: no lap pairs up.
    bool first = true;
    for (LogSample& s : log.samples) {
        if (s.lapMark != 0 && !first) s.lapMark = 0;
        if (s.lapMark != 0) first = false;
    }
    std::string message;
    ASSERT_EQ(openDriveLog(write(log, "nolap.gpd"), message), LOAD_OK) << message;
    EXPECT_EQ(driveModel.loaded, 1);
    EXPECT_EQ(driveModel.lapCount, 0);
    EXPECT_EQ(firstCutLap(driveModel), 0);
    EXPECT_FALSE(applyStateCommand(CMD_NEXT_LAP) && driveModel.currentLap != 0);
    // The outline starts at sample 1: sample 0 is never converted and would draw a line from the origin.
    const std::vector<OutlinePoint> outline = driveOutline(driveModel);
    ASSERT_EQ(outline.size(), static_cast<size_t>(driveModel.sampleCount - 1));
    EXPECT_EQ(outline.front().x, driveModel.points[1].x);
    EXPECT_EQ(outline.front().z, driveModel.points[1].z);
    const OrthoBounds extent = driveExtentProjection(driveModel);
    // The whole circuit (several hundred metres across) fits, oriented like the 2D view.
    EXPECT_GT(extent.left - extent.right, 0.3);
    EXPECT_GT(extent.top - extent.bottom, 0.3);
    EXPECT_TRUE(lapListRows(driveModel).empty());
}

}  // namespace
