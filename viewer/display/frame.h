// The frame: GL set-up, one full redraw per call with the projection of the
// display mode, and the mouse handling that moves each mode's camera.
#pragma once

#include "viewer/analysis/drive_model.h"
#include "viewer/display/display_state.h"

// Host callbacks.
int initialiseGl(int win);
int drawFrame();
int onMouseDrag(int event, int x, int y);
int onMouseUp(int button, int x, int y);

// The altitude factor of the current frame: 1, 5 or 10 in 3D, else 1.
float altitudeFactor();

// Orthographic bounds of the 2D view and the graphs, in the order gluOrtho2D takes them.
struct OrthoBounds {
    double left = 0.0, right = 0.0, bottom = 0.0, top = 0.0;
};
// The 2D projection of `lap`; writes the visible width into track2d.viewWidth.
OrthoBounds track2dProjection(const LapRecord& lap, Track2dCamera& camera);
// The graph projection of mode 2, 3 or 4; writes the camera's viewWidth and
// viewHeight. borderA and borderB receive a tenth of each extent.
OrthoBounds graphProjection(int32_t mode, const LapRecord& lap, GraphCamera& camera, double& borderA,
                            double& borderB);

// What the mouse handler asks of the host; tests replace these.
struct FrameHost {
    void (*windowSize)(int* width, int* height);
    void (*mouseDownPos)(int button, int* x, int* y);
    void (*update)();
};
extern FrameHost frameHost;
// The window id of the viewer's host window.
extern int mainWindowId;
