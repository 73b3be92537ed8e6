// The 2D track view: the lap seen from above, x (north) growing to the left
// of the screen and z (east) upward, as the projection sets it. Heights play
// no part here except for the climb colours.
#include <GL/gl.h>

#include "viewer/display/comparison_views.h"
#include "viewer/display/gl_text.h"
#include "viewer/display/view_common.h"
#include "viewer/display/views.h"

namespace {

void vertex2d(int i) {
    const TrackPoint& p = pointAt(i);
    glVertex2d(p.x, p.z);
}

void label2d(int i, std::string_view text, const Colour& colour) {
    const TrackPoint& p = pointAt(i);
    drawText3d(text, colour, float(p.x), float(p.z), 0.0f);
}

void addVertex2d(VertexBatch& batch, int i) {
    const TrackPoint& p = pointAt(i);
    batch.add(p.x, p.z, 0.0);
}

// The line carries its colour per vertex even when it is one colour, as in 3D.
void drawLine2d(const LapRecord& lap, bool loop) {
    Colour c;
    if (!trackLineColour(lap.startSample, lap, c)) return;
    VertexBatch& batch = VertexBatch::begin(true);
    batch.reserve(size_t(lap.endSample - lap.startSample + 2));
    // As in 3D: mapped, blue first, then each vertex in the colour of the sample before it.
    const bool mapped = trackLineMapped();
    Colour previous = mapped ? FIRST_VERTEX_BLUE : viewState.roadColour;
    for (int i = lap.startSample; i <= lap.endSample; ++i) {
        batch.add(pointAt(i).x, pointAt(i).z, 0.0, previous);
        if (mapped) trackLineColour(i, lap, previous);
    }
    if (loop) batch.add(pointAt(lap.startSample).x, pointAt(lap.startSample).z, 0.0, previous);
    batch.draw(GL_LINE_STRIP, &previous);
}

void drawApices2d(const LapRecord& lap) {
    glPointSize(3.0f);
    int n = 1;
    for (int i = lap.startSample; i <= lap.endSample; ++i) {
        if (driveModel.cornerMarks[size_t(i)] != CORNER_APEX) continue;
        setColour(viewState.gpsPointColour);
        glBegin(GL_POINTS);
        vertex2d(i);
        glEnd();
        label2d(i, cornerLabelText(i, n), GREEN);
        ++n;
    }
}

}  // namespace

void drawTrack2d() {
    const LapRecord& lap = currentLapRecord();
    const bool loop = driveModel.course.courseType == COURSE_LOOP;
    glDisable(GL_DEPTH_TEST);
    glPushMatrix();
    applyTrack2dCamera();
    glLineWidth(2.0f);
    drawReference2d();  // under the lap's own line
    drawLine2d(lap, loop);
    if (anyCornerLabels()) drawApices2d(lap);
    if (viewState.showGpsPoints) {
        glPointSize(3.0f);
        setColour(viewState.gpsPointColour);
        VertexBatch& batch = VertexBatch::begin(false);
        batch.reserve(size_t(lap.endSample - lap.startSample + 1));
        for (int i = lap.startSample; i <= lap.endSample; ++i) addVertex2d(batch, i);
        batch.draw(GL_POINTS);
    }
    // The replay point shows here whatever the in-car view says.
    const int animated = animatedSample();
    if (animated >= 0) {
        glPointSize(5.0f);
        setColour(viewState.animationPointColour);
        glBegin(GL_POINTS);
        vertex2d(animated);
        glEnd();
    }
    if (viewState.showLapMarkPosition) {
        if (loop) {
            label2d(lap.startSample, LABEL_TIMING_POINT, YELLOW);
        } else {
            label2d(lap.startSample, LABEL_START, YELLOW);
            label2d(lap.endSample, LABEL_GOAL, RED);
        }
    }
    if (viewState.showMaxSpeedPoint && lap.maxSpeedSample >= lap.startSample && lap.maxSpeedSample <= lap.endSample)
        label2d(lap.maxSpeedSample, LABEL_TOP_SPEED, CYAN);
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
}
