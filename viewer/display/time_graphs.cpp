// The speed, altitude and power graphs of the displayed lap over its time.
#include <GL/gl.h>

#include <cstdio>

#include "common/duration.h"
#include "viewer/display/comparison_views.h"
#include "viewer/display/gl_text.h"
#include "viewer/display/graph_scale.h"
#include "viewer/display/view_common.h"
#include "viewer/display/views.h"

namespace {

constexpr Colour GRID_GREY{0.9f, 0.9f, 0.9f};

double sampleTimeMs(const LapRecord& lap, int i) {
    return double(tickDifference(driveModel.samples[size_t(i)].tick, driveModel.samples[size_t(lap.startSample)].tick));
}

bool curveColour(int i, const LapRecord& lap, Colour& c) {
    switch (viewState.colourMapMode) {
        case COLOUR_MAP_NONE: c = WHITE; return true;
        case COLOUR_MAP_ACCELERATION:
        case COLOUR_MAP_CLIMB: return colourMapColour(i, lap, c);
        default: return false;
    }
}

void drawGraph(int32_t mode, double a, double b, double pointFactor) {
    const int lapIndex = driveModel.currentLap;
    const LapRecord& lap = currentLapRecord();
    const GraphCamera* camera = graphCameraOf(mode);
    glDisable(GL_DEPTH_TEST);
    glPushMatrix();
    applyGraphCamera(*camera);
    const GraphScale scale = graphScaleOf(mode, lapIndex);
    drawGraphFrame(a, b, scale.top, scale.step);
    char top[64];
    std::snprintf(top, sizeof top, "%.1f", scale.top);
    drawText3d(top, WHITE, float(-0.6 * a), float(scale.top), 0.0f);
    drawText3d(scale.title, WHITE, float(-0.6 * a), float(scale.top + 0.3 * b), 0.0f);

    drawReferenceCurve(mode);  // under the lap's own curve
    Colour c;
    if (lap.startSample <= lap.endSample && curveColour(lap.startSample, lap, c)) {
        VertexBatch& batch = VertexBatch::begin(true);
        batch.reserve(size_t(lap.endSample - lap.startSample + 1));
        for (int i = lap.startSample; i <= lap.endSample; ++i) {
            curveColour(i, lap, c);  // each vertex in its own sample's colour
            batch.add(sampleTimeMs(lap, i), graphValueOf(mode, lapIndex, i), 0.0, c);
        }
        batch.draw(GL_LINE_STRIP, &c);
    }
    if (anyCornerLabels()) {
        glPointSize(float(2.0 * pointFactor));
        int n = 1;
        for (int i = lap.startSample; i <= lap.endSample; ++i) {
            if (driveModel.cornerMarks[size_t(i)] != CORNER_APEX) continue;
            const double x = sampleTimeMs(lap, i), y = graphValueOf(mode, lapIndex, i);
            setColour(RED);
            glBegin(GL_POINTS);
            glVertex2d(x, y);
            glEnd();
            drawText3d(cornerLabelText(i, n), GREEN, float(x), float(y), 0.0f);
            ++n;
        }
    }
    const int animated = animatedSample();
    if (animated >= 0) {
        glPointSize(5.0f);
        setColour(viewState.animationPointColour);
        glBegin(GL_POINTS);
        glVertex2d(sampleTimeMs(lap, animated), graphValueOf(mode, lapIndex, animated));
        glEnd();
    }
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
}

}  // namespace

void drawGraphFrame(double a, double b, double v, int step) {
    const LapRecord& lap = currentLapRecord();
    const uint32_t lapTimeMs = uint32_t(lap.lapTimeMs);
    const double t = double(lapTimeMs);
    for (const GraphLabel& label : graphFrameLabels(lapTimeMs, a, b, v, step))
        drawText3d(label.text, WHITE, float(label.x), float(label.y), 0.0f);
    glLineWidth(1.0f);
    setColour(GRID_GREY);
    glBegin(GL_LINES);
    for (int k = 1; k <= 10; ++k) {
        glVertex2d(0.1 * k * t, 0.0);
        glVertex2d(0.1 * k * t, v);
    }
    for (double value : horizontalGridValues(v, step)) {
        glVertex2d(0.0, value);
        glVertex2d(t, value);
    }
    glEnd();
    glLineWidth(2.0f);
    setColour(WHITE);
    glBegin(GL_LINE_LOOP);
    glVertex2d(0.0, 0.0);
    glVertex2d(t, 0.0);
    glVertex2d(t, v);
    glVertex2d(0.0, v);
    glEnd();
    glLineWidth(1.0f);
}

void drawSpeedGraph(double a, double b, double pointFactor) { drawGraph(DISPLAY_SPEED_GRAPH, a, b, pointFactor); }
void drawAltitudeGraph(double a, double b, double pointFactor) { drawGraph(DISPLAY_ALTITUDE_GRAPH, a, b, pointFactor); }
void drawPowerGraph(double a, double b, double pointFactor) { drawGraph(DISPLAY_POWER_GRAPH, a, b, pointFactor); }
