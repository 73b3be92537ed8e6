#include "capture/gps/geodesy.h"

#include <atomic>
#include <cmath>
#include <cstdio>

#include "capture/gps/capture_sink.h"
#include "capture/gps/gps_state.h"
#include "capture/gps/reader_hooks.h"
#include "platform/tick.h"

GeoPoint previousFix;
int32_t noPreviousFix = 1;
double pointDistance[2] = {-1.0, -1.0};
double pointSegmentDistance[2] = {-1.0, -1.0};
DrivenSegment drivenSegment;

void toGeocentric(GeoPoint& point) { toGeocentric(point, datum.load()); }

void toGeocentric(GeoPoint& point, int32_t datumCode) {
    const bool tokyo = datumCode == 1;
    const double a = tokyo ? BESSEL_A : WGS84_A;
    const double f = tokyo ? BESSEL_F : WGS84_F;

    double lambdaDeg = point.longitude;
    if (lambdaDeg < 0.0) lambdaDeg += 360.0;  // west as 180..360 east: the same angle
    const double phi = point.latitude * DEGREES_TO_RADIANS;
    const double lambda = lambdaDeg * DEGREES_TO_RADIANS;

    const double e2 = f * (2.0 - f);
    const double sinPhi = std::sin(phi);
    const double n = a / std::sqrt(1.0 - e2 * sinPhi * sinPhi);
    double x = n * std::cos(phi) * std::cos(lambda);
    double y = n * std::cos(phi) * std::sin(lambda);
    double z = n * (1.0 - e2) * sinPhi;
    if (tokyo) {
        x += TOKYO_SHIFT_X;
        y += TOKYO_SHIFT_Y;
        z += TOKYO_SHIFT_Z;
    }
    point.ecefX = x;
    point.ecefY = y;
    point.ecefZ = z;
}

double chordDistance(const GeoPoint& a, const GeoPoint& b) {
    const double dz = a.ecefZ - b.ecefZ;
    const double dx = a.ecefX - b.ecefX;
    const double dy = a.ecefY - b.ecefY;
    return std::sqrt(dz * dz + dx * dx + dy * dy);
}

namespace {
bool hasGeocentric(const GeoPoint& p) {
    return !(p.ecefX == 0.0 && p.ecefY == 0.0 && p.ecefZ == 0.0);
}
}  // namespace

SegmentFoot segmentFoot(const GeoPoint& fix, const GeoPoint& previous, const GeoPoint& point) {
    SegmentFoot foot;
    if (!hasGeocentric(fix) || !hasGeocentric(previous)) return foot;
    const double dx = previous.ecefX - fix.ecefX;
    const double dy = previous.ecefY - fix.ecefY;
    const double dz = previous.ecefZ - fix.ecefZ;
    const double qx = point.ecefX - fix.ecefX;
    const double qy = point.ecefY - fix.ecefY;
    const double qz = point.ecefZ - fix.ecefZ;
    const double length2 = dx * dx + dy * dy + dz * dz;
    if (length2 == 0.0) return foot;
    const double t = (qx * dx + qy * dy + qz * dz) / length2;  // 0 at the fix, 1 at the previous one
    const double ex = t * dx - qx;
    const double ey = t * dy - qy;
    const double ez = t * dz - qz;
    foot.fraction = 1.0 - t;
    foot.distanceM = std::sqrt(ex * ex + ey * ey + ez * ez);
    return foot;
}

double segmentDistance(const GeoPoint& fix, const GeoPoint& previous, const GeoPoint& point) {
    const SegmentFoot foot = segmentFoot(fix, previous, point);
    // Both ends belong to the segment.
    if (foot.distanceM < 0.0 || foot.fraction < 0.0 || foot.fraction > 1.0) return -1.0;
    return foot.distanceM;
}

namespace {
// Written by the reader after each distance update, read by the window.
std::atomic<double> publishedDistance[2] = {-1.0, -1.0};
}  // namespace

PointDistances publishedPointDistances() {
    PointDistances d;
    d.distanceM[0] = publishedDistance[0].load();
    d.distanceM[1] = publishedDistance[1].load();
    return d;
}

void forgetPointDistances() {
    pointDistance[0] = pointDistance[1] = -1.0;
    pointSegmentDistance[0] = pointSegmentDistance[1] = -1.0;
    publishedDistance[0] = publishedDistance[1] = -1.0;
}

namespace {

GeoPoint segmentStart;  // the earlier position of drivenSegment
GeoPoint segmentEnd;    // its latest position

bool samePlace(const GeoPoint& a, const GeoPoint& b) {
    return a.ecefX == b.ecefX && a.ecefY == b.ecefY && a.ecefZ == b.ecefZ;
}

void advanceDrivenSegment(const GeoPoint& fix, const CoursePoints& course) {
    const uint32_t nowMs = platform::GetTickCount();
    if (!hasGeocentric(fix)) return;
    if (!hasGeocentric(segmentEnd)) {
        segmentEnd = fix;
        drivenSegment.endTickMs = nowMs;
    } else if (!samePlace(fix, segmentEnd)) {
        segmentStart = segmentEnd;
        segmentEnd = fix;
        drivenSegment.startTickMs = drivenSegment.endTickMs;
        drivenSegment.endTickMs = nowMs;
        drivenSegment.valid = true;
    }
    if (!drivenSegment.valid) return;
    for (int i = 0; i < course.count; ++i) {
        drivenSegment.footFraction[i] = segmentFoot(segmentEnd, segmentStart, course.points[i]).fraction;
    }
}

}  // namespace

void updatePointDistances() {
    static const int distanceControl[2] = {PANEL_POINT1_DISTANCE, PANEL_POINT2_DISTANCE};
    // The timing layer's latest published points: a point registered or a
    // course loaded on another thread counts from this fix on.
    const CoursePoints course = publishedCoursePoints();
    advanceDrivenSegment(gpsFix.position, course);
    for (int i = 0; i < course.count; ++i) {
        pointDistance[i] = chordDistance(course.points[i], gpsFix.position);
        if (noPreviousFix == 0) {
            pointSegmentDistance[i] = segmentDistance(gpsFix.position, previousFix, course.points[i]);
        }
        publishedDistance[i].store(pointDistance[i]);
        char text[64];
        std::snprintf(text, sizeof text, "%0.8f(m)", pointDistance[i]);
        captureSink().setPanelText(distanceControl[i], text);
    }
    previousFix = gpsFix.position;
    noPreviousFix = 0;
}

void resetGeodesyState() {
    previousFix = GeoPoint{};
    drivenSegment = DrivenSegment{};
    segmentStart = segmentEnd = GeoPoint{};
    noPreviousFix = 1;
    forgetPointDistances();
}
