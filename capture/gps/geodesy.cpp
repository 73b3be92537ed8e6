#include "capture/gps/geodesy.h"

#include <atomic>
#include <cmath>
#include <cstdio>

#include "capture/gps/capture_sink.h"
#include "capture/gps/gps_state.h"
#include "capture/gps/reader_hooks.h"

GeoPoint previousFix;
int32_t noPreviousFix = 1;
double pointDistance[2] = {-1.0, -1.0};
double pointSegmentDistance[2] = {-1.0, -1.0};

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

double segmentDistance(const GeoPoint& fix, const GeoPoint& previous, const GeoPoint& point) {
    if (!hasGeocentric(fix) || !hasGeocentric(previous)) return -1.0;
    const double dx = previous.ecefX - fix.ecefX;
    const double dy = previous.ecefY - fix.ecefY;
    const double dz = previous.ecefZ - fix.ecefZ;
    const double qx = point.ecefX - fix.ecefX;
    const double qy = point.ecefY - fix.ecefY;
    const double qz = point.ecefZ - fix.ecefZ;
    const double length2 = dx * dx + dy * dy + dz * dz;
    if (length2 == 0.0) return -1.0;
    const double t = (qx * dx + qy * dy + qz * dz) / length2;
    if (t < 0.0 || t > 1.0) return -1.0;  // both ends belong to the segment
    const double ex = t * dx - qx;
    const double ey = t * dy - qy;
    const double ez = t * dz - qz;
    return std::sqrt(ex * ex + ey * ey + ez * ez);
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

void updatePointDistances() {
    static const int distanceControl[2] = {PANEL_POINT1_DISTANCE, PANEL_POINT2_DISTANCE};
    // The timing layer's latest published points: a point registered or a
    // course loaded on another thread counts from this fix on.
    const CoursePoints course = publishedCoursePoints();
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
    noPreviousFix = 1;
    forgetPointDistances();
}
