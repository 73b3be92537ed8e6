// The enable and check state of every capture command, as a pure function of
// the program's state. The window only applies the table to its menu items
// and panel buttons; a disabled item's accelerator does nothing.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>

// Menu command ids of the capture program's frame.
enum CaptureCommand : int {
    COMMAND_NEW = 32808,
    COMMAND_OPEN = 32772,
    COMMAND_SAVE = 32822,
    COMMAND_SAVE_AS = 32776,
    COMMAND_EXIT = 105,
    COMMAND_START = 32795,
    COMMAND_STOP = 32797,
    COMMAND_ADD_POINT = 32785,
    COMMAND_DELETE_POINT = 32799,
    COMMAND_SWAP_POINTS = 32798,
    COMMAND_LOOP_COURSE = 32815,
    COMMAND_OPEN_COURSE = 32816,
    COMMAND_OPEN_RETURN_COURSE = 32817,
    COMMAND_GPS_PORT = 32787,
    COMMAND_BEACON_PORT = 32788,
    COMMAND_GPS_SETTINGS = 32806,
    COMMAND_MOTEC_LAP_SYNC = 32778,
    COMMAND_MOTEC_ON_POINT_REGISTER = 32804,
    COMMAND_SOUND_GUIDANCE = 32825,
    COMMAND_AUTO_START = 32827,
    COMMAND_FLASH_ON_PASS = 32829,
    COMMAND_FLASH_COLOUR = 32831,
    COMMAND_ABOUT = 104,
    // Beyond the original menu: pass times at the closest approach (pass_time_option.h).
    COMMAND_INTERPOLATE_PASS_TIME = 32950,
    COMMAND_OPEN_HANDOFF = 33000,  // no menu item: a second launch hands over a path
};

// The status panel's buttons; they follow the matching menu commands.
enum PanelButton : int {
    PANEL_BUTTON_ADD_POINT = 1011,
    PANEL_BUTTON_START = 1014,
    PANEL_BUTTON_STOP = 1015,
};

struct CommandStateInputs {
    bool measuring = false;        // the GPS reader runs
    int32_t pointCount = 0;        // registered course points
    int32_t courseType = 0;        // CourseType; another value checks no type item
    bool courseModified = false;   // the course has changes that are not in a file
    bool motecLapSync = false;
    bool motecOnPointRegister = false;
    bool soundGuidance = false;
    bool autoStart = false;
    bool flashOnPass = false;
    bool interpolatePassTime = false;
};

struct CommandState {
    bool enabled = true;
    bool checked = false;
};

struct CommandStates {
    std::map<int, CommandState> items;  // every menu id above except 33000, and the three buttons
    // The state of one id; an id not in the table reads as enabled and unchecked.
    CommandState of(int commandId) const;
};

CommandStates commandStates(const CommandStateInputs& in);

// The course has changes that are not in a file. Set by the point commands
// and cleared by New (measurement.h); the window clears it after a
// successful Open, hand-over load or Save.
extern std::atomic<int32_t> courseModified;

// The inputs from the process-wide records (measuring state, the course, the
// settings and courseModified). Window thread only.
CommandStateInputs currentCommandInputs();
