#include "viewer/analysis/view_state.h"

#include <cmath>
#include <initializer_list>

#include "viewer/analysis/analysis_constants.h"

ViewState viewState;

namespace {

void resetColoursOf(ViewState& s) {
    const ViewState d;
    s.backgroundColour = d.backgroundColour;
    s.accelColour = d.accelColour;
    s.decelColour = d.decelColour;
    s.gpsPointColour = d.gpsPointColour;
    s.roadColour = d.roadColour;
    s.uphillColour = d.uphillColour;
    s.downhillColour = d.downhillColour;
    s.animationPointColour = d.animationPointColour;
}

void keepInRange(int32_t& field, int32_t low, int32_t high, int32_t fallback) {
    if (field < low || field > high) field = fallback;
}

void keepColour(Colour& colour, const Colour& fallback) {
    for (float* channel : {&colour.r, &colour.g, &colour.b}) {
        if (!std::isfinite(*channel) || *channel < 0.0f || *channel > 1.0f) {
            colour = fallback;
            return;
        }
    }
}

}  // namespace

void setViewStateDefaults() {
    viewState = ViewState{};
    resetColours();
}

void resetColours() { resetColoursOf(viewState); }

void sanitiseViewState(ViewState& state) {
    const ViewState d;
    keepInRange(state.displayMode, DISPLAY_3D, DISPLAY_POWER_GRAPH, d.displayMode);
    keepInRange(state.colourMapMode, COLOUR_MAP_NONE, COLOUR_MAP_CLIMB, d.colourMapMode);
    keepInRange(state.altitudeScale, 0, 2, d.altitudeScale);
    keepInRange(state.animationSpeed, 0, 3, d.animationSpeed);
    for (int32_t* flag : {&state.showTrackAltitude, &state.showStatistics, &state.showGrid,
                          &state.showGpsPoints, &state.showCornerCount, &state.showCornerSpeed,
                          &state.showOrigin, &state.absoluteAltitude, &state.showSpeedInfo,
                          &state.showCornerSpeedInfo, &state.showPowerInfo, &state.showAltitudeInfo,
                          &state.showLapMarkPosition, &state.showMaxSpeedPoint,
                          &state.showCornerAltitude, &state.inCarView}) {
        // Any non-zero value reads as "on" to a menu check; keep the file's
        // intent rather than the default.
        if (*flag != 0) *flag = 1;
    }
    if (!std::isfinite(state.vehicleWeightKg) || !(state.vehicleWeightKg > 0.0)) {
        state.vehicleWeightKg = DEFAULT_VEHICLE_WEIGHT_KG;
    }
    keepColour(state.backgroundColour, d.backgroundColour);
    keepColour(state.accelColour, d.accelColour);
    keepColour(state.decelColour, d.decelColour);
    keepColour(state.gpsPointColour, d.gpsPointColour);
    keepColour(state.roadColour, d.roadColour);
    keepColour(state.uphillColour, d.uphillColour);
    keepColour(state.downhillColour, d.downhillColour);
    keepColour(state.animationPointColour, d.animationPointColour);
}
