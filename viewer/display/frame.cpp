#include "viewer/display/frame.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "pl/pl.h"
#include "viewer/analysis/view_state.h"
#include "viewer/display/comparison_views.h"
#include "viewer/display/drive_extent.h"
#include "viewer/display/gl_text.h"
#include "viewer/display/views.h"

int mainWindowId = 0;

FrameHost frameHost = {
    [](int* w, int* h) { plGetwindowsize(mainWindowId, w, h); },
    [](int button, int* x, int* y) { plGetMousedownpos(mainWindowId, button, x, y); },
    [] { plUpdate(mainWindowId); },
};

namespace {

constexpr double FIELD_OF_VIEW_DEG = 45.0;
constexpr double ASPECT = 1.0;  // fixed: a window that is not square stretches the picture
constexpr double NEAR_KM = 0.001;
constexpr double GRAPH_BORDER = 0.1;
constexpr float POINT_FACTOR = 2.0f;
constexpr int FRAME_FONT_POINTS = 9;


// In-car camera active: the 3D orbit camera is frozen.
bool inCarBlocked() {
    return viewState.displayMode == DISPLAY_3D && animation.animating && viewState.inCarView != 0;
}

void applyProjection(double& a, double& b) {
    LapRecord& lap = driveModel.laps[static_cast<size_t>(driveModel.currentLap)];
    const int32_t mode = viewState.displayMode;
    if (deltaGraphActive()) {
        const OrthoBounds o = deltaGraphProjection(a, b);
        gluOrtho2D(o.left, o.right, o.bottom, o.top);
    } else if (mode == DISPLAY_3D) {
        gluPerspective(FIELD_OF_VIEW_DEG, ASPECT, NEAR_KM, 3.0 * lap.viewDistance);
    } else if (mode == DISPLAY_2D) {
        const OrthoBounds o = track2dProjection(lap, viewCamera.track2d);
        gluOrtho2D(o.left, o.right, o.bottom, o.top);
    } else if (GraphCamera* g = graphCameraOf(mode)) {
        const OrthoBounds o = graphProjection(mode, lap, *g, a, b);
        gluOrtho2D(o.left, o.right, o.bottom, o.top);
    }
}

void drawView(float factor, double a, double b) {
    if (deltaGraphActive()) return drawDeltaGraph(a, b);
    switch (viewState.displayMode) {
    case DISPLAY_3D: drawTrack3d(factor); break;
    case DISPLAY_2D: drawTrack2d(); break;
    case DISPLAY_SPEED_GRAPH: drawSpeedGraph(a, b, POINT_FACTOR); break;
    case DISPLAY_ALTITUDE_GRAPH: drawAltitudeGraph(a, b, POINT_FACTOR); break;
    case DISPLAY_POWER_GRAPH: drawPowerGraph(a, b, POINT_FACTOR); break;
    default: break;  // unknown mode: identity projection, overlay only
    }
}

}  // namespace

float altitudeFactor() {
    if (viewState.displayMode != DISPLAY_3D) return 1.0f;
    switch (viewState.altitudeScale) {
    case 1: return 5.0f;
    case 2: return 10.0f;
    default: return 1.0f;
    }
}

OrthoBounds track2dProjection(const LapRecord& lap, Track2dCamera& camera) {
    const double dx = lap.boxMax.x - lap.boxMin.x, dz = lap.boxMax.z - lap.boxMin.z;
    const double s = dx > dz ? dx : dz;
    const float halfFactor = camera.zoom + camera.baseZoom;  // added in single precision
    const double e = s * static_cast<double>(halfFactor);
    const double cx = (lap.boxMin.x + lap.boxMax.x) / 2.0, cz = (lap.boxMin.z + lap.boxMax.z) / 2.0;
    camera.viewWidth = 2.0 * e;
    // x (north) grows to the left of the screen, z (east) upward.
    return {cx + e, cx - e, cz - e, cz + e};
}

OrthoBounds graphProjection(int32_t mode, const LapRecord& lap, GraphCamera& camera, double& a, double& b) {
    const double t = static_cast<double>(static_cast<uint32_t>(lap.lapTimeMs));
    double v = 0.0;
    if (mode == DISPLAY_SPEED_GRAPH) v = lap.maxSpeed;
    else if (mode == DISPLAY_ALTITUDE_GRAPH) v = (lap.boxMax.y - lap.boxMin.y) * 1000.0;
    else v = lap.maxPower - lap.minPower;
    a = GRAPH_BORDER * t;
    b = GRAPH_BORDER * v;
    const double k = 1.0 + camera.margin;
    camera.viewWidth = t + 2.0 * k * a;
    camera.viewHeight = v + 2.0 * k * b;
    return {-k * a, t + k * a, -k * b, v + k * b};
}

int initialiseGl(int) {
    int width = 0, height = 0;
    frameHost.windowSize(&width, &height);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const Colour& bg = viewState.backgroundColour;
    glClearColor(bg.r, bg.g, bg.b, 0.0f);
    glEnable(GL_DEPTH_TEST);
    return 0;
}

int drawFrame() {
    FrameFont* font = createFrameFont(FRAME_FONT_POINTS, "ＭＳ ゴシック", false, false, false, false);
    const float factor = altitudeFactor();
    // The drawn lap must be one that was cut; a drive without laps shows the background only.
    const bool drawable = hasCurrentLap();
    LapRecord* lap = drawable ? &driveModel.laps[static_cast<size_t>(driveModel.currentLap)] : nullptr;
    const double savedMinY = lap ? lap->boxMin.y : 0.0, savedMaxY = lap ? lap->boxMax.y : 0.0;
    if (lap) {
        // The 3D view places its ground at the scaled bottom of the box.
        lap->boxMin.y *= factor;
        lap->boxMax.y *= factor;
    }
    const Colour& bg = viewState.backgroundColour;
    glClearColor(bg.r, bg.g, bg.b, 0.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    double a = 0.0, b = 0.0;
    if (drawable) applyProjection(a, b);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (drawable) {
        drawView(factor, a, b);
        drawStatistics(savedMinY, savedMaxY);
    } else if (driveModel.loaded != 0) {
        drawDriveExtent();
    }
    plSwapbuffer();
    deleteFrameFont(font);
    if (lap) {
        lap->boxMin.y = savedMinY;
        lap->boxMax.y = savedMaxY;
    }
    return 0;
}

namespace {

void dragButton1(int x, int y) {
    Track3dCamera& c3 = viewCamera.track3d;
    int* last = viewCamera.lastMouse;
    frameHost.mouseDownPos(1, &last[0], &last[1]);
    const int x0 = last[0], y0 = last[1];
    const int32_t mode = viewState.displayMode;
    if (mode == DISPLAY_3D) {
        if (inCarBlocked()) return;
        c3.panDrag[0] = static_cast<float>((x - x0) * 0.01);
        c3.panDrag[1] = static_cast<float>((y0 - y) * 0.01);
        return;
    }
    int width = 0, height = 0;
    frameHost.windowSize(&width, &height);
    if (width <= 0 || height <= 0) return;  // a minimised window has no pixels to map
    if (mode == DISPLAY_2D) {
        Track2dCamera& c = viewCamera.track2d;
        const double w = c.viewWidth;
        c.panDrag[0] = static_cast<float>((x0 - x) * w / width);
        c.panDrag[1] = static_cast<float>((y0 - y) * w / height);
    } else if (GraphCamera* g = graphCameraOf(mode)) {
        g->panDrag[0] = (x - x0) * g->viewWidth / width;
        g->panDrag[1] = (y0 - y) * g->viewHeight / height;
    }
}

bool dragButton2(int x, int y) {
    if (viewState.displayMode != DISPLAY_3D || inCarBlocked()) return false;
    int* last = viewCamera.lastMouse;
    frameHost.mouseDownPos(2, &last[0], &last[1]);
    viewCamera.track3d.turnDrag = static_cast<float>(x - last[0]);
    viewCamera.track3d.tiltDrag = static_cast<float>(y - last[1]);
    return true;
}

// Zoom by an amount e (pixels up, or wheel notches); the steps differ per source.
void zoomBy(double e, double dollyStep, double zoomStep, double marginStep) {
    const int32_t mode = viewState.displayMode;
    if (mode == DISPLAY_3D) {
        if (!inCarBlocked()) viewCamera.track3d.dolly = static_cast<float>(viewCamera.track3d.dolly - dollyStep * e);
    } else if (mode == DISPLAY_2D) {
        // The test uses a larger step than the move, so zoom + baseZoom never reaches zero.
        Track2dCamera& c = viewCamera.track2d;
        if (c.zoom - 0.02 * e + 0.6 > 0.0) c.zoom = static_cast<float>(c.zoom - zoomStep * e);
    } else if (GraphCamera* g = graphCameraOf(mode)) {
        g->margin -= marginStep * e;
    }
}

}  // namespace

int onMouseDrag(int event, int x, int y) {
    if (deltaGraphActive()) return 0;  // the delta-T graph has no camera
    switch (event) {
    case PL_MOUSE_DRAG_LEFT:
        dragButton1(x, y);
        break;
    case PL_MOUSE_DRAG_RIGHT:
        if (!dragButton2(x, y)) return 0;
        break;
    case PL_MOUSE_DRAG_BOTH: {
        int* last = viewCamera.lastMouse;
        const int previousY = viewCamera.zoomDragActive ? last[1] : y;  // the first event moves nothing
        viewCamera.zoomDragActive = true;
        zoomBy(previousY - y, 0.02, 0.0025, 0.04);
        last[0] = x;
        last[1] = y;
        break;
    }
    case PL_MOUSE_WHEEL:
        zoomBy(x, 0.1, 0.0125, 0.2);
        break;
    default:
        return 0;
    }
    frameHost.update();
    return 0;
}

int onMouseUp(int button, int, int) {
    if (button == 1) {
        const int32_t mode = viewState.displayMode;
        if (mode == DISPLAY_3D) {
            Track3dCamera& c = viewCamera.track3d;
            for (int i = 0; i < 2; ++i) c.pan[i] += c.panDrag[i], c.panDrag[i] = 0.0f;
        } else if (mode == DISPLAY_2D) {
            Track2dCamera& c = viewCamera.track2d;
            for (int i = 0; i < 2; ++i) c.pan[i] += c.panDrag[i], c.panDrag[i] = 0.0f;
        } else if (GraphCamera* g = graphCameraOf(mode)) {
            for (int i = 0; i < 2; ++i) g->pan[i] += g->panDrag[i], g->panDrag[i] = 0.0;
        }
        viewCamera.zoomDragActive = false;
    } else if (button == 2) {
        if (viewState.displayMode == DISPLAY_3D) {
            Track3dCamera& c = viewCamera.track3d;
            c.tilt += c.tiltDrag;
            c.turn += c.turnDrag;
            c.tiltDrag = c.turnDrag = 0.0f;
        }
        viewCamera.zoomDragActive = false;
    }
    return 0;
}
