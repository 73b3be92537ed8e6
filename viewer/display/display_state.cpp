#include "viewer/display/display_state.h"

#include "viewer/analysis/view_state.h"

ViewCamera viewCamera;
AnimationState animation;

void resetView() { viewCamera = ViewCamera{}; }

GraphCamera* graphCameraOf(int32_t displayMode) {
    switch (displayMode) {
        case DISPLAY_SPEED_GRAPH: return &viewCamera.speedGraph;
        case DISPLAY_ALTITUDE_GRAPH: return &viewCamera.altitudeGraph;
        case DISPLAY_POWER_GRAPH: return &viewCamera.powerGraph;
        default: return nullptr;
    }
}

void resetAnimationState() { animation = AnimationState{}; }
