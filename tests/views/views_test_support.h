// Hand-made drives and a GL canvas for the views' tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/analysis/drive_log_builder.h"
#include "tools/view-shot/offscreen_gl.h"
#include "viewer/analysis/view_state.h"

// A corner of a drive's path: metres north and east of the base point, altitude in metres.
struct Waypoint {
    double northM = 0.0;
    double eastM = 0.0;
    double altitudeM = 0.0;
};

// Samples every `stepM` metres along the polyline through `path` (altitude
// interpolated), one per `periodMs`; `marks` lists the marked samples
// (negative ones count from the end: -1 is the last).
DriveLogImage pathDrive(const std::vector<Waypoint>& path, double stepM, uint32_t periodMs,
                        const std::vector<int>& marks, int32_t courseType);

// Installs and analyses the image; fails the test when no lap is cut.
void analyse(const DriveLogImage& image);

// Everything back to the program-start state, with a plain picture: no
// statistics, grid, curtain, markers or labels.
void resetToBareView();

// The QGuiApplication the text and GL cases need (created once, kept).
void ensureGuiApplication();

constexpr int CANVAS = 256;  // pixels, square like the views' aspect

// A GL canvas of CANVAS x CANVAS; fails the test when no context exists.
class GlCanvas {
public:
    GlCanvas();
    bool ok() const { return gl_ && gl_->ok(); }
    void draw();  // one frame of the current view state
    Rgb at(double x, double y) const;  // rounded to the pixel
    // Whether some pixel within `radius` of (x, y) has colour c.
    bool near(double x, double y, const Colour& c, int radius = 1) const;
    // Saves the picture for a failing case to look at.
    void save(const std::string& name) const;

private:
    std::unique_ptr<OffscreenGl> gl_;
};

bool sameColour(const Rgb& p, const Colour& c, int tolerance = 12);
std::string describe(const Rgb& p);

#define REQUIRE_GL(canvas) \
    ASSERT_TRUE((canvas).ok()) << "no GL context: run under an X display (xvfb-run -a)"
