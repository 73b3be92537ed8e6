// The enable and check table of the capture commands.
#include "capture/timing/command_states.h"

#include <gtest/gtest.h>

#include <string>

#include "capture/gps/gps_state.h"
#include "capture/timing/course.h"
#include "timing_test_support.h"

namespace {

std::string describe(bool measuring, int32_t type, int32_t points) {
    return std::string(measuring ? "measuring" : "idle") + " type " + std::to_string(type) + " points " +
           std::to_string(points);
}

// What each course-bound item must be, per state, type and point count.
struct Expected {
    bool addPoint, deletePoint, swapPoints, loop, open, openReturn;
};

Expected expectedFor(bool measuring, int32_t type, int32_t points) {
    const int32_t capacity = type == COURSE_LOOP ? 1 : 2;
    if (measuring) return {points < capacity, false, false, points != 2, true, true};
    return {false, points > 0, points == 2, false, false, false};
}

TEST(CommandStates, CourseItemsFollowStateTypeAndPointCount) {
    for (bool measuring : {false, true}) {
        for (int32_t type : {COURSE_LOOP, COURSE_OPEN, COURSE_OPEN_RETURN}) {
            for (int32_t points : {0, 1, 2}) {
                CommandStateInputs in;
                in.measuring = measuring;
                in.courseType = type;
                in.pointCount = points;
                const CommandStates s = commandStates(in);
                const Expected e = expectedFor(measuring, type, points);
                const std::string what = describe(measuring, type, points);
                EXPECT_EQ(s.of(COMMAND_ADD_POINT).enabled, e.addPoint) << what;
                EXPECT_EQ(s.of(PANEL_BUTTON_ADD_POINT).enabled, e.addPoint) << what;
                EXPECT_EQ(s.of(COMMAND_DELETE_POINT).enabled, e.deletePoint) << what;
                EXPECT_EQ(s.of(COMMAND_SWAP_POINTS).enabled, e.swapPoints) << what;
                EXPECT_EQ(s.of(COMMAND_LOOP_COURSE).enabled, e.loop) << what;
                EXPECT_EQ(s.of(COMMAND_OPEN_COURSE).enabled, e.open) << what;
                EXPECT_EQ(s.of(COMMAND_OPEN_RETURN_COURSE).enabled, e.openReturn) << what;
                // Exactly the type's item is checked, in either state.
                EXPECT_EQ(s.of(COMMAND_LOOP_COURSE).checked, type == COURSE_LOOP) << what;
                EXPECT_EQ(s.of(COMMAND_OPEN_COURSE).checked, type == COURSE_OPEN) << what;
                EXPECT_EQ(s.of(COMMAND_OPEN_RETURN_COURSE).checked, type == COURSE_OPEN_RETURN) << what;
                // Start and the port settings only while idle, Stop only while measuring.
                for (int id : {int{COMMAND_START}, int{PANEL_BUTTON_START}, int{COMMAND_GPS_PORT}, int{COMMAND_BEACON_PORT},
                               int{COMMAND_MOTEC_LAP_SYNC}}) {
                    EXPECT_EQ(s.of(id).enabled, !measuring) << what << " id " << id;
                }
                EXPECT_EQ(s.of(COMMAND_STOP).enabled, measuring) << what;
                EXPECT_EQ(s.of(PANEL_BUTTON_STOP).enabled, measuring) << what;
            }
        }
    }
}

TEST(CommandStates, UnknownTypeChecksNoTypeAndTakesTwoPoints) {
    CommandStateInputs in;
    in.measuring = true;
    in.courseType = 7;
    in.pointCount = 1;
    const CommandStates s = commandStates(in);
    for (int id : {int{COMMAND_LOOP_COURSE}, int{COMMAND_OPEN_COURSE}, int{COMMAND_OPEN_RETURN_COURSE}}) {
        EXPECT_FALSE(s.of(id).checked) << id;
    }
    EXPECT_TRUE(s.of(COMMAND_ADD_POINT).enabled);
}

TEST(CommandStates, OptionsAreCheckedByTheirSwitchesAndSaveNeedsAChange) {
    const struct {
        int id;
        bool CommandStateInputs::*flag;
    } toggles[] = {
        {COMMAND_MOTEC_LAP_SYNC, &CommandStateInputs::motecLapSync},
        {COMMAND_MOTEC_ON_POINT_REGISTER, &CommandStateInputs::motecOnPointRegister},
        {COMMAND_SOUND_GUIDANCE, &CommandStateInputs::soundGuidance},
        {COMMAND_AUTO_START, &CommandStateInputs::autoStart},
        {COMMAND_FLASH_ON_PASS, &CommandStateInputs::flashOnPass},
    };
    for (const auto& t : toggles) {
        for (bool on : {false, true}) {
            CommandStateInputs in;
            in.*t.flag = on;
            EXPECT_EQ(commandStates(in).of(t.id).checked, on) << t.id;
        }
    }
    CommandStateInputs in;
    EXPECT_FALSE(commandStates(in).of(COMMAND_MOTEC_ON_POINT_REGISTER).enabled) << "needs lap sync";
    EXPECT_FALSE(commandStates(in).of(COMMAND_SAVE).enabled);
    EXPECT_FALSE(commandStates(in).of(COMMAND_SAVE_AS).enabled);
    in.motecLapSync = in.courseModified = true;
    EXPECT_TRUE(commandStates(in).of(COMMAND_MOTEC_ON_POINT_REGISTER).enabled);
    EXPECT_TRUE(commandStates(in).of(COMMAND_SAVE).enabled);
    EXPECT_TRUE(commandStates(in).of(COMMAND_SAVE_AS).enabled);
}

TEST(CommandStates, TableCoversEveryMenuItemAndTheButtons) {
    const CommandStates s = commandStates(CommandStateInputs{});
    const int ids[] = {32808, 32772, 32822, 32776, 105,   32795, 32797, 32785, 32799, 32798,
                       32815, 32816, 32817, 32787, 32788, 32806, 32778, 32804, 32825, 32827,
                       32829, 32831, 104,   1011,  1014,  1015,
                       32950};  // beyond the original menu: the pass time interpolation
    for (int id : ids) EXPECT_EQ(s.items.count(id), 1u) << id;
    EXPECT_EQ(s.items.size(), std::size(ids));
    for (int id : {32808, 32772, 105, 32806, 32831, 104}) {
        EXPECT_TRUE(commandStates({.measuring = true}).of(id).enabled) << id;
    }
}

using CommandInputsTest = TimingTest;

TEST_F(CommandInputsTest, InputsComeFromTheCourseSettingsAndMeasuringState) {
    Course course;
    course.pointCount = 2;
    course.courseType = COURSE_OPEN_RETURN;
    replaceCourse(course);
    captureSettings.soundGuidance = 0;
    captureSettings.flashOnPass = 1;
    readerRunning = 1;
    courseModified = 1;
    const CommandStateInputs in = currentCommandInputs();
    EXPECT_TRUE(in.measuring);
    EXPECT_EQ(in.pointCount, 2);
    EXPECT_EQ(in.courseType, COURSE_OPEN_RETURN);
    EXPECT_TRUE(in.courseModified);
    EXPECT_FALSE(in.soundGuidance);
    EXPECT_TRUE(in.flashOnPass);
    EXPECT_TRUE(in.motecOnPointRegister) << "its default is on";
    readerRunning = 0;
}

}  // namespace
