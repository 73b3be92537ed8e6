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

// Display mode 0, with the frame's altitude factor (1, 5 or 10).
void drawTrack3d(float altitudeFactor);
// Display mode 1.
void drawTrack2d();
// Display modes 2, 3, 4: a and b are a tenth of the time and value extents,
// pointFactor is 2.0.
void drawSpeedGraph(double a, double b, double pointFactor);
void drawAltitudeGraph(double a, double b, double pointFactor);
void drawPowerGraph(double a, double b, double pointFactor);

// The overlay, drawn on top in every mode, with the current lap's vertical
// box bounds before the 3D altitude scaling (km). Does nothing when
// showStatistics is 0.
void drawStatistics(double unscaledMinY, double unscaledMaxY);

// Label of a corner apex (UTF-8); cornerNumber counts the lap's apexes from 1.
std::string cornerLabelText(int sample, int cornerNumber);
