// The 3D track view. The steps run in a fixed order and their GL state
// matters: depth testing is off for the corner labels, and the GPS points
// step turns it back on, so with GPS points shown the later markers can hide
// behind the curtain and the line, and without them they are always on top.
#include <GL/gl.h>

#include "viewer/display/comparison_views.h"
#include "viewer/display/gl_text.h"
#include "viewer/display/view_common.h"
#include "viewer/display/views.h"

namespace {

constexpr Colour GRID_GREY{0.2f, 0.2f, 0.2f};
constexpr Colour CURTAIN_GREY{0.7f, 0.7f, 0.7f};
constexpr Colour MARKER_TICK{0.5f, 1.0f, 1.0f};
constexpr double MARKER_TICK_KM = 0.08;  // up and along x

struct Scene {
    const LapRecord& lap;
    float factor;
    double ground;  // g: the (scaled) lowest height of the lap's box
    bool loop;
};

double height(const Scene& s, int i) {
    return viewState.absoluteAltitude ? double(s.factor) * pointAt(i).y : s.lap.meanY;
}

void vertex(const Scene& s, int i) {
    const TrackPoint& p = pointAt(i);
    glVertex3d(p.x, height(s, i), p.z);
}

void drawGrid(const Scene& s) {
    const double r = s.lap.radius;
    const double step = r / 10.0;
    glLineWidth(1.0f);
    setColour(GRID_GREY);
    glBegin(GL_LINES);
    for (int k = -10; k <= 10; ++k) {
        const double c = k * step;  // multiples of the step: the outer lines land on +-radius
        glVertex3d(c, s.ground, -r);
        glVertex3d(c, s.ground, r);
        glVertex3d(-r, s.ground, c);
        glVertex3d(r, s.ground, c);
    }
    glEnd();
}

void drawOriginAxes(const Scene& s) {
    const double r = s.lap.radius;
    glLineWidth(1.0f);
    setColour(WHITE);
    glBegin(GL_LINES);
    glVertex3d(-r, 0.0, 0.0);
    glVertex3d(r, 0.0, 0.0);
    glVertex3d(0.0, -r, 0.0);
    glVertex3d(0.0, r, 0.0);
    glVertex3d(0.0, 0.0, -r);
    glVertex3d(0.0, 0.0, r);
    glEnd();
}

void addVertex(VertexBatch& batch, const Scene& s, int i) {
    const TrackPoint& p = pointAt(i);
    batch.add(p.x, height(s, i), p.z);
}

void addVertex(VertexBatch& batch, const Scene& s, int i, const Colour& c) {
    const TrackPoint& p = pointAt(i);
    batch.add(p.x, height(s, i), p.z, c);
}

void addCurtainPair(VertexBatch& batch, const Scene& s, int i) {
    const TrackPoint& p = pointAt(i);
    batch.add(p.x, s.ground, p.z, CURTAIN_GREY);
    addVertex(batch, s, i, CURTAIN_GREY);
}

int sampleCount(const Scene& s) { return s.lap.endSample - s.lap.startSample + 1; }

// Lines and the curtain carry their colour per vertex even when it is one
// colour: it is then interpolated like every vertex colour, which rounds a
// shade such as 0.7 the same way at every pixel as the vertex-by-vertex
// drawing did.
void drawCurtain(const Scene& s) {
    VertexBatch& batch = VertexBatch::begin(true);
    batch.reserve(2 * size_t(sampleCount(s) + 1));
    for (int i = s.lap.startSample; i <= s.lap.endSample; ++i) addCurtainPair(batch, s, i);
    if (s.loop) addCurtainPair(batch, s, s.lap.startSample);
    batch.draw(GL_TRIANGLE_STRIP, &CURTAIN_GREY);
}

void drawTrackLine(const Scene& s) {
    Colour c;
    if (!trackLineColour(s.lap.startSample, s.lap, c)) return;  // a map mode without a line
    glLineWidth(2.0f);
    VertexBatch& batch = VertexBatch::begin(true);
    batch.reserve(size_t(sampleCount(s) + 1));
    // Mapped, the colour of a sample takes effect from the next vertex on:
    // the first vertex is blue, every later one has the colour of the sample
    // before it.
    const bool mapped = trackLineMapped();
    Colour previous = mapped ? FIRST_VERTEX_BLUE : viewState.roadColour;
    for (int i = s.lap.startSample; i <= s.lap.endSample; ++i) {
        addVertex(batch, s, i, previous);
        if (mapped) trackLineColour(i, s.lap, previous);
    }
    if (s.loop) addVertex(batch, s, s.lap.startSample, previous);
    batch.draw(GL_LINE_STRIP, &previous);
}

void drawCornerApices(const Scene& s) {
    glPointSize(3.0f);
    int n = 1;
    for (int i = s.lap.startSample; i <= s.lap.endSample; ++i) {
        if (driveModel.cornerMarks[size_t(i)] != CORNER_APEX) continue;
        setColour(viewState.gpsPointColour);
        glBegin(GL_POINTS);
        vertex(s, i);
        glEnd();
        const TrackPoint& p = pointAt(i);
        drawText3d(cornerLabelText(i, n), GREEN, float(p.x), float(height(s, i)), float(p.z));
        ++n;
    }
}

void drawGpsPoints(const Scene& s) {
    glDisable(GL_DEPTH_TEST);
    glPointSize(3.0f);
    setColour(viewState.gpsPointColour);
    VertexBatch& batch = VertexBatch::begin(false);
    batch.reserve(size_t(sampleCount(s)));
    for (int i = s.lap.startSample; i <= s.lap.endSample; ++i) addVertex(batch, s, i);
    batch.draw(GL_POINTS);
    glEnable(GL_DEPTH_TEST);
}

void drawMarker(const Scene& s, int i, const char* label, const Colour& labelColour) {
    const TrackPoint& p = pointAt(i);
    const double h = height(s, i);
    glLineWidth(2.0f);
    setColour(MARKER_TICK);
    glBegin(GL_LINES);
    glVertex3d(p.x, h, p.z);
    glVertex3d(p.x + MARKER_TICK_KM, h + MARKER_TICK_KM, p.z);
    glEnd();
    drawText3d(label, labelColour, float(p.x + MARKER_TICK_KM), float(h + MARKER_TICK_KM), float(p.z));
}

}  // namespace

void drawTrack3d(float altitudeFactor) {
    const LapRecord& lap = currentLapRecord();
    const Scene s{lap, altitudeFactor, lap.boxMin.y, driveModel.course.courseType == COURSE_LOOP};
    glPushMatrix();
    if (animation.animating && viewState.inCarView) applyInCarCamera(altitudeFactor);
    else applyTrack3dCamera(altitudeFactor);
    if (viewState.showGrid) drawGrid(s);
    if (viewState.showOrigin) drawOriginAxes(s);
    if (viewState.showTrackAltitude) drawCurtain(s);
    drawReference3d(altitudeFactor);  // under the lap's own line where both take the same line
    drawTrackLine(s);
    glDisable(GL_DEPTH_TEST);
    if (anyCornerLabels()) drawCornerApices(s);
    if (viewState.showGpsPoints) drawGpsPoints(s);
    const int animated = animatedSample();
    if (animated >= 0 && !viewState.inCarView) {
        glPointSize(5.0f);
        setColour(viewState.animationPointColour);
        glBegin(GL_POINTS);
        vertex(s, animated);
        glEnd();
    }
    if (viewState.showLapMarkPosition) {
        if (s.loop) {
            drawMarker(s, lap.startSample, LABEL_TIMING_POINT, YELLOW);
        } else {
            drawMarker(s, lap.startSample, LABEL_START, YELLOW);
            drawMarker(s, lap.endSample, LABEL_GOAL, RED);
        }
    }
    if (viewState.showMaxSpeedPoint && lap.maxSpeedSample >= lap.startSample && lap.maxSpeedSample <= lap.endSample)
        drawMarker(s, lap.maxSpeedSample, LABEL_TOP_SPEED, CYAN);
    glEnable(GL_DEPTH_TEST);
    glPopMatrix();
}
