// The views the frame draws: called after the frame has set the projection of
// the display mode and reset the model-view matrix, only while a drive is
// loaded and its current lap was cut. Everything is drawn in immediate mode.
#pragma once

#include <string>

#include "viewer/display/display_state.h"

// Camera transforms applied by the views at the start of their drawing, inside
// a pushed model-view matrix.
void applyTrack3dCamera(float altitudeFactor);  // orbit camera of the 3D view
void applyTrack2dCamera();
void applyGraphCamera(const GraphCamera& camera);
// The in-car camera of a running replay: the eye 0.01 km above the animated
// sample, looking two samples ahead (wrapping inside the lap). Falls back to
// the orbit camera when no replay frame is inside the lap.
void applyInCarCamera(float altitudeFactor);
// The sample the in-car camera looks at from `eyeSample`: two ahead, or the
// next one beyond that lying elsewhere on the ground; eyeSample itself when
// the whole lap sits on one spot.
int inCarLookAtSample(int eyeSample);

// Display mode 0, with the frame's altitude factor (1, 5 or 10).
void drawTrack3d(float altitudeFactor);
// Display mode 1.
void drawTrack2d();
// Display modes 2, 3, 4: a and b are a tenth of the time and value extents,
// pointFactor is 2.0.
void drawSpeedGraph(double a, double b, double pointFactor);
void drawAltitudeGraph(double a, double b, double pointFactor);
void drawPowerGraph(double a, double b, double pointFactor);
// Axes, grid and tick labels of a graph of the current lap, V its top value
// and step the spacing of its horizontal grid.
void drawGraphFrame(double a, double b, double v, int step);

// The overlay, drawn on top in every mode, with the current lap's vertical
// box bounds before the 3D altitude scaling (km). Does nothing when
// showStatistics is 0.
void drawStatistics(double unscaledMinY, double unscaledMaxY);

// Label of a corner apex (UTF-8); cornerNumber counts the lap's apexes from 1.
std::string cornerLabelText(int sample, int cornerNumber);
