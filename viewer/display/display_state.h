// The viewer's per-mode camera and the replay state: process-wide records of
// the display, read by the views and written by the frame, the mouse handler
// and the replay commands. Not persisted.
#pragma once

#include <cstdint>

struct Track3dCamera {
    float pan[2] = {0.0f, 0.0f};      // km, committed translation of the scene
    float panDrag[2] = {0.0f, 0.0f};  // km, button-1 drag in progress
    float dolly = 0.0f;               // km along the viewing axis, positive toward the eye
    float tilt = 0.0f;                // degrees about x, committed
    float tiltDrag = 0.0f;            // degrees about x, button-2 drag in progress
    float turn = 0.0f;                // degrees about y, committed
    float turnDrag = 0.0f;            // degrees about y, button-2 drag in progress
};

struct Track2dCamera {
    float pan[2] = {0.0f, 0.0f};      // km, committed translation
    float panDrag[2] = {0.0f, 0.0f};  // km, drag in progress
    float zoom = 0.0f;                // added to baseZoom (single precision, as the projection adds them)
    float baseZoom = 0.6f;            // base half-size factor
    double viewWidth = 0.0;           // km, width of the visible square; written every frame
};

// One per graph mode (speed, altitude, power). Units: milliseconds across,
// km/h, metres or PS up.
struct GraphCamera {
    double pan[2] = {0.0, 0.0};
    double panDrag[2] = {0.0, 0.0};
    double margin = 0.0;      // 0 gives the standard border of a tenth of each extent
    double viewWidth = 0.0;   // visible range across; written every frame
    double viewHeight = 0.0;  // visible range up; written every frame
};

struct ViewCamera {
    Track3dCamera track3d;
    Track2dCamera track2d;
    GraphCamera speedGraph;
    GraphCamera altitudeGraph;
    GraphCamera powerGraph;
    int lastMouse[2] = {0, 0};    // window pixels, shared by the drags and the both-button zoom
    bool zoomDragActive = false;  // a both-button zoom is in progress
};

extern ViewCamera viewCamera;

// Every camera field back to its start value, drags and margins included.
void resetView();

// The camera group of display mode 2, 3 or 4; nullptr for any other mode.
GraphCamera* graphCameraOf(int32_t displayMode);

constexpr int ANIMATION_TIMER_ID = 555;

// Replay of the displayed lap. While animating:
// 0 <= animationFrame < animationFrameCount <= endSample - startSample + 1.
struct AnimationState {
    bool animating = false;
    bool animationPaused = false;
    int animationFrame = 0;       // offset of the animated sample from the lap's startSample
    int animationFrameCount = 0;  // samples in the animated lap
};

extern AnimationState animation;

// Back to the program-start state (tests).
void resetAnimationState();
