// The label beside a corner apex, by the three corner flags.
#include <cstdio>

#include "viewer/display/view_common.h"
#include "viewer/display/views.h"

std::string cornerLabelText(int sample, int cornerNumber) {
    const TrackPoint& p = pointAt(sample);
    const LapRecord& lap = currentLapRecord();
    const int speed = int(p.speed);  // truncated toward zero
    // Metres above the lap's lowest point, from the uncentred height.
    const double altitude =
        (lap.boxCentre.y + p.y - driveModel.lapAltitudeRange[size_t(driveModel.currentLap)].lowest) * 1000.0;
    const bool withSpeed = viewState.showCornerSpeed != 0;
    const bool withAltitude = viewState.showCornerAltitude != 0;
    const bool withCount = viewState.showCornerCount != 0;
    char text[128];
    if (withSpeed && withAltitude)  // no speed-and-altitude form without the number
        std::snprintf(text, sizeof text, "C=%d (%dkm/h:%0.1fm)", cornerNumber, speed, altitude);
    else if (withSpeed && withCount)
        std::snprintf(text, sizeof text, "C=%d (%dkm/h)", cornerNumber, speed);
    else if (withSpeed)
        std::snprintf(text, sizeof text, "%dkm/h", speed);
    else if (withAltitude && withCount)
        std::snprintf(text, sizeof text, "C=%d (%0.1fm)", cornerNumber, altitude);
    else if (withAltitude)
        std::snprintf(text, sizeof text, "%0.1fm", altitude);
    else
        std::snprintf(text, sizeof text, "C=%d", cornerNumber);
    return text;
}
