// Model-view transforms of the display modes: the 3D orbit and in-car
// cameras, the 2D pan and the graph pan.
#include <GL/gl.h>
#include <GL/glu.h>

#include "viewer/display/view_common.h"
#include "viewer/display/views.h"

namespace {

// Height the in-car eye rides above the drawn track, km.
constexpr double IN_CAR_EYE_HEIGHT_KM = 0.01;

double drawnHeight(int sample, float altitudeFactor) {
    return viewState.absoluteAltitude ? double(altitudeFactor) * pointAt(sample).y : currentLapRecord().meanY;
}

}  // namespace

void applyTrack3dCamera(float) {
    const Track3dCamera& c = viewCamera.track3d;
    gluLookAt(0.0, 0.0, currentLapRecord().viewDistance, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glTranslatef(c.pan[0] + c.panDrag[0], c.pan[1] + c.panDrag[1], c.dolly);
    glRotatef(c.tilt + c.tiltDrag, 1.0f, 0.0f, 0.0f);
    glRotatef(c.turn + c.turnDrag, 0.0f, 1.0f, 0.0f);
}

int inCarLookAtSample(int eyeSample) {
    const LapRecord& lap = currentLapRecord();
    const int count = lap.endSample - lap.startSample + 1;
    if (count <= 0) return eyeSample;
    const TrackPoint& eye = pointAt(eyeSample);
    // Two samples ahead, wrapping inside the lap. While the car stands (or
    // the lap is too short) that sample sits where the eye is, and a look-at
    // point equal to the eye (or straight above it) gives no view direction
    // at all: look on to the first sample that lies elsewhere on the ground.
    const int offset = eyeSample - lap.startSample;
    for (int ahead = 2; ahead < count + 2; ++ahead) {
        const int j = lap.startSample + (offset + ahead) % count;
        const TrackPoint& p = pointAt(j);
        if (p.x != eye.x || p.z != eye.z) return j;
    }
    return eyeSample;  // the whole lap on one spot
}

void applyInCarCamera(float altitudeFactor) {
    const int i = animatedSample();
    if (i < 0) return applyTrack3dCamera(altitudeFactor);
    const int j = inCarLookAtSample(i);
    const TrackPoint& eye = pointAt(i);
    const TrackPoint& centre = pointAt(j);
    const double eyeY = drawnHeight(i, altitudeFactor) + IN_CAR_EYE_HEIGHT_KM;
    const double centreY = drawnHeight(j, altitudeFactor) + IN_CAR_EYE_HEIGHT_KM;
    if (j == i) {
        // Nowhere to look: face north along the ground.
        gluLookAt(eye.x, eyeY, eye.z, eye.x + 1.0, eyeY, eye.z, 0.0, 1.0, 0.0);
        return;
    }
    gluLookAt(eye.x, eyeY, eye.z, centre.x, centreY, centre.z, 0.0, 1.0, 0.0);
}

void applyTrack2dCamera() {
    const Track2dCamera& c = viewCamera.track2d;
    glTranslatef(c.pan[0] + c.panDrag[0], c.pan[1] + c.panDrag[1], 0.0f);
}

void applyGraphCamera(const GraphCamera& c) {
    glTranslated(c.pan[0] + c.panDrag[0], c.pan[1] + c.panDrag[1], 0.0);
}
