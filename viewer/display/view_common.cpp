#include "viewer/display/view_common.h"

#include <GL/gl.h>

#include "viewer/analysis/local_frame.h"
#include "viewer/display/display_state.h"

int animatedSample() {
    if (!animation.animating) return -1;
    const LapRecord& lap = currentLapRecord();
    const int s = lap.startSample + animation.animationFrame;
    return animation.animationFrame >= 0 && s <= lap.endSample ? s : -1;
}

bool isClimbing(int sample, const LapRecord& lap) {
    if (sample > lap.startSample) return pointAt(sample).y > pointAt(sample - 1).y;
    if (sample - 1 < 1) return false;
    return sampleInLocalFrame(sample).y > sampleInLocalFrame(sample - 1).y;
}

bool colourMapColour(int sample, const LapRecord& lap, Colour& out) {
    switch (viewState.colourMapMode) {
        case COLOUR_MAP_NONE: out = viewState.roadColour; return true;
        case COLOUR_MAP_ACCELERATION:
            out = pointAt(sample).acceleration >= 0.0 ? viewState.accelColour : viewState.decelColour;
            return true;
        case COLOUR_MAP_CLIMB:
            out = isClimbing(sample, lap) ? viewState.uphillColour : viewState.downhillColour;
            return true;
        default: return false;
    }
}

void setColour(const Colour& c) { glColor3f(c.r, c.g, c.b); }
