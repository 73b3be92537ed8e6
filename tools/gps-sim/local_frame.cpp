#include "tools/gps-sim/local_frame.h"

#include <cmath>
#include <numbers>

#include "common/ellipsoid.h"

namespace gpssim {

namespace {

constexpr double RADIANS_PER_DEGREE = std::numbers::pi / 180.0;

// Longitude difference folded into -180..180 so a frame straddling the
// antimeridian stays continuous.
double wrapDegrees(double deg) {
    double wrapped = std::fmod(deg + 180.0, 360.0);
    if (wrapped < 0.0) wrapped += 360.0;
    return wrapped - 180.0;
}

}  // namespace

LocalFrame::LocalFrame(LatLon origin) : origin_(origin) {
    double phi = origin.latitudeDeg * RADIANS_PER_DEGREE;
    double w = 1.0 - WGS84_E2 * std::sin(phi) * std::sin(phi);
    double meridianRadiusM = WGS84_A * (1.0 - WGS84_E2) / (w * std::sqrt(w));
    double primeVerticalRadiusM = WGS84_A / std::sqrt(w);
    metresPerDegreeNorth_ = meridianRadiusM * RADIANS_PER_DEGREE;
    metresPerDegreeEast_ = primeVerticalRadiusM * std::cos(phi) * RADIANS_PER_DEGREE;
}

PlanePoint LocalFrame::toPlane(LatLon position) const {
    return {wrapDegrees(position.longitudeDeg - origin_.longitudeDeg) * metresPerDegreeEast_,
            (position.latitudeDeg - origin_.latitudeDeg) * metresPerDegreeNorth_};
}

LatLon LocalFrame::toLatLon(PlanePoint point) const {
    return {origin_.latitudeDeg + point.northM / metresPerDegreeNorth_,
            wrapDegrees(origin_.longitudeDeg + point.eastM / metresPerDegreeEast_)};
}

double distanceM(PlanePoint a, PlanePoint b) {
    return std::hypot(b.eastM - a.eastM, b.northM - a.northM);
}

double bearingDeg(PlanePoint a, PlanePoint b) {
    double deg = std::atan2(b.eastM - a.eastM, b.northM - a.northM) / RADIANS_PER_DEGREE;
    return deg < 0.0 ? deg + 360.0 : deg;
}

}  // namespace gpssim
