#include <gtest/gtest.h>

#include "viewer/display/frame.h"
#include "viewer/display/menu_table.h"
#include "viewer/display/replay.h"

namespace {

int downX = 0, downY = 0, winW = 640, winH = 480;

class Camera : public ::testing::Test {
protected:
    void SetUp() override {
        frameHost = {[](int* w, int* h) { *w = winW, *h = winH; },
                     [](int, int* x, int* y) { *x = downX, *y = downY; }, [] {}};
        viewState = ViewState{};
        resetView();
        resetAnimationState();
        downX = downY = 0;
    }
};

TEST_F(Camera, NinetyPixelsDownWithButtonTwoTiltsNinetyDegrees) {
    downX = 100, downY = 100;
    onMouseDrag(2, 100, 190);
    onMouseUp(2, 100, 190);
    EXPECT_FLOAT_EQ(viewCamera.track3d.tilt, 90.0f);
    EXPECT_FLOAT_EQ(viewCamera.track3d.tiltDrag, 0.0f);
}

TEST_F(Camera, FullWidthPanIn2dEqualsViewWidthAndFirstBothButtonEventMovesNothing) {
    viewState.displayMode = DISPLAY_2D;
    LapRecord lap;
    lap.boxMin = {-1, 0, -0.5};
    lap.boxMax = {1, 0, 0.5};
    track2dProjection(lap, viewCamera.track2d);
    EXPECT_NEAR(viewCamera.track2d.viewWidth, 2.4, 1e-6);
    downX = winW;
    onMouseDrag(1, 0, 0);
    EXPECT_NEAR(viewCamera.track2d.panDrag[0], viewCamera.track2d.viewWidth, 1e-5);
    onMouseDrag(3, 10, 200);
    EXPECT_FLOAT_EQ(viewCamera.track2d.zoom, 0.0f);
}

TEST_F(Camera, TwoDZoomNeverLetsTheHalfSizeReachZero) {
    viewState.displayMode = DISPLAY_2D;
    for (int i = 0; i < 1000; ++i) onMouseDrag(8, 5, 0);
    EXPECT_GT(viewCamera.track2d.zoom + viewCamera.track2d.baseZoom, 0.0f);
}

TEST_F(Camera, GraphMarginMinusOneShowsExactRangeAndMinusSixCollapses) {
    LapRecord lap;
    lap.lapTimeMs = 60000;
    lap.maxSpeed = 150.0;
    GraphCamera g;
    double a = 0, b = 0;
    g.margin = -1.0;
    OrthoBounds o = graphProjection(DISPLAY_SPEED_GRAPH, lap, g, a, b);
    EXPECT_DOUBLE_EQ(o.left, 0.0);
    EXPECT_DOUBLE_EQ(o.right, 60000.0);
    EXPECT_DOUBLE_EQ(o.top, 150.0);
    g.margin = -6.0;
    o = graphProjection(DISPLAY_SPEED_GRAPH, lap, g, a, b);
    EXPECT_NEAR(g.viewWidth, 0.0, 1e-9);
}

TEST_F(Camera, InCarViewWhileAnimatingFreezesTheOrbitCamera) {
    viewState.inCarView = 1;
    animation.animating = true;
    downX = 0;
    onMouseDrag(1, 50, 0);
    onMouseDrag(8, 3, 0);
    EXPECT_FLOAT_EQ(viewCamera.track3d.panDrag[0], 0.0f);
    EXPECT_FLOAT_EQ(viewCamera.track3d.dolly, 0.0f);
}

TEST(MenuRules, ModeGreysThreeDItemsAndNoDriveGreysReplayAndExport) {
    ViewState s;
    DriveModel drive;
    AnimationState anim;
    MenuStates m = computeMenuStates(s, drive, anim);
    EXPECT_FALSE(m.enabled[CMD_EXPORT_CSV]);
    EXPECT_FALSE(m.enabled[CMD_ANIMATION]);
    EXPECT_FALSE(m.enabled[CMD_IN_CAR_VIEW]);
    EXPECT_FALSE(m.enabled[CMD_ANIMATION_PAUSE]);
    EXPECT_TRUE(m.checked[CMD_MEAN_ALTITUDE]);
    EXPECT_TRUE(m.checked[CMD_MODE_3D]);
    s.displayMode = DISPLAY_2D;
    m = computeMenuStates(s, drive, anim);
    EXPECT_TRUE(m.enabled[CMD_GPS_POINTS]);
    EXPECT_FALSE(m.enabled[CMD_GRID]);
    s.displayMode = DISPLAY_POWER_GRAPH;
    m = computeMenuStates(s, drive, anim);
    EXPECT_FALSE(m.enabled[CMD_GPS_POINTS]);
}

TEST(MenuRules, LapSteppingSkipsUncutSlotsAndStaysAtTheEnds) {
    DriveModel drive;
    drive.lapCount = 3;
    drive.laps[0].startSample = 1, drive.laps[0].endSample = 5;
    drive.laps[2].startSample = 9, drive.laps[2].endSample = 12;
    EXPECT_EQ(nextCutLap(drive, 0), 2);
    EXPECT_EQ(nextCutLap(drive, 2), -1);
    EXPECT_EQ(previousCutLap(drive, 2), 0);
    EXPECT_EQ(previousCutLap(drive, 0), -1);
    EXPECT_EQ(cutLapCount(drive), 2);
}

TEST(Replay, DamagedSpeedIndexPlaysAtOneSecond) {
    EXPECT_EQ(animationPeriodMs(3), 125);
    EXPECT_EQ(animationPeriodMs(7), 1000);
    EXPECT_EQ(animationPeriodMs(-1), 1000);
}

}  // namespace

#include "viewer/display/commands.h"
#include "viewer/analysis/drive_log_loader.h"

TEST(Commands, ResetColoursLeavesFlagsAndWeightAndLapStepsStopAtTheEnds) {
    viewState = ViewState{};
    viewState.showGrid = 0;
    viewState.vehicleWeightKg = 900.0;
    viewState.roadColour = {0.1f, 0.2f, 0.3f};
    EXPECT_TRUE(applyStateCommand(CMD_RESET_COLOURS));
    EXPECT_FLOAT_EQ(viewState.roadColour.r, 1.0f);
    EXPECT_EQ(viewState.showGrid, 0);
    EXPECT_DOUBLE_EQ(viewState.vehicleWeightKg, 900.0);
    resetDriveModel();
    driveModel.loaded = 1;
    driveModel.lapCount = 2;
    driveModel.laps[0].startSample = 0, driveModel.laps[0].endSample = 3;
    driveModel.laps[1].startSample = 4, driveModel.laps[1].endSample = 8;
    applyStateCommand(CMD_NEXT_LAP);
    applyStateCommand(CMD_NEXT_LAP);
    EXPECT_EQ(driveModel.currentLap, 1);
    applyStateCommand(CMD_PREVIOUS_LAP);
    applyStateCommand(CMD_PREVIOUS_LAP);
    EXPECT_EQ(driveModel.currentLap, 0);
    resetDriveModel();
}

TEST(Commands, ALogThatCannotBeOpenedKeepsTheDriveOnScreenAndSaysWhy) {
    resetDriveModel();
    driveModel.loaded = 1;
    driveModel.lapCount = 1;
    driveModel.logPath = "kept.gpd";
    std::string message;
    EXPECT_NE(openDriveLog("/nonexistent/none.gpd", message), LOAD_OK);
    EXPECT_EQ(driveModel.loaded, 1);
    EXPECT_EQ(driveModel.logPath, "kept.gpd");
    EXPECT_NE(message.find("/nonexistent/none.gpd"), std::string::npos);
    EXPECT_NE(message.find("見つかりません"), std::string::npos);
    resetDriveModel();
}
