// The lines of the statistics overlay, without GL.
#pragma once

#include <string>
#include <vector>

#include "viewer/analysis/view_state.h"

struct StatisticsLine {
    std::string text;  // UTF-8
    Colour colour;
    int x = 0;         // pixels from the left edge
    int y = 0;         // baseline, pixels from the bottom edge
};

// The overlay of the current lap for a viewport `height` pixels high, from
// driveModel, viewState and the replay state; the vertical box bounds of the
// lap before the 3D altitude scaling are passed in (km). Empty when
// showStatistics is 0 or no lap is displayed.
std::vector<StatisticsLine> statisticsLines(int height, double unscaledMinY, double unscaledMaxY);
