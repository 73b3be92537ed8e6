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

void keepColour(Colour& colour, const Colour& fallback) {
    for (float* channel : {&colour.r, &colour.g, &colour.b}) {
        if (!std::isfinite(*channel)) {
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
    // Only what would crash or spread NaN is put back. Every index a stored
    // file may hold out of range is already safe where it is used (an unknown
    // mode draws the background and overlay only, an unknown scale is x1, an
    // unknown speed plays at one second, an unknown colour map draws no
    // coloured line); flags count as on when non-zero. Such values stay as read.
    const ViewState d;
    // A weight of zero or below makes every power figure zero (or negative):
    // the power graph's range collapses and its scaling divides by zero.
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
