#include "tools/view-shot/view_frame.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/view_state.h"
#include "viewer/display/comparison_views.h"
#include "viewer/display/display_state.h"
#include "viewer/display/gl_text.h"
#include "viewer/display/views.h"

namespace {

struct GraphBorder {
    double a = 0.0, b = 0.0;
};

LapRecord& lap() { return driveModel.laps[size_t(driveModel.currentLap)]; }

double graphTop(int mode) {
    const LapRecord& l = lap();
    switch (mode) {
        case DISPLAY_SPEED_GRAPH: return l.maxSpeed;
        case DISPLAY_ALTITUDE_GRAPH: return (l.boxMax.y - l.boxMin.y) * 1000.0;
        case DISPLAY_POWER_GRAPH: return l.maxPower - l.minPower;
        default: return 0.0;
    }
}

// Loads the projection of the display mode; returns the graph border values.
GraphBorder loadProjection() {
    GraphBorder border;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const LapRecord& l = lap();
    const int mode = viewState.displayMode;
    if (deltaGraphActive()) {
        const OrthoBounds o = deltaGraphProjection(border.a, border.b);
        gluOrtho2D(o.left, o.right, o.bottom, o.top);
    } else if (mode == DISPLAY_3D) {
        gluPerspective(45.0, 1.0, 0.001, 3.0 * l.viewDistance);
    } else if (mode == DISPLAY_2D) {
        const double dx = l.boxMax.x - l.boxMin.x, dz = l.boxMax.z - l.boxMin.z;
        const double s = dx > dz ? dx : dz;
        Track2dCamera& c = viewCamera.track2d;
        const double e = s * double(c.zoom + c.baseZoom);
        const double cx = (l.boxMin.x + l.boxMax.x) / 2.0, cz = (l.boxMin.z + l.boxMax.z) / 2.0;
        gluOrtho2D(cx + e, cx - e, cz - e, cz + e);
        c.viewWidth = 2.0 * e;
    } else if (GraphCamera* c = graphCameraOf(mode)) {
        const double t = double(uint32_t(l.lapTimeMs)), v = graphTop(mode);
        border = {0.1 * t, 0.1 * v};
        const double k = 1.0 + c->margin;
        gluOrtho2D(-k * border.a, t + k * border.a, -k * border.b, v + k * border.b);
        c->viewWidth = t + 2.0 * k * border.a;
        c->viewHeight = v + 2.0 * k * border.b;
    }
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    return border;
}

}  // namespace

float frameAltitudeFactor() {
    if (viewState.displayMode != DISPLAY_3D) return 1.0f;
    switch (viewState.altitudeScale) {
        case 1: return 5.0f;
        case 2: return 10.0f;
        default: return 1.0f;
    }
}

void drawViewFrame(int width, int height) {
    glViewport(0, 0, width, height);
    glEnable(GL_DEPTH_TEST);
    FrameFont* font = createFrameFont(9, "ＭＳ ゴシック", false, false, false, false);
    const float factor = frameAltitudeFactor();
    const bool haveLap = driveModel.loaded && hasCurrentLap();
    double savedMinY = 0.0, savedMaxY = 0.0;
    if (haveLap) {
        savedMinY = lap().boxMin.y;
        savedMaxY = lap().boxMax.y;
        lap().boxMin.y *= factor;
        lap().boxMax.y *= factor;
    }
    const Colour& bg = viewState.backgroundColour;
    glClearColor(bg.r, bg.g, bg.b, 0.0f);
    GraphBorder border;
    if (haveLap) border = loadProjection();
    else {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (haveLap) {
        switch (deltaGraphActive() ? -1 : viewState.displayMode) {
            case -1: drawDeltaGraph(border.a, border.b); break;
            case DISPLAY_3D: drawTrack3d(factor); break;
            case DISPLAY_2D: drawTrack2d(); break;
            case DISPLAY_SPEED_GRAPH: drawSpeedGraph(border.a, border.b, 2.0); break;
            case DISPLAY_ALTITUDE_GRAPH: drawAltitudeGraph(border.a, border.b, 2.0); break;
            case DISPLAY_POWER_GRAPH: drawPowerGraph(border.a, border.b, 2.0); break;
            default: break;
        }
        drawStatistics(savedMinY, savedMaxY);
    }
    glFinish();
    deleteFrameFont(font);
    if (haveLap) {
        lap().boxMin.y = savedMinY;
        lap().boxMax.y = savedMaxY;
    }
}

ScreenPoint projectScenePoint(int width, int height, double x, double y, double z) {
    glViewport(0, 0, width, height);
    const float factor = frameAltitudeFactor();
    loadProjection();
    glPushMatrix();
    if (viewState.displayMode == DISPLAY_3D) {
        if (animation.animating && viewState.inCarView) applyInCarCamera(factor);
        else applyTrack3dCamera(factor);
    } else if (viewState.displayMode == DISPLAY_2D) {
        applyTrack2dCamera();
    } else if (const GraphCamera* c = graphCameraOf(viewState.displayMode)) {
        applyGraphCamera(*c);
    }
    GLdouble model[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glPopMatrix();
    ScreenPoint p;
    GLdouble wz = 0.0;
    p.ok = gluProject(x, y, z, model, projection, viewport, &p.x, &p.y, &wz) == GL_TRUE;
    return p;
}
