// How the Qt-free capture cores reach the user interface: display output only.
//
// The GPS reader, the decoders and the lap timing run on worker threads; the
// window thread runs the commands. Both hand the sink whole panel texts
// (UTF-8), cues, the flash state, counted passes and snapshots of the course
// points. The window program installs a sink that queues them to the UI
// thread, the headless recorder one that prints, and tests a recording fake.
// A sink must never block its caller on the UI, and nothing a sink receives
// refers to memory a worker thread keeps writing: every argument is a value or
// a copy valid for the call.
//
// Lap timing never depends on the sink: a sink that implements nothing still
// times laps and records the drive log.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/records.h"

// Control ids of the live status panel.
enum PanelControl : int {
    PANEL_SATELLITES = 1001,        // "受信衛星数："
    PANEL_LATITUDE = 1002,          // "緯度："
    PANEL_LONGITUDE = 1003,         // "経度："
    PANEL_TIME = 1004,              // "GPS時間："
    PANEL_POINT1_LATITUDE = 1005,
    PANEL_POINT1_LONGITUDE = 1006,
    PANEL_POINT2_LATITUDE = 1007,
    PANEL_POINT2_LONGITUDE = 1008,
    PANEL_STATUS = 1009,            // "ステータス："
    PANEL_MODE = 1010,              // "受信モード："
    PANEL_POINT2_DISTANCE = 1012,   // note the order: point 1's distance is 1013
    PANEL_POINT1_DISTANCE = 1013,
    PANEL_LAP_COUNT = 1016,         // "ラップ数："
    PANEL_LAP_TIME = 1017,          // "タイム："
    PANEL_ALTITUDE = 1018,          // "高度："
    PANEL_POINT1_ALTITUDE = 1019,
    PANEL_POINT2_ALTITUDE = 1020,
};

class CaptureSink {
public:
    virtual ~CaptureSink() = default;

    // Whole-text replacement of one panel control; `utf8` is only valid during
    // the call. Any thread (reader or window).
    virtual void setPanelText(int /*controlId*/, std::string_view /*utf8*/) {}

    // A voice cue (0..5): 0 measuring started, 1 stopped, 4 and 5 a counted
    // pass at point 1 or 2. Filtering by the sound switch is the window's.
    virtual void playCue(int /*cue*/) {}

    // Show or hide the full-screen flash. The 500 ms timing is the core's;
    // the sink only applies the state. Reader thread.
    virtual void setFlashVisible(bool /*visible*/) {}

    // A pass of course point `point` (0 or 1) was counted at `tickMs`; the
    // pass log and the lap display are already updated. Reader thread.
    virtual void passCounted(int /*point*/, uint32_t /*tickMs*/) {}

    // A copy of the course after a point was registered (reader thread) or
    // deleted, swapped, loaded or cleared (window thread). The window shows
    // the points (coursePointPanelTexts) and refreshes its command states
    // (commandStates(currentCommandInputs())): a registration is what
    // disables Add point once the course is full.
    virtual void showCoursePoints(const Course& /*course*/) {}
};

// The installed sink; a no-op sink when none is installed. Install before the
// worker threads start and remove after they end.
CaptureSink& captureSink();
void setCaptureSink(CaptureSink* sink);
