#include "viewer/display/drive_extent.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "viewer/display/gl_text.h"
#include "viewer/display/view_common.h"

std::vector<OutlinePoint> driveOutline(const DriveModel& drive) {
    const size_t n = std::min(drive.points.size(), static_cast<size_t>(std::max(drive.sampleCount, 0)));
    std::vector<OutlinePoint> outline;
    // Sample 0 is never converted: it would sit at the origin and draw a stray line there.
    for (size_t i = 1; i < n; ++i) {
        const TrackPoint& p = drive.points[i];
        if (std::isfinite(p.x) && std::isfinite(p.z)) outline.push_back({p.x, p.z});
    }
    return outline;
}

OrthoBounds driveExtentProjection(const DriveModel& drive) {
    const std::vector<OutlinePoint> outline = driveOutline(drive);
    if (outline.empty()) return {};
    double minX = outline[0].x, maxX = minX, minZ = outline[0].z, maxZ = minZ;
    for (const OutlinePoint& p : outline) {
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
        minZ = std::min(minZ, p.z), maxZ = std::max(maxZ, p.z);
    }
    constexpr double baseZoom = 0.6;  // the 2D view's start half-size factor
    constexpr double leastSideKm = 0.002;
    const double side = std::max({maxX - minX, maxZ - minZ, leastSideKm});
    const double e = side * baseZoom;
    const double cx = (minX + maxX) / 2.0, cz = (minZ + maxZ) / 2.0;
    return {cx + e, cx - e, cz - e, cz + e};
}

void drawDriveExtent() {
    const OrthoBounds o = driveExtentProjection(driveModel);
    if (o.left == o.right) return;
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(o.left, o.right, o.bottom, o.top);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const Colour& road = viewState.roadColour;
    glColor3f(road.r, road.g, road.b);
    glBegin(GL_LINE_STRIP);
    for (const OutlinePoint& p : driveOutline(driveModel)) glVertex2d(p.x, p.z);
    glEnd();
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, double(viewport[2]), 0.0, double(viewport[3]), -1.0, 1.0);
    // Where the statistics overlay puts the lap number.
    drawText2d(NO_LAP_TEXT, GREEN, 10, viewport[3] - 12);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
}
