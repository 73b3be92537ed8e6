// The picture of a drive without a single cut lap (its lap marks never paired
// up): the whole track seen from above, fitted to the window, with "no lap"
// where the lap number would stand. Such a drive still opens, so its owner
// sees what was recorded and why nothing can be timed.
#pragma once

#include <vector>

#include "viewer/analysis/drive_model.h"
#include "viewer/display/frame.h"

constexpr const char* NO_LAP_TEXT = "ラップ No. : ラップなし";

struct OutlinePoint {
    double x = 0.0;  // km, north
    double z = 0.0;  // km, east
};

// The drive's track seen from above: every converted sample (from sample 1;
// samples without a finite position are left out), in order.
std::vector<OutlinePoint> driveOutline(const DriveModel& drive);

// Orthographic bounds over the outline, oriented as the 2D track view
// (x grows to the left, z upward), with the 2D view's margin. A drive whose
// samples all lie on one point gets a 2 m square around it. Zero bounds
// without samples.
OrthoBounds driveExtentProjection(const DriveModel& drive);

// Draws the extent into the current frame (projection and modelview are
// left as identity afterwards).
void drawDriveExtent();
