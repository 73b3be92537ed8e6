// The viewer's menu 109, its accelerator table and the rules that set every
// check mark and grey state. Qt-free: the window applies what these return.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/view_state.h"
#include "viewer/display/display_state.h"

constexpr int MENU_RESOURCE_ID = 109;
constexpr int ICON_RESOURCE_ID = 129;

// Command ids.
enum ViewerCommand : int {
    CMD_OPEN_LOG = 32772, CMD_EXPORT_CSV = 32868, CMD_WEIGHT = 32801, CMD_EXIT = 105, CMD_ABOUT = 104,
    CMD_MODE_3D = 32792, CMD_MODE_2D = 32793, CMD_MODE_SPEED = 32810, CMD_MODE_ALTITUDE = 32870,
    CMD_MODE_POWER = 32872,
    CMD_STATISTICS = 32778, CMD_INFO_SPEED = 32836, CMD_INFO_POWER = 32833, CMD_INFO_CORNER_SPEED = 32834,
    CMD_INFO_ALTITUDE = 32835, CMD_INFO_ALL = 32864, CMD_INFO_NONE = 32865,
    CMD_GRID = 32777, CMD_TRACK_ALTITUDE = 32779, CMD_ORIGIN = 32805, CMD_MEAN_ALTITUDE = 32826,
    CMD_SCALE_1 = 32841, CMD_SCALE_5 = 32842, CMD_SCALE_10 = 32843,
    CMD_CORNER_COUNT = 32797, CMD_CORNER_SPEED = 32799, CMD_CORNER_ALTITUDE = 32851, CMD_CORNER_ALL = 32905,
    CMD_CORNER_NONE = 32906,
    CMD_MAP_NONE = 32857, CMD_MAP_ACCELERATION = 32780, CMD_MAP_CLIMB = 32854,
    CMD_GPS_POINTS = 32795, CMD_LAP_MARKS = 32849, CMD_MAX_SPEED_POINT = 32850,
    CMD_NEXT_LAP = 32784, CMD_PREVIOUS_LAP = 32786, CMD_LAP_LIST = 32824, CMD_RESET_VIEW = 32782,
    CMD_COLOUR_BACKGROUND = 32815, CMD_COLOUR_ROAD = 32822, CMD_COLOUR_GPS_POINT = 32818,
    CMD_COLOUR_ANIMATION_POINT = 32890, CMD_COLOUR_ACCEL = 32816, CMD_COLOUR_DECEL = 32817,
    CMD_COLOUR_UPHILL = 32860, CMD_COLOUR_DOWNHILL = 32861, CMD_RESET_COLOURS = 32820,
    CMD_ANIMATION = 32884, CMD_ANIMATION_PAUSE = 32902, CMD_SPEED_1 = 32897, CMD_SPEED_2 = 32898,
    CMD_SPEED_4 = 32899, CMD_SPEED_8 = 32900, CMD_IN_CAR_VIEW = 32888,
};

enum class MenuRowKind { Item, Separator, Popup, EndPopup };
struct MenuRow {
    MenuRowKind kind;
    int id;            // items only
    std::string text;  // UTF-8, the key hint after a tab
};
// Menu 109, top-level popups first, in display order.
const std::vector<MenuRow>& viewerMenuRows();

struct AcceleratorRow {
    std::string keys;  // portable key text ("Ctrl+N", "F1")
    int id;
};
// Accelerator table 109 (16 entries).
const std::vector<AcceleratorRow>& viewerAccelerators();

// Every menu item's grey and check state.
struct MenuStates {
    std::map<int, bool> enabled;  // every item of the menu
    std::map<int, bool> checked;  // items that carry a check or radio mark
};
MenuStates computeMenuStates(const ViewState& state, const DriveModel& drive, const AnimationState& anim);

// Cut laps only: the next and previous lap a lap command moves to, or -1.
int nextCutLap(const DriveModel& drive, int from);
int previousCutLap(const DriveModel& drive, int from);
int cutLapCount(const DriveModel& drive);
