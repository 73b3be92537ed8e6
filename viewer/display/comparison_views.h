// What the lap comparison adds to the views: the reference lap in a second
// colour on the 3D and 2D tracks and in the time graphs (aligned by
// distance), its car during a replay, the gain and loss colours of the track,
// and the delta-T graph. Called by the views while a drive is loaded and its
// displayed lap was cut.
#pragma once

#include <cstdint>

#include "viewer/analysis/comparison_state.h"
#include "viewer/analysis/view_state.h"
#include "viewer/display/frame.h"

// The reference and its car.
inline constexpr Colour REFERENCE_COLOUR{1.0f, 0.55f, 0.0f};
// Gain, loss and even pace on the track and in the delta-T graph.
inline constexpr Colour GAIN_COLOUR{0.0f, 0.9f, 0.2f};
inline constexpr Colour LOSS_COLOUR{1.0f, 0.15f, 0.15f};

// The displayed lap against its reference, computed again only when the
// drive, the displayed lap or the reference changes.
const LapComparison& displayedComparison();

bool deltaGraphActive();      // the delta-T graph replaces the display mode's view
bool gainLossMapActive();     // the track lines take the gain and loss colours
// Whether the track line is colour-mapped (a colour map of the view menu or
// the gain and loss map).
bool trackLineMapped();
// The colour the track line takes after sample i: gain or loss when that map
// is on, else the view menu's colour map. False when no line is drawn.
bool trackLineColour(int sample, const LapRecord& lap, Colour& out);

// Drawn after the displayed lap's own line, inside the view's camera.
void drawReference3d(float altitudeFactor);
void drawReference2d();
// The reference's curve of graph mode 2, 3 or 4, at the displayed lap's time
// for the same fraction of the lap.
void drawReferenceCurve(int32_t mode);

// The delta-T graph: distance (m) across, seconds up, 0 in the middle.
OrthoBounds deltaGraphProjection(double& borderA, double& borderB);
void drawDeltaGraph(double borderA, double borderB);
