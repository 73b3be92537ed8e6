// How the Qt-free capture cores reach the user interface.
//
// The GPS reader, the decoders and the lap timing run on worker threads. They
// hand whole panel texts (UTF-8) to the sink and call the hooks below; the
// window program installs a sink that queues them to the UI thread, the
// headless recorder one that prints, and tests a recording fake. A sink must
// never block its caller on the UI.
#pragma once

#include <cstdint>
#include <string_view>

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

    // Whole-text replacement of one panel control; `utf8` is only valid during the call.
    virtual void setPanelText(int /*controlId*/, std::string_view /*utf8*/) {}

    // Hooks the GPS reader calls (the lap check after every line or packet,
    // the flash time-out after every line) and the fix completion calls (the
    // course-point display and the command states after a point is registered).
    virtual void checkPointPasses() {}
    virtual void pollFlash() {}
    virtual void showCoursePoints() {}
    virtual void refreshCommandStates() {}

    // Cues the lap timing gives: a voice file number (0..5) and the screen flash.
    virtual void playCue(int /*cue*/) {}
    virtual void showFlash() {}

    // A pass of course point `point` (0 or 1) was counted at `tickMs`; the
    // pass log and the lap display are already updated. Reader thread.
    virtual void passCounted(int /*point*/, uint32_t /*tickMs*/) {}
};

// The installed sink; a no-op sink when none is installed. Install before the
// worker threads start and remove after they end.
CaptureSink& captureSink();
void setCaptureSink(CaptureSink* sink);
