// Every check mark and grey state of the viewer's menu in each display mode,
// with and without a drive, animating or not; and the replay's state machine
// driven tick by tick.
#include <gtest/gtest.h>

#include <vector>

#include "viewer/display/menu_table.h"
#include "viewer/display/replay.h"

namespace {

// The nine items that depend on the display mode.
const std::vector<int> MODE_ITEMS = {CMD_GPS_POINTS, CMD_GRID,    CMD_TRACK_ALTITUDE, CMD_ORIGIN,     CMD_MEAN_ALTITUDE,
                                     CMD_SCALE_1,    CMD_SCALE_5, CMD_SCALE_10,       CMD_IN_CAR_VIEW};

DriveModel driveWithLaps(int laps) {
    DriveModel drive;
    drive.loaded = 1;
    drive.lapCount = laps;
    for (int i = 0; i < laps; ++i) {
        drive.laps[static_cast<size_t>(i)].startSample = 10 * i;
        drive.laps[static_cast<size_t>(i)].endSample = 10 * i + 9;
    }
    return drive;
}

TEST(MenuRules, ModeItemsFollowTheDisplayModeAndTheInCarViewNeedsADrive) {
    const DriveModel drive = driveWithLaps(2);
    const AnimationState stopped;
    for (int32_t mode = DISPLAY_3D; mode <= DISPLAY_POWER_GRAPH; ++mode) {
        ViewState s;
        s.displayMode = mode;
        const MenuStates m = computeMenuStates(s, drive, stopped);
        for (int id : MODE_ITEMS) {
            const bool expected = mode == DISPLAY_3D || (mode == DISPLAY_2D && id == CMD_GPS_POINTS);
            EXPECT_EQ(m.enabled.at(id), expected) << "mode " << mode << " item " << id;
        }
        // Exactly one display mode carries the radio mark.
        const int modes[] = {CMD_MODE_3D, CMD_MODE_2D, CMD_MODE_SPEED, CMD_MODE_ALTITUDE, CMD_MODE_POWER};
        for (int i = 0; i < 5; ++i) EXPECT_EQ(m.checked.at(modes[i]), i == mode) << mode;
    }
    ViewState s;
    const MenuStates none = computeMenuStates(s, DriveModel{}, stopped);
    EXPECT_FALSE(none.enabled.at(CMD_IN_CAR_VIEW)) << "grey in 3D too without a drive";
    EXPECT_TRUE(none.enabled.at(CMD_GRID));
}

TEST(MenuRules, ChecksFollowTheirFlagsAndRadioGroupsMarkOneChoice) {
    const std::vector<std::pair<int, int32_t ViewState::*>> flags = {
        {CMD_TRACK_ALTITUDE, &ViewState::showTrackAltitude}, {CMD_GRID, &ViewState::showGrid},
        {CMD_STATISTICS, &ViewState::showStatistics},       {CMD_INFO_SPEED, &ViewState::showSpeedInfo},
        {CMD_INFO_POWER, &ViewState::showPowerInfo},        {CMD_INFO_CORNER_SPEED, &ViewState::showCornerSpeedInfo},
        {CMD_INFO_ALTITUDE, &ViewState::showAltitudeInfo},  {CMD_GPS_POINTS, &ViewState::showGpsPoints},
        {CMD_CORNER_COUNT, &ViewState::showCornerCount},    {CMD_CORNER_SPEED, &ViewState::showCornerSpeed},
        {CMD_CORNER_ALTITUDE, &ViewState::showCornerAltitude}, {CMD_LAP_MARKS, &ViewState::showLapMarkPosition},
        {CMD_MAX_SPEED_POINT, &ViewState::showMaxSpeedPoint}, {CMD_ORIGIN, &ViewState::showOrigin},
        {CMD_IN_CAR_VIEW, &ViewState::inCarView},
    };
    const DriveModel drive = driveWithLaps(1);
    for (const auto& [id, field] : flags) {
        for (int32_t value : {0, 1}) {
            ViewState s;
            s.*field = value;
            EXPECT_EQ(computeMenuStates(s, drive, {}).checked.at(id), value == 1) << id << " = " << value;
        }
    }
    ViewState s;
    s.absoluteAltitude = 0;
    EXPECT_TRUE(computeMenuStates(s, drive, {}).checked.at(CMD_MEAN_ALTITUDE)) << "checked when absolute is off";
    s.absoluteAltitude = 1;
    EXPECT_FALSE(computeMenuStates(s, drive, {}).checked.at(CMD_MEAN_ALTITUDE));

    const int maps[] = {CMD_MAP_NONE, CMD_MAP_ACCELERATION, CMD_MAP_CLIMB};
    const int scales[] = {CMD_SCALE_1, CMD_SCALE_5, CMD_SCALE_10};
    const int speeds[] = {CMD_SPEED_1, CMD_SPEED_2, CMD_SPEED_4, CMD_SPEED_8};
    for (int i = 0; i < 4; ++i) {
        ViewState r;
        r.colourMapMode = i % 3;
        r.altitudeScale = i % 3;
        r.animationSpeed = i;
        const MenuStates m = computeMenuStates(r, drive, {});
        for (int j = 0; j < 3; ++j) EXPECT_EQ(m.checked.at(maps[j]), j == i % 3);
        for (int j = 0; j < 3; ++j) EXPECT_EQ(m.checked.at(scales[j]), j == i % 3);
        for (int j = 0; j < 4; ++j) EXPECT_EQ(m.checked.at(speeds[j]), j == i);
    }
}

TEST(MenuRules, DriveLapsAndTheReplayDecideTheirItems) {
    const ViewState s;
    AnimationState anim;
    // Without a drive: no export, no replay, no speeds.
    MenuStates m = computeMenuStates(s, DriveModel{}, anim);
    for (int id : {CMD_EXPORT_CSV, CMD_ANIMATION, CMD_SPEED_1, CMD_SPEED_2, CMD_SPEED_4, CMD_SPEED_8,
                   CMD_NEXT_LAP, CMD_PREVIOUS_LAP, CMD_ANIMATION_PAUSE})
        EXPECT_FALSE(m.enabled.at(id)) << id;
    // Always there: opening, the weight, the views, the colours.
    for (int id : {CMD_OPEN_LOG, CMD_WEIGHT, CMD_MODE_POWER, CMD_LAP_LIST, CMD_RESET_COLOURS, CMD_ABOUT})
        EXPECT_TRUE(m.enabled.at(id)) << id;

    // A drive without a cut lap: nothing to export or replay, the speeds stay choosable.
    m = computeMenuStates(s, driveWithLaps(0), anim);
    EXPECT_FALSE(m.enabled.at(CMD_EXPORT_CSV));
    EXPECT_FALSE(m.enabled.at(CMD_ANIMATION));
    EXPECT_TRUE(m.enabled.at(CMD_SPEED_8));

    // One lap: nothing to step to.
    m = computeMenuStates(s, driveWithLaps(1), anim);
    EXPECT_TRUE(m.enabled.at(CMD_EXPORT_CSV));
    EXPECT_TRUE(m.enabled.at(CMD_ANIMATION));
    EXPECT_TRUE(m.enabled.at(CMD_SPEED_8));
    EXPECT_FALSE(m.enabled.at(CMD_NEXT_LAP));
    EXPECT_FALSE(m.enabled.at(CMD_PREVIOUS_LAP));
    EXPECT_FALSE(m.enabled.at(CMD_ANIMATION_PAUSE)) << "pause only while animating";

    m = computeMenuStates(s, driveWithLaps(3), anim);
    EXPECT_TRUE(m.enabled.at(CMD_NEXT_LAP));
    EXPECT_TRUE(m.enabled.at(CMD_PREVIOUS_LAP));
    anim.animating = true;
    m = computeMenuStates(s, driveWithLaps(3), anim);
    EXPECT_TRUE(m.enabled.at(CMD_ANIMATION_PAUSE));
}

class ReplayMachine : public ::testing::Test {
protected:
    void SetUp() override {
        resetDriveModel();
        resetAnimationState();
        viewState = ViewState{};
        driveModel.loaded = 1;
        driveModel.lapCount = 2;
        driveModel.laps[0].startSample = 0, driveModel.laps[0].endSample = 4;   // 5 frames
        driveModel.laps[1].startSample = 5, driveModel.laps[1].endSample = 7;   // 3 frames
        driveModel.sampleCount = 8;
    }
    void TearDown() override {
        stopAnimation();
        resetDriveModel();
        resetAnimationState();
    }
    static void ticks(int n) {
        for (int i = 0; i < n; ++i) onAnimationTick();
    }
};

TEST_F(ReplayMachine, StartsAtFrameZeroWrapsAtTheLapsEndAndPauseHoldsTheFrame) {
    toggleAnimation();
    ASSERT_TRUE(animation.animating);
    EXPECT_EQ(animation.animationFrameCount, 5);
    EXPECT_EQ(animation.animationFrame, 0);
    ticks(4);
    EXPECT_EQ(animation.animationFrame, 4);
    ticks(1);
    EXPECT_EQ(animation.animationFrame, 0) << "wraps back to the lap's first sample";
    ticks(2);
    toggleAnimationPause();
    ticks(3);
    EXPECT_EQ(animation.animationFrame, 2) << "paused ticks redraw but do not move";
    toggleAnimationPause();
    ticks(1);
    EXPECT_EQ(animation.animationFrame, 3);
    // Stop and start again: frame 0, not paused.
    toggleAnimationPause();
    toggleAnimation();
    EXPECT_FALSE(animation.animating);
    toggleAnimation();
    EXPECT_TRUE(animation.animating);
    EXPECT_FALSE(animation.animationPaused);
    EXPECT_EQ(animation.animationFrame, 0);
}

TEST_F(ReplayMachine, SpeedKeepsThePositionALapChangeRestartsAndAnOpenedLogStopsIt) {
    toggleAnimation();
    ticks(3);
    setAnimationSpeed(3);
    EXPECT_EQ(viewState.animationSpeed, 3);
    EXPECT_EQ(animation.animationFrame, 3);
    EXPECT_EQ(animationPeriodMs(viewState.animationSpeed), 125);
    EXPECT_EQ(animationPeriodMs(0), 1000);
    EXPECT_EQ(animationPeriodMs(1), 500);
    EXPECT_EQ(animationPeriodMs(2), 250);

    driveModel.currentLap = 1;
    restartAnimationForLap();
    EXPECT_EQ(animation.animationFrame, 0);
    EXPECT_EQ(animation.animationFrameCount, 3);
    ticks(3);
    EXPECT_EQ(animation.animationFrame, 0) << "the shorter lap wraps after its own three samples";

    stopAnimation();
    EXPECT_FALSE(animation.animating);
    EXPECT_EQ(animation.animationFrame, 0);
}

TEST_F(ReplayMachine, ADriveWithoutACutLapCannotStartTheReplay) {
    driveModel.laps[0].startSample = driveModel.laps[0].endSample = -1;
    driveModel.laps[1].startSample = driveModel.laps[1].endSample = -1;
    toggleAnimation();
    EXPECT_FALSE(animation.animating);
    ticks(2);  // a stray tick changes nothing
    EXPECT_EQ(animation.animationFrame, 0);
}

}  // namespace
