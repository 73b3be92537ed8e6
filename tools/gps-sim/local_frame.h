// A flat east/north frame in metres around an origin, for laying out simulated drives.
#pragma once

namespace gpssim {

struct LatLon {
    double latitudeDeg = 0.0;   // north positive
    double longitudeDeg = 0.0;  // east positive, -180..180
};

struct PlanePoint {
    double eastM = 0.0;
    double northM = 0.0;
};

// Equirectangular projection scaled by the WGS-84 radii of curvature at the
// origin. It is affine in latitude and longitude, so a straight line between two
// recorded fixes is also straight here; over a circuit (a few km) its distances
// differ from the receiver's geocentric chord distances by well under 0.1 %.
class LocalFrame {
public:
    explicit LocalFrame(LatLon origin);

    PlanePoint toPlane(LatLon position) const;
    LatLon toLatLon(PlanePoint point) const;
    LatLon origin() const { return origin_; }

private:
    LatLon origin_;
    double metresPerDegreeNorth_;
    double metresPerDegreeEast_;
};

double distanceM(PlanePoint a, PlanePoint b);
// Bearing of the direction a -> b, degrees clockwise from north, 0..360.
double bearingDeg(PlanePoint a, PlanePoint b);

}  // namespace gpssim
