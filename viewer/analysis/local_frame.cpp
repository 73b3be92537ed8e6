#include "viewer/analysis/local_frame.h"

#include <cmath>

#include "common/ellipsoid.h"

namespace {

constexpr double WGS84_ONE_MINUS_E2 = 1.0 - WGS84_E2;

// Earth-centred position in metres (x towards 0 N 0 E, y towards 0 N 90 E, z north).
Vec3 geocentric(double latitudeDeg, double longitudeDeg, double heightM) {
    const double phi = latitudeDeg * DEGREES_TO_RADIANS;
    const double lambda = longitudeDeg * DEGREES_TO_RADIANS;
    const double sinPhi = std::sin(phi);
    const double cosPhi = std::cos(phi);
    // Prime vertical radius of curvature at the point's own latitude.
    const double n = WGS84_A / std::sqrt(1.0 - WGS84_E2 * sinPhi * sinPhi);
    return {(n + heightM) * cosPhi * std::cos(lambda), (n + heightM) * cosPhi * std::sin(lambda),
            (n * WGS84_ONE_MINUS_E2 + heightM) * sinPhi};
}

// The origin's position and rotation, recomputed only when the origin moves:
// every sample of a drive shares them.
struct OriginFrame {
    double latitude = 0.0;
    double longitude = 0.0;
    bool valid = false;
    Vec3 position;  // m, geocentric, at height 0
    double sinPhi = 0.0, cosPhi = 1.0, sinLambda = 0.0, cosLambda = 1.0;
};

const OriginFrame& originFrame() {
    static OriginFrame frame;
    if (!frame.valid || frame.latitude != driveModel.originLatitude ||
        frame.longitude != driveModel.originLongitude) {
        frame.latitude = driveModel.originLatitude;
        frame.longitude = driveModel.originLongitude;
        frame.position = geocentric(frame.latitude, frame.longitude, 0.0);
        const double phi0 = frame.latitude * DEGREES_TO_RADIANS;
        const double lambda0 = frame.longitude * DEGREES_TO_RADIANS;
        frame.sinPhi = std::sin(phi0);
        frame.cosPhi = std::cos(phi0);
        frame.sinLambda = std::sin(lambda0);
        frame.cosLambda = std::cos(lambda0);
        frame.valid = true;
    }
    return frame;
}

}  // namespace

// A true tangent-plane frame: the difference of two geocentric positions
// rotated into north, up and east at the origin. Working from the latitude
// difference alone would stretch east-west distances by 1/cos(latitude).
Vec3 toLocalFrame(double latitude, double longitude, double altitude) {
    const OriginFrame& f = originFrame();
    const Vec3 p = geocentric(latitude, longitude, altitude);
    const double dx = p.x - f.position.x;
    const double dy = p.y - f.position.y;
    const double dz = p.z - f.position.z;
    const double north = -f.sinPhi * f.cosLambda * dx - f.sinPhi * f.sinLambda * dy + f.cosPhi * dz;
    const double up = f.cosPhi * f.cosLambda * dx + f.cosPhi * f.sinLambda * dy + f.sinPhi * dz;
    const double east = -f.sinLambda * dx + f.cosLambda * dy;
    return {north * 0.001, up * 0.001, east * 0.001};
}

Vec3 sampleInLocalFrame(int sample) {
    const LogSample& s = driveModel.samples[static_cast<size_t>(sample)];
    return toLocalFrame(s.latitude, s.longitude, s.altitude);
}
