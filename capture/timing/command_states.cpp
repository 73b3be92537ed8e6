#include "capture/timing/command_states.h"

#include "capture/gps/gps_state.h"
#include "capture/timing/capture_settings.h"
#include "capture/timing/course.h"
#include "capture/timing/pass_time_option.h"

std::atomic<int32_t> courseModified{0};

CommandState CommandStates::of(int commandId) const {
    const auto it = items.find(commandId);
    return it == items.end() ? CommandState{} : it->second;
}

namespace {

// Items whose state never changes: always usable, never checked.
constexpr int ALWAYS_ENABLED[] = {
    COMMAND_NEW, COMMAND_OPEN, COMMAND_EXIT, COMMAND_GPS_SETTINGS, COMMAND_FLASH_COLOUR, COMMAND_ABOUT,
};

}  // namespace

CommandStates commandStates(const CommandStateInputs& in) {
    CommandStates states;
    auto set = [&](int id, bool enabled, bool checked = false) { states.items[id] = {enabled, checked}; };
    const bool idle = !in.measuring;
    for (int id : ALWAYS_ENABLED) set(id, true);

    // Port settings and the lap sync switch are fixed for a running measurement.
    set(COMMAND_GPS_PORT, idle);
    set(COMMAND_BEACON_PORT, idle);
    set(COMMAND_MOTEC_LAP_SYNC, idle, in.motecLapSync);
    set(COMMAND_START, idle);
    set(PANEL_BUTTON_START, idle);
    set(COMMAND_STOP, in.measuring);
    set(PANEL_BUTTON_STOP, in.measuring);

    // Points are added while measuring up to the type's capacity (1 for a
    // loop, 2 for the open types), deleted and swapped only while idle.
    const int32_t capacity = in.courseType == 0 ? 1 : 2;
    const bool canAdd = in.measuring && in.pointCount < capacity;
    set(COMMAND_ADD_POINT, canAdd);
    set(PANEL_BUTTON_ADD_POINT, canAdd);
    set(COMMAND_DELETE_POINT, idle && in.pointCount > 0);
    set(COMMAND_SWAP_POINTS, idle && in.pointCount == 2);

    // The type changes only while measuring; a loop cannot hold two points.
    set(COMMAND_LOOP_COURSE, in.measuring && in.pointCount != 2, in.courseType == 0);
    set(COMMAND_OPEN_COURSE, in.measuring, in.courseType == 1);
    set(COMMAND_OPEN_RETURN_COURSE, in.measuring, in.courseType == 2);

    set(COMMAND_MOTEC_ON_POINT_REGISTER, in.motecLapSync, in.motecOnPointRegister);
    set(COMMAND_SAVE, in.courseModified);
    set(COMMAND_SAVE_AS, in.courseModified);
    set(COMMAND_SOUND_GUIDANCE, true, in.soundGuidance);
    set(COMMAND_AUTO_START, true, in.autoStart);
    set(COMMAND_FLASH_ON_PASS, true, in.flashOnPass);
    set(COMMAND_INTERPOLATE_PASS_TIME, true, in.interpolatePassTime);
    return states;
}

CommandStateInputs currentCommandInputs() {
    const Course course = currentCourse();
    CommandStateInputs in;
    in.measuring = readerRunning.load() != 0;
    in.pointCount = course.pointCount;
    in.courseType = course.courseType;
    in.courseModified = courseModified.load() != 0;
    in.motecLapSync = captureSettings.motecLapSync != 0;
    in.motecOnPointRegister = captureSettings.motecOnPointRegister != 0;
    in.soundGuidance = captureSettings.soundGuidance != 0;
    in.autoStart = captureSettings.autoStart != 0;
    in.flashOnPass = captureSettings.flashOnPass != 0;
    in.interpolatePassTime = interpolatePassTime != 0;
    return in;
}
