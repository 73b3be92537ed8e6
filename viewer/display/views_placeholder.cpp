// Stand-ins until the full views arrive: the 3D and 2D views draw the lap as a
// plain line in the road colour; graphs, overlay and text draw nothing.
#include <GL/gl.h>
#include <GL/glu.h>

#include "viewer/analysis/drive_model.h"
#include "viewer/display/gl_text.h"
#include "viewer/display/views.h"

struct FrameFont {};

FrameFont* createFrameFont(int, const char*, bool, bool, bool, bool) { return new FrameFont; }
void deleteFrameFont(FrameFont* font) { delete font; }
TextMask renderTextMask(std::string_view) { return {}; }
void drawText3d(std::string_view, const Colour&, float, float, float) {}
void drawText2d(std::string_view, const Colour&, int, int) {}

void applyTrack3dCamera(float) {
    const LapRecord& lap = driveModel.laps[driveModel.currentLap];
    const Track3dCamera& c = viewCamera.track3d;
    gluLookAt(0, 0, lap.viewDistance, 0, 0, 0, 0, 1, 0);
    glTranslatef(c.pan[0] + c.panDrag[0], c.pan[1] + c.panDrag[1], c.dolly);
    glRotatef(c.tilt + c.tiltDrag, 1, 0, 0);
    glRotatef(c.turn + c.turnDrag, 0, 1, 0);
}
void applyTrack2dCamera() {
    const Track2dCamera& c = viewCamera.track2d;
    glTranslatef(c.pan[0] + c.panDrag[0], c.pan[1] + c.panDrag[1], 0);
}
void applyGraphCamera(const GraphCamera& c) { glTranslated(c.pan[0] + c.panDrag[0], c.pan[1] + c.panDrag[1], 0); }

static void drawLapLine(bool withHeight, float factor) {
    const LapRecord& lap = driveModel.laps[driveModel.currentLap];
    const Colour& road = viewState.roadColour;
    glColor3f(road.r, road.g, road.b);
    glBegin(GL_LINE_STRIP);
    for (int i = lap.startSample; i <= lap.endSample; ++i) {
        const TrackPoint& p = driveModel.points[i];
        if (withHeight) glVertex3d(p.x, p.y * factor, p.z);
        else glVertex2d(p.x, p.z);
    }
    glEnd();
}

void drawTrack3d(float altitudeFactor) {
    glPushMatrix();
    applyTrack3dCamera(altitudeFactor);
    drawLapLine(true, altitudeFactor);
    glPopMatrix();
}
void drawTrack2d() {
    glPushMatrix();
    applyTrack2dCamera();
    drawLapLine(false, 1.0f);
    glPopMatrix();
}
void drawSpeedGraph(double, double, double) {}
void drawAltitudeGraph(double, double, double) {}
void drawPowerGraph(double, double, double) {}
void drawStatistics(double, double) {}
std::string cornerLabelText(int, int) { return {}; }
